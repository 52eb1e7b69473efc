#include "forms/Random.h"

#include <bit>

namespace forms {

namespace {
// splitmix64: a small, well-mixed step; good enough for moles.
std::uint64_t mix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}
} // namespace

ClockSeededRandom::ClockSeededRandom(const Clock& clock)
    : clock_(clock), state_(std::bit_cast<std::uint64_t>(clock.now())) {}

void ClockSeededRandom::reseed() {
    state_ ^= std::bit_cast<std::uint64_t>(clock_.now());
    mix(state_);
}

double ClockSeededRandom::next() {
    // 53 random bits give every double in [0, 1) on the 2^-53 grid.
    return static_cast<double>(mix(state_) >> 11) * 0x1.0p-53;
}

} // namespace forms
