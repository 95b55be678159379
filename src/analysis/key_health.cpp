#include "analysis/key_health.h"

#include "analysis/breach_list.h"
#include "analysis/strength_meter.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "storage/ole_date.h"

#include <zxcvbn.h>

#include <algorithm>
#include <thread>
#include <vector>

namespace tessary {

namespace {

bool overlapsMaster(QByteArrayView password, const QString& master)
{
    QString text = fromCodePage(password);
    const QString& shorter = text.size() <= master.size() ? text : master;
    const QString& longer = text.size() <= master.size() ? master : text;
    const bool within =
        text == master || (shorter.size() >= masterOverlapMinimum && longer.contains(shorter, Qt::CaseInsensitive));
    wipe(text);
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
    QString text = fromCodePage(password);
    QByteArray utf8 = text.toUtf8();
    wipe(text);
    judgement.bits = ZxcvbnMatch(utf8.constData(), nullptr, nullptr);
    if (breaches && !password.isEmpty()) {
        QByteArray hash = sha1Hex(utf8);
        judgement.breachCount = breaches->countOfHash(hash);
        wipe(hash);
    }
    wipe(utf8);
    return judgement;
}

} // namespace

QList<KeyHealth> checkKeyHealth(const KeyTable& table, QByteArrayView masterPassword, const HealthOptions& options)
{
    const int count = table.keyCount();
    std::vector<Judgement> judgements(static_cast<std::size_t>(count));
    // zxcvbn and the breach list take most of the time: the keys are judged on two threads at once.
    const auto judgeSlots = [&](int first) {
        for (int slot = first; slot <= count; slot += 2)
            judgements[static_cast<std::size_t>(slot - 1)] =
                judge(usablePasswordView(table.slot(slot)), options.breaches);
    };
    {
        const std::jthread other(judgeSlots, 2);
        judgeSlots(1);
    }
    QString master = fromCodePage(masterPassword);

    QList<KeyHealth> result;
    result.reserve(count);
    for (int slot = 1; slot <= count; ++slot) {
        const KeyRecord& record = table.slot(slot);
        const QByteArrayView password = usablePasswordView(record);
        const Judgement& judgement = judgements[static_cast<std::size_t>(slot - 1)];
        KeyHealth health;
        health.slot = slot;
        health.score = judgement.score;
        health.entropyBits = judgement.bits;
        health.breachCount = judgement.breachCount;
        // Two empty passwords are two keys to fill in, not one secret in two places.
        for (int other = 1; other <= count && !password.isEmpty(); ++other) {
            if (other != slot && usablePasswordView(table.slot(other)) == password)
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
        if (!master.isEmpty() && overlapsMaster(password, master))
            health.reasons.append(HealthReason::Master);
        if (options.olderThanYears) {
            // Calendar years, as QDate counts them: a key made on 29 February is a year old on 28 February.
            const QDateTime created(fromOleDate(record.dateCreated), fromOleTime(record.timeCreated));
            if (created.isValid() && created.addYears(*options.olderThanYears) < options.now)
                health.reasons.append(HealthReason::Old);
        }
        result.append(std::move(health));
    }
    wipe(master);
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
    const auto needing =
        std::count_if(health.begin(), health.end(), [](const KeyHealth& key) { return !key.reasons.isEmpty(); });
    return QStringLiteral("%1 of %2 keys need attention.").arg(needing).arg(health.size());
}

} // namespace tessary
