// pokoear: listens to a recording of the sound server's output for the end-to-end
// scenarios and the benchmarks.
//
// The recording is raw signed 16-bit little-endian stereo at 44100 Hz (what
// `parec --raw` gives); the sounds are the game's mono 16-bit WAV files. Times are given
// in seconds before the end of the recording, because the recorder may drop a little at
// its start but is stopped at a known moment.
//
//   pokoear find REC SOUND.wav [--min SCORE] [--gain G] [--from S --len L]
//       Every place where the sound (or its excerpt from S for L seconds) is heard:
//       lines "SECONDS_BEFORE_END SCORE", oldest first. SCORE is the normalised
//       correlation (1 = the sound alone, lower when other sounds play at once);
//       default minimum 0.5. With --gain, a place must also hold the sound at G times its
//       level or more (its projection on the sound): louder other sounds lower the score
//       but not the level, while another sound that merely resembles it is far quieter.
//   pokoear level REC BEFORE_END LEN
//       The RMS level in dBFS of LEN seconds starting BEFORE_END seconds before the end.
#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr double Rate = 44100.0;

[[noreturn]] void fail(const std::string& message) {
    std::fprintf(stderr, "pokoear: %s\n", message.c_str());
    std::exit(2);
}

std::vector<char> slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        fail("cannot read " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int16_t sample(const char* p) {
    return int16_t(uint16_t(uint8_t(p[0])) | uint16_t(uint8_t(p[1])) << 8);
}

// Left and right averaged.
std::vector<double> readRecording(const std::string& path) {
    const auto bytes = slurp(path);
    std::vector<double> out(bytes.size() / 4);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = (sample(&bytes[i * 4]) + sample(&bytes[i * 4 + 2])) / 65536.0;
    return out;
}

// A canonical 16-bit PCM WAV; several channels are averaged.
std::vector<double> readWav(const std::string& path) {
    const auto bytes = slurp(path);
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0 ||
        std::memcmp(bytes.data() + 8, "WAVE", 4) != 0)
        fail(path + " is not a WAV file");
    int channels = 0, bits = 0;
    size_t pos = 12;
    while (pos + 8 <= bytes.size()) {
        const uint32_t size =
            uint32_t(uint8_t(bytes[pos + 4])) | uint32_t(uint8_t(bytes[pos + 5])) << 8 |
            uint32_t(uint8_t(bytes[pos + 6])) << 16 | uint32_t(uint8_t(bytes[pos + 7])) << 24;
        const char* body = bytes.data() + pos + 8;
        if (std::memcmp(bytes.data() + pos, "fmt ", 4) == 0) {
            channels = sample(body + 2);
            bits = sample(body + 14);
        } else if (std::memcmp(bytes.data() + pos, "data", 4) == 0) {
            if (bits != 16 || channels < 1)
                fail(path + ": only 16-bit PCM is read");
            const size_t frames = std::min<size_t>(size, bytes.size() - pos - 8) / (2 * channels);
            std::vector<double> out(frames);
            for (size_t i = 0; i < frames; ++i) {
                double sum = 0;
                for (int c = 0; c < channels; ++c)
                    sum += sample(body + (i * channels + c) * 2);
                out[i] = sum / channels / 32768.0;
            }
            return out;
        }
        pos += 8 + size + (size & 1);
    }
    fail(path + " has no sound data");
}

void fft(std::vector<std::complex<double>>& a, bool inverse) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = 2 * M_PI / double(len) * (inverse ? 1 : -1);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1);
            for (size_t k = 0; k < len / 2; ++k) {
                const auto u = a[i + k];
                const auto v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
                w *= step;
            }
        }
    }
    if (inverse)
        for (auto& x : a)
            x /= double(n);
}

struct Match {
    std::vector<double> score; // normalised correlation at each start position
    std::vector<double> gain;  // the template's level there: projection over its energy
};

