#pragma once

#include "storage/key_table.h"

#include <QByteArrayList>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace tessary {

class BreachList;

// Why a key needs attention, in the order reports list them.
enum class HealthReason {
    Empty,    // its password is empty
    Weak,     // zxcvbn gives it under weakBits bits
    Breached, // a breach list has it
    Reused,   // another key has the same password
    Master,   // it is, or holds, or is held by, the master password
    Old,      // created longer ago than asked
};

inline constexpr double weakBits = 50.0;
// The master password rule's floor: a shorter text inside the other does not count.
inline constexpr qsizetype masterOverlapMinimum = 4;

struct KeyHealth
{
    int slot = 0;
    QList<HealthReason> reasons;
    int score = 0;           // the strength meter's total, as the Score bar shows it
    double entropyBits = 0;  // zxcvbn's estimate
    qint64 breachCount = 0;  // how often the breach list saw it; 0 when not listed or no list was given
    QByteArrayList reusedWith; // the names of the other keys with the same password, in slot order
};

struct HealthOptions
{
    std::optional<int> olderThanYears;
    const BreachList* breaches = nullptr;
    QDateTime now = QDateTime::currentDateTime();
};

// The rules over every key of the table, in slot order. The password they judge is the one a user knows (the
// stored one up to its first NUL); `masterPassword` is in code-page bytes. Nothing returned holds a password, and
// what is decoded to judge one is wiped.
QList<KeyHealth> checkKeyHealth(const KeyTable& table, QByteArrayView masterPassword, const HealthOptions& options);

// "empty", "weak", "breached", "reused", "master", "old".
QString reasonName(HealthReason reason);
QString reasonList(const QList<HealthReason>& reasons);
// "K of N keys need attention."
QString attentionSummary(const QList<KeyHealth>& health);

} // namespace tessary
