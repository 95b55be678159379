#pragma once

#include <QString>

#include <cstdint>

namespace tessary {

// The highest generation of each user's strong key ring that this user's programs have opened or saved, kept in
// the per-user settings store (not beside the rings, where whoever puts back an old ring could put back its
// number too). A ring found with a lower one was put back from an older copy. 0: none remembered.
std::uint64_t rememberedGeneration(const QString& userName, const QString& ringPath);
// Keeps `generation` when it is higher than the one remembered. False when the store cannot be written: then an
// older copy put back would go unnoticed, which generationNotKeptMessage tells.
bool rememberGeneration(const QString& userName, const QString& ringPath, std::uint64_t generation);
QString generationNotKeptMessage(const QString& ringPath);
// Forgets it: the ring is no longer a strong one.
void forgetGeneration(const QString& userName, const QString& ringPath);

} // namespace tessary
