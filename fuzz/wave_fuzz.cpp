// Fuzz target for the wave reader: sound::decodeWave on the bytes as given. Checks what must
// hold for any input, and aborts (so the fuzzer keeps the input) when something does not;
// the sanitizers watch every frame being mixed.
//
// Built with -fsanitize=fuzzer it is a libFuzzer target (scripts/fuzz.sh). Built without, it
// replays its seed corpus as an ordinary test.
#include "Replay.h"
#include "sound/WaveFile.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

void check(bool holds, const char* what, const QByteArray& input) {
    if (holds)
        return;
    std::fprintf(stderr, "wave_fuzz: invariant broken: %s\ninput (%lld bytes, hex): %s\n", what,
                 static_cast<long long>(input.size()), input.left(256).toHex().constData());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const sound::DecodedSound decoded = sound::decodeWave(input);
    check(!decoded.sound == !decoded.error.isEmpty(), "a sound or a reason, never both", input);
    if (!decoded.sound)
        return 0;
    const sound::Sound& sound = *decoded.sound;
    check(sound.bytes == input, "the sound is the file's own bytes", input);
    check(sound.channels == 1 || sound.channels == 2, "one or two channels", input);
    check(sound.frames > 0, "a sound holds frames", input);
    // RIFF header, a format chunk, the data chunk's header.
    check(sound.dataStart >= 12 + 8 + 16 + 8, "the frames follow the headers", input);
    check(sound.dataStart + sound.frames * 2 * sound.channels <= sound.bytes.size(),
          "every frame lies within the file", input);
    // Mixed whole, as a player would, and frame by frame: the same.
    std::vector<qint32> sum(static_cast<std::size_t>(sound.frames));
    sound.addTo(sum.data(), 0, sound.frames);
    check(sum.front() == sound.frame(0) && sum.back() == sound.frame(sound.frames - 1),
          "mixing gives the frames", input);
    return 0;
}

#ifndef POKO_LIBFUZZER
int main(int argc, char** argv) {
    return replayCorpus("wave_fuzz", argc, argv);
}
#endif
