#include "cli/commands.h"

#include "app/file_import.h"
#include "cli/key_output.h"
#include "cli/key_ring_access.h"
#include "crypto/wipe.h"

#include <QFileInfo>

namespace tessary::cli {

namespace {

void printPlan(Console& console, const QString& fileName, const ImportPlan& plan)
{
    console.out(QStringLiteral("%1 (%2): %3").arg(printable(fileName), formatTitle(plan.format), planHeadline(plan)));
    for (const PlannedRow& row : plan.rows) {
        if (const QString text = plannedRowText(row); !text.isEmpty())
            console.out(printable(text));
    }
    if (const QString skipped = skippedText(plan); !skipped.isEmpty())
        console.out(skipped);
}

} // namespace

int importCommand(const Invocation& invocation, Console& console)
{
    std::optional<TransferFormat> format;
    if (invocation.options.contains(QStringLiteral("--format"))) {
        const QString name = invocation.options.value(QStringLiteral("--format"));
        format = formatNamed(name);
        if (!format)
            return usageFailure(console, QStringLiteral("Unknown format %1: it is one of %2.")
                                             .arg(name, importFormatNames().join(QStringLiteral(", "))));
    }
    const bool dryRun = invocation.hasFlag(QStringLiteral("--dry-run"));
    const bool skipRefused = invocation.hasFlag(QStringLiteral("--skip-refused"));
    const QString& path = invocation.arguments.at(1);

    // The file first: a file that cannot be imported is said so before any password is asked for.
    FileImport import(invocation.userPath(path), format, path);
    if (!import.failure().isEmpty()) {
        console.err(import.failure());
        return failed;
    }
    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    if (const int status =
            access.open(invocation.arguments.at(0), dryRun ? KeyRingAccess::Mode::Read : KeyRingAccess::Mode::Write))
        return status;
    import.attach(access.session());
    if (!import.failure().isEmpty()) {
        console.err(import.failure());
        return failed;
    }
    if (import.needsPassword()) {
        QString password =
            console.readSecret(QStringLiteral("%1 was saved under another master password. Its master password: ")
                                   .arg(QFileInfo(path).fileName()));
        const bool unlocked = import.unlock(password);
        wipe(password);
        if (!unlocked) {
            console.err(incorrectPasswordMessage());
            return failed;
        }
    }

    const ImportPlan plan = import.plan(access.session());
    printPlan(console, path, plan);
    const int refused = plan.refusedCount();
    if (refused > 0 && !skipRefused) {
        console.err(QStringLiteral("Nothing was written: %1 refused. With --skip-refused the other %2 are imported.")
                        .arg(refused)
                        .arg(plan.records.size()));
        return failed;
    }
    if (dryRun) {
        console.err(QStringLiteral("A dry run: nothing was written."));
        return done;
    }
    QString error;
    if (!access.session().addKeys(plan.records, &error)) {
        console.err(error);
        return failed;
    }
    console.err(QStringLiteral("%1 keys imported.").arg(plan.records.size()));
    access.warnOfGeneration();
    return done;
}

} // namespace tessary::cli
