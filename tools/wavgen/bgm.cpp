#include "instruments.h"
#include "notes.h"
#include "sounds.h"

#include <array>
#include <stdexcept>
#include <string_view>

namespace wavgen {

namespace {

// 140 beats a minute makes a sixteenth exactly 4725 samples, so every note
// and the loop point fall on whole samples.
constexpr std::size_t kSixteenth = kRate * 60 / 140 / 4;
constexpr int kBars = 16;
constexpr int kLoopSixteenths = kBars * 16;

// A bouncy tune in C: A A' B A'', ending with a run that leads back to bar 1.
constexpr std::string_view kMelody =
    "E5:2 G5:2 C6:4 G5:2 E5:2 C5:4 | A4:2 C5:2 E5:4 D5:2 C5:2 A4:4 | "
    "F4:2 A4:2 C5:2 F5:2 E5:2 D5:2 C5:2 A4:2 | B4:2 D5:2 G5:4 F5:2 D5:2 B4:2 G4:2 | "
    "E5:2 G5:2 C6:4 G5:2 E5:2 C5:4 | A4:2 C5:2 E5:4 A5:2 G5:2 E5:4 | "
    "F5:2 E5:2 D5:2 C5:2 D5:2 E5:2 F5:2 D5:2 | C5:4 E5:2 G5:2 C6:4 r:4 | "
    "C5:2 F5:2 A5:4 G5:2 F5:2 E5:2 F5:2 | D5:2 G5:2 B5:4 A5:2 G5:2 F5:2 G5:2 | "
    "E5:2 G5:2 B5:4 A5:2 G5:2 E5:4 | A5:4 G5:2 F5:2 D5:4 G5:4 | "
    "E5:2 G5:2 C6:4 G5:2 E5:2 C5:4 | A4:2 C5:2 E5:4 A5:2 G5:2 E5:4 | "
    "F5:2 A5:2 G5:2 F5:2 E5:2 D5:2 B4:2 D5:2 | C5:4 r:2 G4:2 A4:2 B4:2 C5:2 D5:2";

// One chord per half bar.
constexpr std::array<std::string_view, kBars* 2> kChords = {
    "C", "C", "Am", "Am", "F",  "F",  "G", "G", "C", "C", "Am", "Am", "F", "G", "C", "C",
    "F", "F", "G",  "G",  "Em", "Em", "F", "G", "C", "C", "Am", "Am", "F", "G", "C", "G"};

struct Chord {
    std::string_view name;
    int bass;                // root, low
    std::array<int, 3> stab; // close voicing around middle C
};

const Chord& chord(std::string_view name) {
    static const std::array<Chord, 5> kTable = {{
        {"C", midiOf("C3"), {midiOf("E4"), midiOf("G4"), midiOf("C5")}},
        {"Am", midiOf("A2"), {midiOf("E4"), midiOf("A4"), midiOf("C5")}},
        {"F", midiOf("F2"), {midiOf("F4"), midiOf("A4"), midiOf("C5")}},
        {"G", midiOf("G2"), {midiOf("D4"), midiOf("G4"), midiOf("B4")}},
        {"Em", midiOf("E2"), {midiOf("E4"), midiOf("G4"), midiOf("B4")}},
    }};
    for (const Chord& c : kTable)
        if (c.name == name)
            return c;
    throw std::invalid_argument("unknown chord");
}

std::size_t at(int sixteenth) {
    return static_cast<std::size_t>(sixteenth) * kSixteenth;
}
double seconds(int sixteenths) {
    return static_cast<double>(at(sixteenths)) / kRate;
}

void addMelody(Signal& loop) {
    const auto melody = parseMelody(kMelody);
    if (lengthOf(melody) != kLoopSixteenths)
        throw std::logic_error("melody does not fill the loop");
    const ChipVoice lead{Wave::Pulse, 0.25, Adsr{0.004, 0.06, 0.65, 0.05}, 14.0};
    // A softer, thinner copy three sixteenths later: the classic chip echo.
    const ChipVoice echo{Wave::Pulse, 0.125, Adsr{0.004, 0.06, 0.5, 0.05}};
    for (const Note& n : melody) {
        if (n.midi < 0)
            continue;
        const double gate = seconds(n.length) * 0.85;
        mixWrapped(loop, chipNote(lead, midiHz(n.midi), gate), at(n.start), 0.30f);
        mixWrapped(loop, chipNote(echo, midiHz(n.midi), gate), at(n.start + 3), 0.09f);
    }
}

void addAccompaniment(Signal& loop) {
    const ChipVoice bass{Wave::Triangle, 0.5, Adsr{0.003, 0.05, 0.8, 0.03}};
    const ChipVoice stab{Wave::Pulse, 0.5, Adsr{0.002, 0.04, 0.4, 0.03}};
    for (int half = 0; half < kBars * 2; ++half) {
        const Chord& c = chord(kChords[half]);
        const int base = half * 8;
        // Bass bounces between the root and its octave on every eighth.
        for (int e = 0; e < 4; ++e) {
            const int note = c.bass + (e % 2 ? 12 : 0);
            mixWrapped(loop, chipNote(bass, midiHz(note), seconds(2) * 0.7), at(base + 2 * e),
                       0.34f);
        }
        // Short chord stabs on the off-beats keep it skipping along.
        for (int offbeat : {2, 6})
            for (int note : c.stab)
                mixWrapped(loop, chipNote(stab, midiHz(note), seconds(1) * 0.8), at(base + offbeat),
                           0.05f);
    }
}

void addDrums(Signal& loop) {
    const Signal kickHit = kick();
    const Signal snareHit = snare(0x5a4eu);
    const Signal hatHit = hat(0x4a7u);
    for (int bar = 0; bar < kBars; ++bar) {
        const int base = bar * 16;
        mixWrapped(loop, kickHit, at(base), 0.55f);
        mixWrapped(loop, kickHit, at(base + 8), 0.55f);
        mixWrapped(loop, snareHit, at(base + 4), 0.22f);
        mixWrapped(loop, snareHit, at(base + 12), 0.22f);
        for (int e = 0; e < 8; ++e)
            mixWrapped(loop, hatHit, at(base + 2 * e), e % 2 ? 0.09f : 0.05f);
        if (bar == kBars - 1) // a little fill into the repeat
            for (int s : {13, 14, 15})
                mixWrapped(loop, snareHit, at(base + s), 0.14f);
    }
}

} // namespace

Signal backgroundTune() {
    Signal loop(at(kLoopSixteenths), 0.0f);
    addMelody(loop);
    addAccompaniment(loop);
    addDrums(loop);
    return loop;
}

} // namespace wavgen
