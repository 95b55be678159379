#include "cli/commands.h"

#include "crypto/password_generator.h"
#include "crypto/wipe.h"
#include "storage/codepage.h"

namespace tessary::cli {

namespace {

// ULDS: upper case, lower case, digits, symbols; each letter once at most.
bool parseClasses(const QString& text, unsigned& classes)
{
    classes = 0;
    for (const QChar c : text) {
        const unsigned bit = c == u'U'   ? unsigned(GeneratorOptions::Upper)
                             : c == u'L' ? unsigned(GeneratorOptions::Lower)
                             : c == u'D' ? unsigned(GeneratorOptions::Digits)
                             : c == u'S' ? unsigned(GeneratorOptions::Symbols)
                                         : 0U;
        if (bit == 0 || (classes & bit))
            return false;
        classes |= bit;
    }
    return classes != 0;
}

bool parseNumber(const QString& text, int& number)
{
    bool ok = false;
    number = text.toInt(&ok);
    return ok;
}

} // namespace

int generateCommand(const Invocation& invocation, Console& console)
{
    const QString lengthOption = QStringLiteral("--length");
    const QString wordsOption = QStringLiteral("--words");
    GeneratorOptions options;
    // The length may also stand alone, as before the options came.
    if (!invocation.arguments.isEmpty() && invocation.options.contains(lengthOption))
        return usageFailure(console, QStringLiteral("Give the length once: LENGTH or --length N."));
    const QString length =
        invocation.arguments.isEmpty() ? invocation.options.value(lengthOption) : invocation.arguments.at(0);
    if (!length.isNull() && !parseNumber(length, options.length))
        return usageFailure(console, QStringLiteral("The length must be a whole number."));
    if (invocation.options.contains(QStringLiteral("--classes")) &&
        !parseClasses(invocation.options.value(QStringLiteral("--classes")), options.classes))
        return usageFailure(console, QStringLiteral("--classes takes the letters U, L, D and S, each once at most."));
    options.noLookAlikes = invocation.hasFlag(QStringLiteral("--no-look-alikes"));
    if (invocation.options.contains(wordsOption)) {
        if (!length.isNull() || invocation.options.contains(QStringLiteral("--classes")) || options.noLookAlikes)
            return usageFailure(console, QStringLiteral("--words makes a passphrase: it takes no length or classes."));
        options.kind = GeneratorOptions::Kind::Words;
        if (!parseNumber(invocation.options.value(wordsOption), options.words))
            return usageFailure(console, QStringLiteral("--words needs a whole number."));
    }
    if (invocation.options.contains(QStringLiteral("--separator"))) {
        const QString separator = invocation.options.value(QStringLiteral("--separator"));
        if (!fitsCodePage(separator))
            return usageFailure(console, QStringLiteral("The separator holds characters a key ring cannot store."));
        options.separator = toCodePage(separator);
    }
    if (const QString refusal = generatorRefusal(options); !refusal.isEmpty())
        return usageFailure(console, refusal);

    GeneratedPassword made = generatePassword(options);
    made.password.append('\n');
    console.writeOut(made.password);
    wipe(made.password);
    if (invocation.hasFlag(QStringLiteral("--bits")))
        console.err(QStringLiteral("%1 bits").arg(made.bits, 0, 'f', 1));
    return done;
}

} // namespace tessary::cli
