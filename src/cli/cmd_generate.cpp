#include "cli/commands.h"

#include "crypto/random.h"
#include "crypto/wipe.h"
#include "storage/key_ring_file.h"

namespace tessary::cli {

int generateCommand(const Invocation& invocation, Console& console)
{
    qsizetype length = generatedPasswordLength;
    if (!invocation.arguments.isEmpty()) {
        bool ok = false;
        length = invocation.arguments.at(0).toInt(&ok);
        if (!ok || length < 1 || length > keyRingFieldLimit)
            return usageFailure(console,
                                QStringLiteral("LENGTH must be a whole number from 1 to %1.").arg(keyRingFieldLimit));
    }
    QByteArray password = randomPassword(length);
    password.append('\n');
    console.writeOut(password);
    wipe(password);
    return done;
}

} // namespace tessary::cli
