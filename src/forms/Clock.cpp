#include "forms/Clock.h"

#include <QTime>

#include <cfenv>
#include <cmath>

namespace forms {

std::int32_t Clock::stampOf(double seconds) {
    // nearbyint follows the current rounding mode; the default mode rounds halves to even.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double rounded = std::nearbyint(seconds);
    std::fesetround(previous);
    return static_cast<std::int32_t>(rounded);
}

SteadyClock::SteadyClock() : startOfRun_(QTime::currentTime().msecsSinceStartOfDay() / 1000.0) {
    sinceStart_.start();
}

double SteadyClock::now() const {
    return startOfRun_ + sinceStart_.nsecsElapsed() / 1e9;
}

} // namespace forms
