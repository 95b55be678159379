#include "analysis/timing_loops.h"

#include <chrono>
#include <cmath>

namespace tessary {

namespace {

// Counting first keeps the counter above 0 however the clock behaves; it still leaves at a multiple of 256.
float countUntil(double deadline, const SecondsClock& clock)
{
    float counter = 0.0F;
    for (;;) {
        counter += 1.0F;
        if (std::fmod(std::nearbyint(counter), 256.0F) == 0.0F && clock() > deadline)
            return counter;
    }
}

} // namespace

double steadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

float calibrationLoop(const SecondsClock& clock)
{
    return countUntil(clock() + 0.2, clock);
}

float measurementLoop(const SecondsClock& clock)
{
    return countUntil(std::nearbyint(clock() + 2.0), clock);
}

} // namespace tessary
