#include "analysis/key_health.h"

#include "analysis/breach_list.h"
#include "analysis/strength_meter.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/ole_date.h"

#include <zxcvbn.h>

#include <algorithm>
#include <thread>

namespace tessary {

namespace {

// The password a user knows: the stored one up to its first NUL. A view, so nothing is copied.
QByteArrayView usableView(const KeyRecord& record)
{
    const qsizetype nul = record.password.indexOf('\0');
    return nul < 0 ? QByteArrayView(record.password) : QByteArrayView(record.password).first(nul);
}

bool overlapsMaster(QByteArrayView password, QByteArrayView master)
{
    if (password == master)
        return true;
    QString a = fromCodePage(password);
    QString b = fromCodePage(master);
    const QString& shorter = a.size() <= b.size() ? a : b;
    const QString& longer = a.size() <= b.size() ? b : a;
    const bool within = shorter.size() >= masterOverlapMinimum && longer.contains(shorter, Qt::CaseInsensitive);
    wipe(a);
    wipe(b);
    return within;
}

// The parts of the rules that look at one password alone, made once for each.
struct Judgement
{
    int score = 0;
    double bits = 0;
    qint64 breachCount = 0;
};

Judgement judge(QByteArrayView password, const BreachList* breaches)
{
    Judgement judgement;
    judgement.score = meterScores(password).total;
    QByteArray utf8 = fromCodePage(password).toUtf8();
    judgement.bits = ZxcvbnMatch(utf8.constData(), nullptr, nullptr);
    if (breaches && !password.isEmpty()) {
        QByteArray hash = sha1Hex(utf8);
        judgement.breachCount = breaches->countOfHash(hash).value_or(0);
        wipe(hash);
    }
    wipe(utf8);
    return judgement;
}

} // namespace

QList<KeyHealth> checkKeyHealth(const KeyTable& table, QByteArrayView masterPassword, const HealthOptions& options)
{
    const int count = table.keyCount();
    QList<Judgement> judgements(count);
    // zxcvbn and the breach list take most of the time: the keys are judged on two threads at once.
    const auto judgeSlots = [&](int first, int step) {
        for (int slot = first; slot <= count; slot += step)
            judgements[slot - 1] = judge(usableView(table.slot(slot)), options.breaches);
    };
    {
        std::thread other(judgeSlots, 2, 2);
        judgeSlots(1, 2);
        other.join();
    }

    const QDateTime oldBefore =
        options.olderThanYears ? options.now.addDays(-365LL * *options.olderThanYears) : QDateTime();
    QList<KeyHealth> result;
    result.reserve(count);
    for (int slot = 1; slot <= count; ++slot) {
        const KeyRecord& record = table.slot(slot);
        const QByteArrayView password = usableView(record);
        const Judgement& judgement = judgements[slot - 1];
        KeyHealth health;
        health.slot = slot;
        health.score = judgement.score;
        health.entropyBits = judgement.bits;
        health.breachCount = judgement.breachCount;
        for (int other = 1; other <= count; ++other) {
            if (other != slot && usableView(table.slot(other)) == password)
                health.reusedWith.append(table.slot(other).name);
        }

        if (password.isEmpty())
            health.reasons.append(HealthReason::Empty);
        else if (judgement.bits < weakBits)
            health.reasons.append(HealthReason::Weak);
        if (health.breachCount > 0)
            health.reasons.append(HealthReason::Breached);
        if (!health.reusedWith.isEmpty())
            health.reasons.append(HealthReason::Reused);
        if (!masterPassword.isEmpty() && overlapsMaster(password, masterPassword))
            health.reasons.append(HealthReason::Master);
        if (oldBefore.isValid()) {
            const QDateTime created(fromOleDate(record.dateCreated), fromOleTime(record.timeCreated));
            if (created.isValid() && created < oldBefore)
                health.reasons.append(HealthReason::Old);
        }
        result.append(std::move(health));
    }
    return result;
}

QString reasonName(HealthReason reason)
{
    switch (reason) {
    case HealthReason::Empty:
        return QStringLiteral("empty");
    case HealthReason::Weak:
        return QStringLiteral("weak");
    case HealthReason::Breached:
        return QStringLiteral("breached");
    case HealthReason::Reused:
        return QStringLiteral("reused");
    case HealthReason::Master:
        return QStringLiteral("master");
    case HealthReason::Old:
        return QStringLiteral("old");
    }
    return {};
}

QString reasonList(const QList<HealthReason>& reasons)
{
    QStringList names;
    for (const HealthReason reason : reasons)
        names.append(reasonName(reason));
    return names.join(QStringLiteral(", "));
}

QString attentionSummary(const QList<KeyHealth>& health)
{
    const auto needing = std::count_if(health.begin(), health.end(), [](const KeyHealth& key) {
        return !key.reasons.isEmpty();
    });
    return QStringLiteral("%1 of %2 keys need attention.").arg(needing).arg(health.size());
}

} // namespace tessary
