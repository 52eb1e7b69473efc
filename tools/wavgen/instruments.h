#pragma once

#include "dsp.h"

// The few instruments the game's sounds are played on. Each call renders one
// note, from its first sample to the end of its release, starting at once.
namespace wavgen {

// A chip-style tone: pulse, triangle or the like under an ADSR, with an
// optional gentle vibrato that sets in after the attack.
struct ChipVoice {
    Wave wave = Wave::Pulse;
    double duty = 0.5;
    Adsr env;
    double vibratoCents = 0.0;
    double vibratoHz = 5.5;
};
Signal chipNote(const ChipVoice& voice, double hz, double gate);

// Struck wooden bar: warm fundamental with a quickly dying overtone.
Signal marimba(double hz, double seconds);

// Small metal bar with inharmonic partials: a sparkly glockenspiel chime.
Signal glockenspiel(double hz, double seconds);

// A brass-like note whose brightness follows its loudness.
Signal brass(double hz, double gate, double attack = 0.02);

// Drum kit for the tune.
Signal kick();
Signal snare(std::uint32_t seed);
Signal hat(std::uint32_t seed);

} // namespace wavgen
