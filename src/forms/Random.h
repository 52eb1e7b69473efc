#pragma once

#include "forms/Clock.h"

#include <cstdint>

namespace forms {

// Uniform draws in [0, 1) from a source that the screens re-seed from the clock.
class Random {
public:
    virtual ~Random() = default;
    virtual void reseed() = 0;
    virtual double next() = 0;
};

// Re-seeding mixes the clock into the generator's running state instead of replacing it,
// so two re-seeds at an unchanged clock value still give different draws.
class ClockSeededRandom final : public Random {
public:
    explicit ClockSeededRandom(const Clock& clock);
    void reseed() override;
    double next() override;

private:
    const Clock& clock_;
    std::uint64_t state_;
};

} // namespace forms
