#include "cli/commands.h"

#include "analysis/breach_list.h"
#include "analysis/key_health.h"
#include "cli/key_output.h"
#include "cli/key_ring_access.h"
#include "storage/codepage.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace tessary::cli {

namespace {

QJsonObject healthJson(const KeyRecord& record, const KeyHealth& health, bool withBreaches)
{
    QJsonArray reasons;
    for (const HealthReason reason : health.reasons)
        reasons.append(reasonName(reason));
    QJsonArray reusedWith;
    for (const QByteArray& name : health.reusedWith)
        reusedWith.append(fromCodePage(name));
    QJsonObject key{
        {QStringLiteral("name"), fromCodePage(record.name)},
        {QStringLiteral("reasons"), reasons},
        {QStringLiteral("score"), health.score},
        {QStringLiteral("entropyBits"), std::round(health.entropyBits * 10.0) / 10.0},
        {QStringLiteral("reusedWith"), reusedWith},
    };
    if (withBreaches)
        key.insert(QStringLiteral("breachCount"), health.breachCount);
    return key;
}

} // namespace

int auditCommand(const Invocation& invocation, Console& console)
{
    HealthOptions options;
    if (invocation.options.contains(QStringLiteral("--older-than"))) {
        bool number = false;
        const int years = invocation.options.value(QStringLiteral("--older-than")).toInt(&number);
        if (!number || years < 0)
            return usageFailure(console, QStringLiteral("--older-than takes a whole number of years, 0 or more."));
        options.olderThanYears = years;
    }
    BreachList breaches;
    const QString file = invocation.options.value(QStringLiteral("--breached"));
    if (invocation.options.contains(QStringLiteral("--breached"))) {
        QString reason;
        if (!breaches.open(QDir(invocation.directory).filePath(file), reason)) {
            console.err(QStringLiteral("Cannot read the breach list %1: %2").arg(file, reason));
            return failed;
        }
        options.breaches = &breaches;
    }

    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    if (const int status = access.open(invocation.arguments.at(0), KeyRingAccess::Mode::Read))
        return status;
    const KeyTable& table = access.table();
    const QList<KeyHealth> health = checkKeyHealth(table, access.session().secret().password, options);
    // Counts from a list that failed half-way would say "not breached" of keys that may be.
    if (breaches.failed()) {
        console.err(breaches.failure(file));
        return failed;
    }

    if (invocation.hasFlag(QStringLiteral("--json"))) {
        QJsonArray keys;
        for (const KeyHealth& key : health)
            keys.append(healthJson(table.slot(key.slot), key, options.breaches != nullptr));
        console.writeOut(QJsonDocument(keys).toJson(QJsonDocument::Indented));
        return done;
    }
    for (const KeyHealth& key : health) {
        if (!key.reasons.isEmpty())
            console.out(printable(fromCodePage(table.slot(key.slot).name)) + QLatin1Char('\t') + reasonList(key.reasons));
    }
    console.out(attentionSummary(health));
    return done;
}

} // namespace tessary::cli
