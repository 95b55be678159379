#include "cli/commands.h"

#include "cli/key_ring_access.h"
#include "crypto/wipe.h"
#include "transfer/key_export.h"
#include "transfer/new_file.h"
#include "transfer/transfer_format.h"

namespace tessary::cli {

namespace {

// `output` as given, `path` as resolved.
int exportInClear(KeyRingAccess& access, Console& console, TransferFormat format, const QString& output,
                  const QString& path)
{
    QString refusal;
    QByteArray bytes = format == TransferFormat::KeePassXml ? keePassXml(access.table(), refusal)
                                                            : keePassXcCsv(access.table());
    if (!refusal.isEmpty()) {
        console.err(refusal);
        return failed;
    }
    QString reason;
    const bool toStandardOutput = output == QStringLiteral("-");
    if (toStandardOutput)
        console.writeOut(bytes);
    const bool written = toStandardOutput || writeNewFile(path, bytes, reason);
    wipe(bytes);
    if (!written) {
        console.err(QStringLiteral("%1 was not written: %2.").arg(output, reason));
        return failed;
    }
    console.err(QStringLiteral("%1 keys written to %2 as %3. The file is not enciphered: whoever can read it can "
                               "read every password.")
                    .arg(access.table().keyCount())
                    .arg(toStandardOutput ? QStringLiteral("standard output") : output, formatTitle(format)));
    return done;
}

} // namespace

int exportCommand(const Invocation& invocation, Console& console)
{
    TransferFormat format = TransferFormat::TessaryKeyRing;
    if (invocation.options.contains(QStringLiteral("--format"))) {
        const QString name = invocation.options.value(QStringLiteral("--format"));
        const std::optional<TransferFormat> named = formatNamed(name);
        if (!named || (*named != TransferFormat::TessaryKeyRing && *named != TransferFormat::KeePassXcCsv &&
                       *named != TransferFormat::KeePassXml))
            return usageFailure(console,
                                QStringLiteral("Unknown export format %1: it is tessary, keepassxc-csv or keepass-xml.")
                                    .arg(name));
        format = *named;
    }
    const bool hasOutput = invocation.options.contains(QStringLiteral("--output"));
    if (format == TransferFormat::TessaryKeyRing && hasOutput)
        return usageFailure(console, QStringLiteral("A Tessary key ring is exported to tessary.keyRing; --output is "
                                                    "for keepassxc-csv and keepass-xml."));
    if (format != TransferFormat::TessaryKeyRing && !hasOutput)
        return usageFailure(console, QStringLiteral("%1 needs --output FILE (- for standard output).")
                                         .arg(formatName(format)));

    KeyRingAccess access(invocation.directory, console, invocation.hasFlag(acceptOlderFlag));
    if (const int status = access.open(invocation.arguments.at(0), KeyRingAccess::Mode::Read))
        return status;
    if (format != TransferFormat::TessaryKeyRing)
    {
        const QString output = invocation.options.value(QStringLiteral("--output"));
        return exportInClear(access, console, format, output, invocation.userPath(output));
    }
    QString error;
    if (!access.session().exportKeyRing(&error)) {
        console.err(error);
        return failed;
    }
    return done;
}

} // namespace tessary::cli
