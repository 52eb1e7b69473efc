#include "instruments.h"

#include <cmath>

namespace wavgen {

Signal chipNote(const ChipVoice& voice, double hz, double gate) {
    Signal out(samplesFor(voice.env.length(gate)));
    Oscillator osc(voice.wave, voice.duty);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // Vibrato fades in over 150 ms so short notes stay clean.
        const double depth = voice.vibratoCents * std::min(1.0, std::max(0.0, t - 0.08) / 0.15);
        const double bend = std::pow(2.0, depth * std::sin(kTwoPi * voice.vibratoHz * t) / 1200.0);
        out[i] = static_cast<float>(voice.env.at(t, gate)) * osc.next(hz * bend);
    }
    return out;
}

Signal marimba(double hz, double seconds) {
    Signal out(samplesFor(seconds));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.002);
        const double body = std::sin(kTwoPi * hz * t) * std::exp(-t / 0.35);
        const double overtone = 0.35 * std::sin(kTwoPi * hz * 3.93 * t) * std::exp(-t / 0.04);
        const double knock = 0.12 * std::sin(kTwoPi * hz * 9.2 * t) * std::exp(-t / 0.008);
        const double tail = std::min(1.0, (seconds - t) / 0.08); // let it die, never cut it
        out[i] = static_cast<float>(attack * tail * (body + overtone + knock));
    }
    return out;
}

Signal glockenspiel(double hz, double seconds) {
    static constexpr double kRatio[] = {1.0, 2.76, 5.40, 8.93};
    static constexpr double kLevel[] = {1.0, 0.45, 0.2, 0.08};
    static constexpr double kDecay[] = {0.9, 0.35, 0.12, 0.05};
    Signal out(samplesFor(seconds));
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        double v = 0.0;
        for (int p = 0; p < 4; ++p)
            if (hz * kRatio[p] < 18000.0) // higher partials would fold back as noise
                v += kLevel[p] * std::sin(kTwoPi * hz * kRatio[p] * t) * std::exp(-t / kDecay[p]);
        const double tail = std::min(1.0, (seconds - t) / 0.15);
        out[i] = static_cast<float>(std::min(1.0, t / 0.001) * tail * v);
    }
    return out;
}

Signal brass(double hz, double gate, double attack) {
    const Adsr env{attack, 0.12, 0.75, 0.08};
    Signal out(samplesFor(env.length(gate)));
    Oscillator a(Wave::Saw), b(Wave::Saw, 0.5, 0.37);
    Biquad tone(Biquad::Kind::LowPass, 1000.0, 1.2);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double level = env.at(t, gate);
        // Lips buzz a little flat at first and settle onto the note.
        const double scoop = std::pow(2.0, -0.4 * std::exp(-t / 0.025) / 12.0);
        const double vib =
            std::pow(2.0, 8.0 * std::min(1.0, t / 0.4) * std::sin(kTwoPi * 5.2 * t) / 1200.0);
        tone.tune(hz * (1.5 + 5.0 * level), 1.2);
        const float raw = 0.5f * (a.next(hz * scoop * vib) + b.next(hz * scoop * vib * 1.004));
        out[i] = static_cast<float>(level) * tone.process(raw);
    }
    return out;
}

Signal kick() {
    Signal out(samplesFor(0.22));
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double hz = 48.0 + 110.0 * std::exp(-t / 0.03);
        phase += hz / kRate;
        const double amp = std::min(1.0, t / 0.001) * std::exp(-t / 0.09);
        out[i] = static_cast<float>(amp * std::sin(kTwoPi * phase));
    }
    return out;
}

Signal snare(std::uint32_t seed) {
    Signal out(samplesFor(0.18));
    Noise noise(seed);
    Biquad band(Biquad::Kind::BandPass, 2200.0, 0.7);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double attack = std::min(1.0, t / 0.001);
        const double rattle = band.process(noise.next()) * std::exp(-t / 0.06);
        const double drum = 0.6 * std::sin(kTwoPi * 185.0 * t) * std::exp(-t / 0.04);
        out[i] = static_cast<float>(attack * (1.6 * rattle + drum));
    }
    return out;
}

Signal hat(std::uint32_t seed) {
    Signal out(samplesFor(0.06));
    Noise noise(seed);
    Biquad high(Biquad::Kind::HighPass, 7000.0, 0.8);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double amp = std::min(1.0, t / 0.0005) * std::exp(-t / 0.015);
        out[i] = static_cast<float>(amp * high.process(noise.next()));
    }
    return out;
}

} // namespace wavgen
