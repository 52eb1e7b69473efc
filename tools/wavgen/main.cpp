// Renders the game's sounds into the folder given on the command line.
#include "sounds.h"
#include "wav_file.h"

#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <string_view>

namespace {

struct Sound {
    std::string_view name;
    wavgen::Signal (*render)();
    double peakDb;
    bool loops; // loops must not fade, or the seam would dip
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
        return 2;
    }
    using namespace wavgen;
    const Sound sounds[] = {
        {"o", hitSound, -1.5, false},
        {"x", missSound, -5.0, false},
        {"pipi", [] { return countdownBeeps(2, midiHz(83)); }, -5.0, false},   // B5
        {"pipipi", [] { return countdownBeeps(3, midiHz(88)); }, -5.0, false}, // E6
        {"owari", endJingle, -3.0, false},
        {"karasu", crowCaw, -3.0, false},
        {"dame", sadSlide, -3.0, false},
        {"kakasi", soSoPhrase, -3.0, false},
        {"jizou", brightFanfare, -3.0, false},
        {"bgm", backgroundTune, -5.0, true},
    };
    try {
        const std::filesystem::path dir(argv[1]);
        std::filesystem::create_directories(dir);
        for (const Sound& s : sounds) {
            Signal samples = s.render();
            if (!s.loops)
                fadeEdges(samples, 0.0015, 0.008);
            normalizePeak(samples, s.peakDb);
            writeWav(dir / (std::string(s.name) + ".wav"), samples);
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "wavgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
