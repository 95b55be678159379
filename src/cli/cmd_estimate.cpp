#include "cli/commands.h"

#include "analysis/crack_time.h"
#include "analysis/strength_meter.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"
#include "update/script_number.h"

#include <optional>

namespace tessary::cli {

int estimateCommand(const Invocation& invocation, Console& console)
{
    std::optional<float> loops;
    if (invocation.options.contains(QStringLiteral("--loops"))) {
        loops = scriptSingle(invocation.options.value(QStringLiteral("--loops")));
        if (!loops || !(*loops >= 1.0F))
            return usageFailure(console, QStringLiteral("--loops needs a number of at least 1."));
    }

    QString typed = console.readSecret(QStringLiteral("Password: "));
    QByteArray password = toCodePage(typed);
    wipe(typed);

    const MeterScores scores = meterScores(password);
    console.out(lengthCaption() + QLatin1Char(' ') + QString::number(scores.length));
    console.out(varietyCaption() + QLatin1Char(' ') + QString::number(scores.variety));
    console.out(difficultyCaption() + QLatin1Char(' ') + QString::number(scores.difficulty));
    console.out(scoreCaption() + QLatin1Char(' ') + QString::number(scores.total));

    CrackTimeCheck check;
    const Report report = check.run(password, loops);
    wipe(password);
    for (const QString& line : plainText(report))
        console.out(line);
    return done;
}

} // namespace tessary::cli
