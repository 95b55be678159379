#include "analysis/crack_time.h"

#include "analysis/number_text.h"
#include "storage/codepage.h"

#include <cctype>
#include <cfloat>
#include <cmath>
#include <utility>

namespace tessary {

namespace {

using Style = ReportPiece::Style;

ReportLine line(const QString& text, unsigned style = Style::Plain)
{
    return ReportLine{ReportPiece{text, style}};
}

bool isSymbol(unsigned char c)
{
    return c == ' ' || (c >= 33 && c <= 126 && !std::isalnum(c));
}

float toSingle(double value)
{
    // Beyond the single-precision range a count becomes infinite rather than undefined.
    if (std::fabs(value) > FLT_MAX)
        return value > 0 ? INFINITY : -INFINITY;
    return static_cast<float>(value);
}

QString whole(double value)
{
    return QString::number(static_cast<long long>(std::floor(value)));
}

void lengthAdvice(Report& report, qsizetype length)
{
    if (length < 6) {
        report.append(line(QStringLiteral("Password insecure - should be at least 6 characters")));
    } else if (length < 10) {
        report.append(line(QStringLiteral("It is recomended that the password should have at least 10")));
        report.append(line(QStringLiteral("characters in it.")));
    }
}

void classAdvice(Report& report, const CharacterClasses& classes)
{
    if (!classes.lower || !classes.upper)
        report.append(line(QStringLiteral("Perhaps use a mixed case password?")));
    else if (!classes.digits)
        report.append(line(QStringLiteral("Use numbers in your password")));
    else if (!classes.symbols)
        report.append(line(QStringLiteral("Use symbols (such as '$' or '#') in your password")));
    else if (!classes.other)
        report.append(line(QStringLiteral("Use other ASCII characters in your password")));
}

} // namespace

CharacterClasses classifyCharacters(QByteArrayView password)
{
    CharacterClasses classes;
    for (const char signedByte : password) {
        const auto c = static_cast<unsigned char>(signedByte);
        if (c >= 'a' && c <= 'z')
            classes.lower = true;
        else if (c >= 'A' && c <= 'Z')
            classes.upper = true;
        else if (c >= '0' && c <= '9')
            classes.digits = true;
        else if (isSymbol(c))
            classes.symbols = true;
        else
            classes.other = true;
    }
    return classes;
}

int passwordMultiplier(const CharacterClasses& classes)
{
    return (classes.lower ? 26 : 0) + (classes.upper ? 26 : 0) + (classes.digits ? 10 : 0) +
           (classes.symbols ? 30 : 0) + (classes.other ? 150 : 0);
}

int crackTimeAdjustment(float seconds)
{
    if (!(seconds < 10'000'000.0F))
        return 0;
    // The power is double, as the language's power always is; 3 x seconds stays single like seconds.
    const float threeTimes = 3.0F * seconds;
    double a = std::nearbyint(1000.0 - std::pow(static_cast<double>(seconds), 0.7));
    if (a > threeTimes)
        a = std::nearbyint(threeTimes);
    if (a < 0.0)
        a = 0.0;
    return static_cast<int>(a);
}

ReportLine crackTimeLine(float seconds)
{
    // Quotients of single-precision values are single precision too, so a boundary falls where the report's own
    // arithmetic puts it.
    const float s = seconds;
    QString text;
    if (s < 60.0F) {
        text = whole(s) + QStringLiteral(" second(s) to crack");
    } else if (s < 3600.0F) {
        text = whole(s / 60.0F) + QStringLiteral(" minute(s), ") +
               QString::number(static_cast<long long>(s) % 60) + QStringLiteral(" second(s) to crack.");
    } else if (s < 86400.0F) {
        const float m = s / 60.0F;
        text = whole(m / 60.0F) + QStringLiteral(" hour(s)") + QString::number(static_cast<long long>(m) % 60) +
               QStringLiteral(" minutes(s) to crack.");
    } else if (s < 31'536'000.0F) {
        const float h = s / 3600.0F;
        text = whole(h / 24.0F) + QStringLiteral(" day(s)") + QString::number(static_cast<long long>(h) % 24) +
               QStringLiteral(" hour(s) to crack.");
    } else if (static_cast<double>(s) < 31'536'000'000.0) { // a bound no single-precision number holds
        const float d = s / 86400.0F;
        text = whole(d / 365.0F) + QStringLiteral(" year(s)") + QString::number(static_cast<long long>(d) % 365) +
               QStringLiteral(" day(s) to crack.");
    } else {
        text = QStringLiteral("Over 1000 years to crack.");
    }
    return line(text, Style::Bold);
}

CrackTimeCheck::CrackTimeCheck(SecondsClock clock) : m_clock(std::move(clock)) {}

Report CrackTimeCheck::run(QByteArrayView password, std::optional<float> fixedLoops,
                           const std::function<bool(const Report&)>& progress)
{
    const auto letEventsRun = [&](const Report& soFar) { return !progress || progress(soFar); };

    Report report;
    report.append(ReportLine{});
    report.append(line(QStringLiteral("Tessory v0.1a Advanced Password Check"), Style::Bold | Style::Underline));
    if (!m_dictionaryWarningShown) {
        report.append(line(QStringLiteral("THIS MIGHT CRASH IF YOU DO NOT HAVE"), Style::Italic));
        report.append(ReportLine{ReportPiece{QStringLiteral("WORDS.TXT "), Style::Italic | Style::Red},
                                 ReportPiece{QStringLiteral("ON YOUR DESKTOP!"), Style::Italic}});
        m_dictionaryWarningShown = true;
    }
    if (!letEventsRun(report))
        return report;

    // The dictionary holds no words: the step only says what it is looking at, by its length, since the report is
    // on the screen (and read out by a screen reader) for anyone to see.
    report.append(line(QStringLiteral("Working... (%1 characters)").arg(password.size())));
    lengthAdvice(report, password.size());
    const CharacterClasses classes = classifyCharacters(password);
    classAdvice(report, classes);
    const int multiplier = passwordMultiplier(classes);
    if (!letEventsRun(report))
        return report;

    const float estimate = fixedLoops ? *fixedLoops : 10.0F * calibrationLoop(m_clock);
    report.append(line(QStringLiteral("Estimated Loops: ") + singleText(estimate)));
    if (!letEventsRun(report))
        return report;
    const float counter = fixedLoops ? *fixedLoops : measurementLoop(m_clock);
    report.append(ReportLine{
        ReportPiece{QStringLiteral("Working Out... ")},
        ReportPiece{singleText(counter) + QStringLiteral(" Loops -=- ")},
        ReportPiece{QStringLiteral("Difference: ") + singleText(std::fabs(estimate - counter))},
    });
    if (counter < 1'000'000.0F)
        report.append(line(QStringLiteral("Considered buying a faster CPU?")));
    report.append(line(QStringLiteral("Password multiplier is ") + QString::number(multiplier) + QLatin1Char('.')));

    const float cycles = toSingle(std::pow(static_cast<double>(multiplier), static_cast<double>(password.size())));
    report.append(line(QStringLiteral("Average Case Cycles: ") + singleText(cycles / 2.0F)));
    float seconds = cycles / counter / 100.0F;
    seconds += static_cast<float>(crackTimeAdjustment(seconds));
    report.append(crackTimeLine(seconds));

    report.append(ReportLine{});
    report.append(line(QStringLiteral("Please remember: This is in pre-alpha"), Style::Italic));
    report.append(ReportLine{});
    report.append(line(QStringLiteral("Hey, Varnick - You like?")));
    return report;
}

} // namespace tessary
