#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tessary {

class Session;
struct KeyRing;

// What both programs tell once the key ring has been converted to the other format.

// "alice.keyRing is now a strong key ring: Argon2id (4 passes over 256 MiB) and XChaCha20-Poly1305.", or that it is
// in the classic format now.
QString convertedMessage(const KeyRing& ring);

// The copies that a conversion to the strong format leaves in the classic one, still opening under the old master
// password: the export when it is this user's (`oldDigest`, the classic ring's digest, says so) and the ring's
// ".bak". Their paths.
QStringList classicCopies(const Session& session, const QByteArray& oldDigest);

// Removes one of those copies; false with why (the system's words) when it stays.
bool removeCopy(const QString& path, QString* why);

// That those copies (their file names) and any backup of `ringName` are still in the classic format.
QString olderCopiesMessage(const QString& ringName, const QStringList& copyNames);

} // namespace tessary
