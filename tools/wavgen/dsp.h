#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Small building blocks for synthesising the game's sounds. Everything is
// computed in floating point at one fixed rate and is fully deterministic:
// the same source always yields the same samples.
namespace wavgen {

inline constexpr int kRate = 44100;
inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;

using Signal = std::vector<float>;

// Number of samples in a duration, rounded to the nearest sample.
std::size_t samplesFor(double seconds);

// White noise from a fixed seed, so hats and rasps sound the same every build.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1u) {}
    float next(); // uniform in [-1, 1)

private:
    std::uint32_t state_;
};

enum class Wave { Triangle, Saw, Pulse };

// Phase-accumulating oscillator. Saw and pulse edges are smoothed with
// polyBLEP so bright chip tones do not alias into hiss.
class Oscillator {
public:
    explicit Oscillator(Wave wave, double duty = 0.5, double phase = 0.0)
        : wave_(wave), duty_(duty), phase_(phase) {}
    float next(double hz);

private:
    Wave wave_;
    double duty_;
    double phase_;
};

// RBJ biquad; coefficients may be changed every sample for sweeps.
class Biquad {
public:
    enum class Kind { LowPass, HighPass, BandPass };
    Biquad(Kind kind, double hz, double q) : kind_(kind) { tune(hz, q); }
    void tune(double hz, double q);
    float process(float x);

private:
    Kind kind_;
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// Attack/decay/sustain/release envelope for a note held for `gate` seconds.
struct Adsr {
    double attack = 0.005;
    double decay = 0.05;
    double sustain = 0.7;
    double release = 0.05;
    double at(double t, double gate) const;
    double length(double gate) const { return gate + release; }
};

// Mixes `src` into `dst` starting at `offset`, growing `dst` if needed.
void mixAt(Signal& dst, const Signal& src, std::size_t offset, float gain = 1.0f);
// Mixes `src` into a loop, wrapping whatever runs past the end to the start.
void mixWrapped(Signal& loop, const Signal& src, std::size_t offset, float gain = 1.0f);

// Raised-cosine fades at both ends so a sound never starts or stops with a click.
void fadeEdges(Signal& s, double fadeInSeconds, double fadeOutSeconds);
// Scales so the largest magnitude sits exactly at `dbfs`.
void normalizePeak(Signal& s, double dbfs);

double midiHz(double midiNote);

} // namespace wavgen
