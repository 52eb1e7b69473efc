#pragma once

#include <QElapsedTimer>

#include <cstdint>

namespace forms {

// Seconds with fractions. Timed sequences stamp a moment as a whole second and later
// compare the elapsed time with their margin, so the rounding rule is part of the game's
// rhythm: a stamp is the nearest whole second, an exact half going to the even neighbour.
class Clock {
public:
    virtual ~Clock() = default;
    virtual double now() const = 0;

    std::int32_t stamp() const { return stampOf(now()); }
    double elapsedSince(std::int32_t stamp) const { return now() - stamp; }

    static std::int32_t stampOf(double seconds);
};

// The time of day when the program started, carried on by a monotonic timer: it reads like
// the time of day but never jumps back at midnight or when the system clock is set.
class SteadyClock final : public Clock {
public:
    SteadyClock();
    double now() const override;

private:
    double startOfRun_;
    QElapsedTimer sinceStart_;
};

} // namespace forms