// The template against the signal at every start position.
Match correlate(const std::vector<double>& x, const std::vector<double>& t) {
    const size_t m = t.size();
    if (m == 0 || x.size() < m)
        return {};
    const size_t positions = x.size() - m + 1;
    Match match{std::vector<double>(positions, 0.0), std::vector<double>(positions, 0.0)};
    size_t n = 1;
    while (n < 4 * m)
        n <<= 1;
    const size_t step = n - m + 1;
    std::vector<std::complex<double>> tf(n);
    double tEnergy = 0;
    for (size_t i = 0; i < m; ++i) {
        tf[i] = t[i];
        tEnergy += t[i] * t[i];
    }
    fft(tf, false);
    std::vector<double> prefix(x.size() + 1, 0.0);
    for (size_t i = 0; i < x.size(); ++i)
        prefix[i + 1] = prefix[i] + x[i] * x[i];
    std::vector<std::complex<double>> block(n);
    for (size_t start = 0; start < positions; start += step) {
        std::fill(block.begin(), block.end(), 0.0);
        for (size_t i = 0; i < n && start + i < x.size(); ++i)
            block[i] = x[start + i];
        fft(block, false);
        for (size_t i = 0; i < n; ++i)
            block[i] *= std::conj(tf[i]);
        fft(block, true);
        for (size_t k = 0; k < step && start + k < positions; ++k) {
            const double energy = prefix[start + k + m] - prefix[start + k];
            const double denominator = std::sqrt(energy * tEnergy);
            match.score[start + k] = denominator > 1e-9 ? block[k].real() / denominator : 0.0;
            match.gain[start + k] = tEnergy > 1e-12 ? block[k].real() / tEnergy : 0.0;
        }
    }
    return match;
}

double argDouble(int argc, char** argv, const char* name, double fallback) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::atof(argv[i + 1]);
    return fallback;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: pokoear find REC SOUND.wav [--min S] [--gain G] [--from S --len L] | "
                   "level REC BEFORE_END LEN\n",
                   stderr);
        return 64;
    }
    const std::string command = argv[1];
    const auto recording = readRecording(argv[2]);
    const double length = double(recording.size()) / Rate;
    if (command == "level" && argc >= 5) {
        const double beforeEnd = std::atof(argv[3]);
        const double span = std::atof(argv[4]);
        const long from = std::max(0L, long((length - beforeEnd) * Rate));
        const long to = std::min(long(recording.size()), long((length - beforeEnd + span) * Rate));
        double sum = 0;
        for (long i = from; i < to; ++i)
            sum += recording[size_t(i)] * recording[size_t(i)];
        const double rms = to > from ? std::sqrt(sum / double(to - from)) : 0.0;
        std::printf("%.1f\n", rms > 1e-10 ? 20 * std::log10(rms * 2) : -200.0);
        return 0;
    }
    if (command == "find" && argc >= 4) {
        auto sound = readWav(argv[3]);
        const double from = argDouble(argc, argv, "--from", 0);
        const double len = argDouble(argc, argv, "--len", 0);
        if (from > 0 || len > 0) {
            const size_t a = std::min(sound.size(), size_t(from * Rate));
            const size_t b =
                len > 0 ? std::min(sound.size(), a + size_t(len * Rate)) : sound.size();
            sound = std::vector<double>(sound.begin() + long(a), sound.begin() + long(b));
        }
        const double minimum = argDouble(argc, argv, "--min", 0.5);
        const double minimumGain = argDouble(argc, argv, "--gain", 0.0);
        const auto [score, gain] = correlate(recording, sound);
        // Peaks: the best places, none within a template's length of a better one.
        const size_t guard = std::max<size_t>(sound.size(), size_t(0.05 * Rate));
        std::vector<size_t> candidates;
        for (size_t i = 0; i < score.size(); ++i)
            if (score[i] >= minimum && gain[i] >= minimumGain)
                candidates.push_back(i);
        std::stable_sort(candidates.begin(), candidates.end(),
                         [&](size_t a, size_t b) { return score[a] > score[b]; });
        std::vector<size_t> peaks;
        for (size_t i : candidates) {
            bool clear = true;
            for (size_t p : peaks)
                clear = clear && (i > p ? i - p : p - i) > guard;
            if (clear)
                peaks.push_back(i);
        }
        std::sort(peaks.begin(), peaks.end());
        for (size_t i : peaks)
            std::printf("%.4f %.3f\n", length - double(i) / Rate, score[i]);
        return 0;
    }
    std::fputs("pokoear: unknown command\n", stderr);
    return 64;
}
