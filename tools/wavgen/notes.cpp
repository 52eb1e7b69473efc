#include "notes.h"

#include <charconv>
#include <stdexcept>
#include <string>

namespace wavgen {

int midiOf(std::string_view name) {
    static constexpr int kSemitone[] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    if (name.size() < 2 || name[0] < 'A' || name[0] > 'G')
        throw std::invalid_argument("bad note name: " + std::string(name));
    int semitone = kSemitone[name[0] - 'A'];
    std::size_t pos = 1;
    if (name[pos] == '#' || name[pos] == 'b')
        semitone += name[pos++] == '#' ? 1 : -1;
    int octave = 0;
    const auto [end, ec] = std::from_chars(name.data() + pos, name.data() + name.size(), octave);
    if (ec != std::errc() || end != name.data() + name.size())
        throw std::invalid_argument("bad note octave: " + std::string(name));
    return 12 * (octave + 1) + semitone;
}

std::vector<Note> parseMelody(std::string_view text) {
    std::vector<Note> notes;
    int clock = 0;
    while (!text.empty()) {
        const std::size_t space = text.find(' ');
        const std::string_view token = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (token.empty() || token == "|")
            continue;
        const std::size_t colon = token.find(':');
        if (colon == std::string_view::npos)
            throw std::invalid_argument("note without length: " + std::string(token));
        int length = 0;
        const std::string_view digits = token.substr(colon + 1);
        std::from_chars(digits.data(), digits.data() + digits.size(), length);
        if (length <= 0)
            throw std::invalid_argument("bad note length: " + std::string(token));
        const std::string_view pitch = token.substr(0, colon);
        notes.push_back({pitch == "r" ? -1 : midiOf(pitch), clock, length});
        clock += length;
    }
    return notes;
}

int lengthOf(const std::vector<Note>& notes) {
    return notes.empty() ? 0 : notes.back().start + notes.back().length;
}

} // namespace wavgen
