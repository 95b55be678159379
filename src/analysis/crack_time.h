#pragma once

#include "analysis/report.h"
#include "analysis/timing_loops.h"

#include <QByteArrayView>

#include <cstdint>
#include <functional>
#include <optional>

namespace tessary {

// Which of the five character classes a password uses; the first class whose alphabet holds a character wins.
struct CharacterClasses
{
    bool lower = false;
    bool upper = false;
    bool digits = false;
    bool symbols = false; // the space and the 32 other printable ASCII characters that are no letter or digit
    bool other = false;   // control characters and every code above 126
};

CharacterClasses classifyCharacters(QByteArrayView password);

// The size of the alphabet an exhaustive search must try: 26, 26, 10, 30 and 150 for the classes present.
int passwordMultiplier(const CharacterClasses& classes);

// What small estimates are raised by: 1000 - seconds^0.7, at most 3 x seconds, never negative, and 0 from ten
// million seconds on. Worked out in full width: a 16-bit result overflows between about 2.94 and 10 million
// seconds, which would turn a few weeks into "over 1000 years".
int crackTimeAdjustment(float seconds);

// The bold estimate line for a number of seconds, in the largest unit that fits.
ReportLine crackTimeLine(float seconds);

// The wizard's advanced password check. One object per wizard window: the word file warning shows only on its
// first run.
class CrackTimeCheck
{
public:
    explicit CrackTimeCheck(SecondsClock clock = steadySeconds);

    // Runs the check on a password (code-page bytes). `fixedLoops` skips both timing loops and stands for the
    // estimate and the measured count alike, so a report can be reproduced. `progress`, if given, receives the
    // report so far at each point where the window lets its events run; when it returns false (the window went
    // meanwhile) the check ends there and the report so far is returned.
    Report run(QByteArrayView password, std::optional<float> fixedLoops = std::nullopt,
               const std::function<bool(const Report&)>& progress = {});

    bool dictionaryWarningShown() const { return m_dictionaryWarningShown; }

private:
    SecondsClock m_clock;
    bool m_dictionaryWarningShown = false;
};

} // namespace tessary
