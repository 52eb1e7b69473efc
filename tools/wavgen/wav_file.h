#pragma once

#include "dsp.h"

#include <filesystem>

namespace wavgen {

// Writes a 16-bit PCM mono WAV at kRate. Samples are expected in [-1, 1];
// anything outside is limited one step short of full scale.
void writeWav(const std::filesystem::path& path, const Signal& samples);

} // namespace wavgen
