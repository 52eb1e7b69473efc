#include "wav_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>

namespace wavgen {

namespace {

// RIFF is little-endian whatever the host is.
void put(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xffu));
}

} // namespace

void writeWav(const std::filesystem::path& path, const Signal& samples) {
    constexpr std::uint32_t kBytesPerSample = 2;
    const auto dataBytes = static_cast<std::uint32_t>(samples.size() * kBytesPerSample);
    std::string out;
    out.reserve(44 + dataBytes);
    out += "RIFF";
    put(out, 36 + dataBytes, 4);
    out += "WAVEfmt ";
    put(out, 16, 4);                      // fmt chunk size
    put(out, 1, 2);                       // PCM
    put(out, 1, 2);                       // mono
    put(out, kRate, 4);                   // sample rate
    put(out, kRate * kBytesPerSample, 4); // byte rate
    put(out, kBytesPerSample, 2);         // block align
    put(out, 16, 2);                      // bits per sample
    out += "data";
    put(out, dataBytes, 4);
    for (float v : samples) {
        const long q = std::clamp(std::lround(v * 32767.0), -32766L, 32766L);
        put(out, static_cast<std::uint32_t>(static_cast<std::int16_t>(q)) & 0xffffu, 2);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(out.data(), static_cast<std::streamsize>(out.size()));
    if (!file)
        throw std::runtime_error("cannot write " + path.string());
}

} // namespace wavgen
