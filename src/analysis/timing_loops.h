#pragma once

#include <functional>

namespace tessary {

// Seconds on a clock that only rises; the loops compare it with their deadlines. Injectable so tests can step it.
using SecondsClock = std::function<double()>;

// A monotonic clock: unlike the time of day, it does not fall back to zero at midnight, where a deadline set
// before midnight would never be reached.
double steadySeconds();

// The calibration loop: counts for 0.2 seconds. The counter is single precision, as the estimate's arithmetic
// expects; it stops growing at 16,777,216, after which the clock is read on every pass.
float calibrationLoop(const SecondsClock& clock);

// The measurement loop: counts until the clock passes its start plus 2 seconds, rounded to a whole second.
float measurementLoop(const SecondsClock& clock);

} // namespace tessary
