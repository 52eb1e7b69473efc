#include "instruments.h"
#include "notes.h"
#include "sounds.h"

#include <algorithm>
#include <cmath>

namespace wavgen {

namespace {

// One raspy "kaa": a buzzy voice with a wobbling pitch, rough from a
// half-rate flutter, shaped by the open "a" of a crow's throat.
Signal caw(double pitch, double seconds, std::uint32_t seed) {
    Signal out(samplesFor(seconds));
    Noise breath(seed), jitterNoise(seed * 7u + 3u);
    Biquad jitterSmooth(Biquad::Kind::LowPass, 60.0, 0.7);
    Biquad f1(Biquad::Kind::BandPass, 950.0, 4.0);
    Biquad f2(Biquad::Kind::BandPass, 1500.0, 5.0);
    Biquad f3(Biquad::Kind::BandPass, 2600.0, 6.0);
    Biquad kTone(Biquad::Kind::BandPass, 2000.0, 1.5);
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const double u = t / seconds;
        // Rises briefly, then sinks as the caw runs out of breath.
        const double contour = 1.0 + 0.12 * std::sin(kPi * std::min(1.0, u / 0.35)) - 0.18 * u;
        const double jitter = 1.0 + 2.0 * jitterSmooth.process(jitterNoise.next());
        phase += pitch * contour * jitter / kRate;
        const double saw = 2.0 * (phase - std::floor(phase)) - 1.0;
        const double flutter = 0.6 + 0.4 * std::sin(kPi * phase); // half-rate roughness
        const double source = saw * flutter + 0.35 * breath.next();
        const double voiced = f1.process(static_cast<float>(source)) +
                              0.8 * f2.process(static_cast<float>(source)) +
                              0.35 * f3.process(static_cast<float>(source));
        const double env = std::min(1.0, t / 0.006) * std::min(1.0, (1.0 - u) / 0.35) *
                           (0.85 + 0.15 * std::cos(kPi * u));
        // The hard "k" that opens each call.
        const double k = kTone.process(breath.next()) * std::exp(-t / 0.008);
        out[i] = static_cast<float>(env * voiced + 1.5 * k);
    }
    return out;
}

} // namespace

Signal crowCaw() {
    Signal out;
    mixAt(out, caw(560.0, 0.42, 11u), 0);
    mixAt(out, caw(520.0, 0.50, 23u), samplesFor(0.62), 0.95f);
    out.resize(out.size() + samplesFor(0.05), 0.0f);
    return out;
}

Signal sadSlide() {
    // "wah wah wah waaah": four falling semitones, the last one sagging away.
    struct Step {
        const char* note;
        double start;
        double length;
    };
    static constexpr Step kSteps[] = {
        {"D4", 0.00, 0.36}, {"C#4", 0.38, 0.36}, {"C4", 0.76, 0.36}, {"B3", 1.14, 1.05}};
    const double total = 2.30;
    Signal out(samplesFor(total));
    Oscillator a(Wave::Saw), b(Wave::Saw, 0.5, 0.41);
    Biquad mute(Biquad::Kind::LowPass, 500.0, 3.0);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const Step* step = &kSteps[0];
        for (const Step& s : kSteps)
            if (t >= s.start)
                step = &s;
        const double u = t - step->start;
        const bool last = step == &kSteps[3];
        double hz = midiHz(midiOf(step->note));
        hz *= std::pow(2.0, -0.35 * std::exp(-u / 0.04) / 12.0); // slide into each note
        if (last) {
            const double wobble = std::min(1.0, u / 0.3);
            hz *= std::pow(2.0, 0.45 * wobble * std::sin(kTwoPi * 5.5 * u) / 12.0);
            hz *= std::pow(2.0, -1.5 * std::max(0.0, u - 0.55) / 0.5 / 12.0); // droops away
        }
        // Each note swells and fades like a plunger mute opening and closing.
        const double attack = std::min(1.0, u / (step == &kSteps[0] ? 0.006 : 0.03));
        const double shape = last ? std::min(1.0, (step->length - u) / 0.6)
                                  : std::min(1.0, (step->length - u) / 0.12);
        const double level = std::max(0.0, attack * shape);
        const double open = last ? 0.4 + 0.6 * std::sin(kPi * std::min(1.0, u / 0.9))
                                 : std::sin(kPi * std::min(1.0, u / step->length));
        mute.tune(hz * (1.3 + 4.5 * open), 3.0);
        const float raw = 0.5f * (a.next(hz) + b.next(hz * 1.006));
        out[i] = static_cast<float>(level) * mute.process(raw);
    }
    return out;
}

Signal soSoPhrase() {
    // "mi re do re…": it sets off, wanders back and stops mid-air, neither
    // happy nor sad.
    const auto melody = parseMelody("E5:2 D5:2 C5:2 D5:2 r:1 G4:2 D5:6");
    constexpr double kSixteenth = 0.11;
    Signal out;
    for (const Note& n : melody) {
        if (n.midi < 0)
            continue;
        mixAt(out, marimba(midiHz(n.midi), n.length * kSixteenth + 0.3),
              samplesFor(n.start * kSixteenth), 0.8f);
    }
    // A quiet bass underneath: the tonic, then the dominant left hanging.
    mixAt(out, marimba(midiHz(midiOf("C3")), 1.0), 0, 0.55f);
    mixAt(out, marimba(midiHz(midiOf("G2")), 1.1), samplesFor(9 * kSixteenth), 0.55f);
    out.resize(std::min(out.size(), samplesFor(2.2)));
    return out;
}

Signal brightFanfare() {
    // "ta-ta-ta TAAAN" on brass, a chord under the held note, and chimes
    // sparkling over it.
    Signal out;
    const char* const pickup[] = {"G4", "C5", "E5"};
    for (int k = 0; k < 3; ++k)
        mixAt(out, brass(midiHz(midiOf(pickup[k])), 0.085, 0.004), samplesFor(0.11 * k), 0.9f);
    const std::size_t land = samplesFor(0.33);
    const double hold = 1.25;
    mixAt(out, brass(midiHz(midiOf("G5")), hold, 0.01), land, 1.0f);
    mixAt(out, brass(midiHz(midiOf("E5")), hold, 0.01), land, 0.5f);
    mixAt(out, brass(midiHz(midiOf("C5")), hold, 0.01), land, 0.5f);
    mixAt(out, brass(midiHz(midiOf("C3")), hold, 0.01), land, 0.6f);
    const char* const chimes[] = {"C6", "E6", "G6", "C7", "E7", "G7"};
    for (int k = 0; k < 6; ++k)
        mixAt(out, glockenspiel(midiHz(midiOf(chimes[k])), 1.2), land + samplesFor(0.06 + 0.07 * k),
              0.22f);
    out.resize(samplesFor(2.0), 0.0f);
    return out;
}

} // namespace wavgen
