#include "dsp.h"

#include <algorithm>
#include <cmath>

namespace wavgen {

std::size_t samplesFor(double seconds) {
    return static_cast<std::size_t>(std::lround(seconds * kRate));
}

float Noise::next() {
    // xorshift32: tiny, fast and identical on every platform.
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ / 2147483648.0 - 1.0);
}

namespace {

// Correction that rounds off a unit step at phase 0 over one sample.
double polyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

} // namespace

float Oscillator::next(double hz) {
    const double dt = hz / kRate;
    double v = 0.0;
    switch (wave_) {
    case Wave::Triangle:
        v = phase_ < 0.5 ? 4.0 * phase_ - 1.0 : 3.0 - 4.0 * phase_;
        break;
    case Wave::Saw:
        v = 2.0 * phase_ - 1.0 - polyBlep(phase_, dt);
        break;
    case Wave::Pulse: {
        v = phase_ < duty_ ? 1.0 : -1.0;
        v += polyBlep(phase_, dt);
        v -= polyBlep(std::fmod(phase_ + 1.0 - duty_, 1.0), dt);
        // Keep the average at zero whatever the duty, so notes do not thump.
        v -= 2.0 * duty_ - 1.0;
        break;
    }
    }
    phase_ += dt;
    phase_ -= std::floor(phase_);
    return static_cast<float>(v);
}

void Biquad::tune(double hz, double q) {
    hz = std::clamp(hz, 10.0, 0.45 * kRate);
    const double w = kTwoPi * hz / kRate;
    const double cw = std::cos(w);
    const double alpha = std::sin(w) / (2.0 * q);
    const double a0 = 1.0 + alpha;
    switch (kind_) {
    case Kind::LowPass:
        b0_ = (1.0 - cw) / 2.0;
        b1_ = 1.0 - cw;
        b2_ = b0_;
        break;
    case Kind::HighPass:
        b0_ = (1.0 + cw) / 2.0;
        b1_ = -(1.0 + cw);
        b2_ = b0_;
        break;
    case Kind::BandPass:
        b0_ = alpha;
        b1_ = 0.0;
        b2_ = -alpha;
        break;
    }
    b0_ /= a0;
    b1_ /= a0;
    b2_ /= a0;
    a1_ = -2.0 * cw / a0;
    a2_ = (1.0 - alpha) / a0;
}

float Biquad::process(float x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return static_cast<float>(y);
}

double Adsr::at(double t, double gate) const {
    auto held = [this](double u) {
        if (u < attack)
            return u / attack;
        if (u < attack + decay)
            return 1.0 - (1.0 - sustain) * (u - attack) / decay;
        return sustain;
    };
    if (t < 0.0)
        return 0.0;
    if (t < gate)
        return held(t);
    if (t < gate + release)
        return held(gate) * (1.0 - (t - gate) / release);
    return 0.0;
}

void mixAt(Signal& dst, const Signal& src, std::size_t offset, float gain) {
    if (dst.size() < offset + src.size())
        dst.resize(offset + src.size(), 0.0f);
    for (std::size_t i = 0; i < src.size(); ++i)
        dst[offset + i] += gain * src[i];
}

void mixWrapped(Signal& loop, const Signal& src, std::size_t offset, float gain) {
    const std::size_t n = loop.size();
    for (std::size_t i = 0; i < src.size(); ++i)
        loop[(offset + i) % n] += gain * src[i];
}

void fadeEdges(Signal& s, double fadeInSeconds, double fadeOutSeconds) {
    const std::size_t in = std::min(samplesFor(fadeInSeconds), s.size());
    const std::size_t out = std::min(samplesFor(fadeOutSeconds), s.size());
    for (std::size_t i = 0; i < in; ++i)
        s[i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / in));
    for (std::size_t i = 0; i < out; ++i)
        s[s.size() - 1 - i] *= static_cast<float>(0.5 - 0.5 * std::cos(kPi * i / out));
}

void normalizePeak(Signal& s, double dbfs) {
    float peak = 0.0f;
    for (float v : s)
        peak = std::max(peak, std::abs(v));
    if (peak <= 0.0f)
        return;
    const auto gain = static_cast<float>(std::pow(10.0, dbfs / 20.0) / peak);
    for (float& v : s)
        v *= gain;
}

double midiHz(double midiNote) {
    return 440.0 * std::pow(2.0, (midiNote - 69.0) / 12.0);
}

} // namespace wavgen
