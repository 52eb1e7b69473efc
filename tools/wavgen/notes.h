#pragma once

#include <string_view>
#include <vector>

// Melodies are written as text, e.g. "E5:2 G5:2 C6:4 r:4 |", where the number
// after the colon is a length in sixteenth notes, "r" is a rest and "|" is a
// bar line kept only for the reader.
namespace wavgen {

struct Note {
    int midi = -1; // -1 for a rest
    int start = 0; // in sixteenths from the start of the phrase
    int length = 0;
};

// MIDI number of a name such as "C4", "F#3" or "Bb5"; throws on nonsense.
int midiOf(std::string_view name);

std::vector<Note> parseMelody(std::string_view text);

// Total length of a phrase in sixteenths.
int lengthOf(const std::vector<Note>& notes);

} // namespace wavgen
