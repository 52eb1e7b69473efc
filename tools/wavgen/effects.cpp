#include "instruments.h"
#include "notes.h"
#include "sounds.h"

#include <cmath>

namespace wavgen {

Signal hitSound() {
    Signal out(samplesFor(0.30));
    Noise noise(0x90c0u);
    Biquad clickTone(Biquad::Kind::BandPass, 3200.0, 1.0);
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // The hollow block: its pitch drops as the knock settles ("po").
        phase += (600.0 + 520.0 * std::exp(-t / 0.010)) / kRate;
        const double block = std::sin(kTwoPi * phase) * std::exp(-t / 0.045);
        const double mode = 0.35 * std::sin(kTwoPi * 1585.0 * t) * std::exp(-t / 0.022);
        // The hammer's click right at contact.
        const double click = 0.9 * clickTone.process(noise.next()) * std::exp(-t / 0.004);
        // The bright ring that makes a hit feel rewarding ("ko!").
        const double ping = (std::sin(kTwoPi * 2093.0 * t) + 0.3 * std::sin(kTwoPi * 4186.0 * t) +
                             0.15 * std::sin(kTwoPi * 3140.0 * t)) *
                            std::exp(-t / 0.065);
        out[i] = static_cast<float>(block + mode + click + 0.4 * ping);
    }
    return out;
}

Signal missSound() {
    Signal out(samplesFor(0.30));
    Oscillator buzzA(Wave::Pulse, 0.5), buzzB(Wave::Pulse, 0.5, 0.3);
    Biquad muffle(Biquad::Kind::LowPass, 700.0, 0.7);
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = static_cast<double>(i) / kRate;
        // A soft thump of the hammer on the empty ground.
        phase += (70.0 + 90.0 * std::exp(-t / 0.03)) / kRate;
        const double thud = std::sin(kTwoPi * phase) * std::exp(-t / 0.07);
        // A low, slightly beating buzz that sags in pitch: "buu".
        const double sag = 1.0 - 0.08 * t / 0.3;
        const double buzzLevel =
            std::min(1.0, t / 0.004) * std::max(0.0, std::min(1.0, (0.24 - t) / 0.12));
        const double buzz =
            muffle.process(0.5f * (buzzA.next(110.0 * sag) + buzzB.next(116.0 * sag)));
        out[i] = static_cast<float>(0.8 * thud + 0.7 * buzzLevel * buzz);
    }
    return out;
}

Signal countdownBeeps(int count, double hz) {
    constexpr double kBeep = 0.075;
    constexpr double kStep = 0.125;
    const ChipVoice voice{Wave::Pulse, 0.25, Adsr{0.002, 0.03, 0.8, 0.012}};
    Signal out;
    for (int k = 0; k < count; ++k) {
        Signal beep = chipNote(voice, hz, kBeep);
        // A sine an octave below rounds off the chip edge.
        for (std::size_t i = 0; i < beep.size(); ++i) {
            const double t = static_cast<double>(i) / kRate;
            beep[i] +=
                static_cast<float>(0.5 * voice.env.at(t, kBeep) * std::sin(kTwoPi * hz * 0.5 * t));
        }
        mixAt(out, beep, samplesFor(k * kStep));
    }
    out.resize(out.size() + samplesFor(0.02), 0.0f);
    return out;
}

Signal endJingle() {
    // Short notes for the run; the landing chord dies away like a struck chord.
    const ChipVoice run{Wave::Pulse, 0.25, Adsr{0.003, 0.08, 0.6, 0.04}};
    const ChipVoice lead{Wave::Pulse, 0.25, Adsr{0.003, 0.45, 0.3, 0.15}, 12.0};
    const ChipVoice harmony{Wave::Pulse, 0.5, Adsr{0.003, 0.45, 0.25, 0.15}};
    const ChipVoice bass{Wave::Triangle, 0.5, Adsr{0.002, 0.5, 0.4, 0.15}};
    Signal out(samplesFor(1.0));
    // "ta-ra-ra TAAN": a quick rising arpeggio landing on a full chord.
    const char* const rising[] = {"G5", "A5", "B5"};
    for (int k = 0; k < 3; ++k)
        mixAt(out, chipNote(run, midiHz(midiOf(rising[k])), 0.06), samplesFor(0.075 * k), 0.8f);
    const std::size_t land = samplesFor(0.225);
    const double hold = 0.55;
    mixAt(out, chipNote(lead, midiHz(midiOf("C6")), hold), land, 0.9f);
    mixAt(out, chipNote(harmony, midiHz(midiOf("G5")), hold), land, 0.3f);
    mixAt(out, chipNote(harmony, midiHz(midiOf("E5")), hold), land, 0.3f);
    mixAt(out, chipNote(bass, midiHz(midiOf("C3")), hold), land, 0.9f);
    mixAt(out, chipNote(bass, midiHz(midiOf("G3")), 0.12), 0, 0.7f);
    out.resize(samplesFor(1.0));
    return out;
}

} // namespace wavgen
