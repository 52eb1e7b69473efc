// The yardstick of the click-to-sound figure: the best a client already connected to the
// same sound server does with the same sound. It keeps one stream running, and on each
// line read from stdin puts the wave file into it at once, printing that moment on stdout
// (wall-clock seconds, as the harness's clock). "ready" is printed once the stream runs.
//
//   yardstick pulse FILE        a libpulse stream asked for 10 ms and kept fed with
//                               silence; the sound is written behind what it holds
//   yardstick pipewire FILE [LATENCY]
//                               a native stream (node.latency LATENCY, by default 128/48000)
//                               filled in the graph's own thread with exactly what each
//                               cycle asks; the sound starts in the next cycle. On exit,
//                               "quantum N frames (M ms)" on stderr: the median asked.
#include "data/DataFile.h"
#include "sound/WaveFile.h"

#include <pipewire/pipewire.h>
#include <pulse/pulseaudio.h>
#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using Samples = std::vector<std::int16_t>;

double wallClock() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

void stamp() {
    std::printf("%.6f\n", wallClock());
    std::fflush(stdout);
}

Samples load(const char* path) {
    data::DataFile file = data::readDataFile(QString::fromLocal8Bit(path), data::SoundFileLimit);
    if (!file.ok())
        return {};
    sound::DecodedSound decoded = sound::decodeWave(std::move(file.bytes));
    Samples samples;
    if (decoded.sound)
        for (qsizetype i = 0; i < decoded.sound->frames; ++i)
            samples.push_back(decoded.sound->frame(i));
    return samples;
}

constexpr pa_sample_spec Spec{PA_SAMPLE_S16NE, sound::SoundRate, 1};

int runPulse(const Samples& sound) {
    pa_threaded_mainloop* loop = pa_threaded_mainloop_new();
    pa_context* context = pa_context_new(pa_threaded_mainloop_get_api(loop), "yardstick");
    pa_context_connect(context, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
    pa_threaded_mainloop_start(loop);
    pa_threaded_mainloop_lock(loop);
    while (pa_context_get_state(context) != PA_CONTEXT_READY) {
        if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context))) {
            std::cerr << "yardstick: no pulse server\n";
            return 1;
        }
        pa_threaded_mainloop_unlock(loop);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        pa_threaded_mainloop_lock(loop);
    }
    pa_stream* stream = pa_stream_new(context, "yardstick", &Spec, nullptr);
    static const Samples silence(sound::SoundRate, 0);
    pa_stream_set_write_callback(
        stream,
        [](pa_stream* s, std::size_t bytes, void*) {
            while (bytes > 0) {
                const std::size_t n = std::min(bytes, silence.size() * sizeof(std::int16_t));
                pa_stream_write(s, silence.data(), n, nullptr, 0, PA_SEEK_RELATIVE);
                bytes -= n;
            }
        },
        nullptr);
    pa_buffer_attr attributes{};
    attributes.maxlength = attributes.prebuf = attributes.minreq = attributes.fragsize =
        static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(10 * PA_USEC_PER_MSEC, &Spec));
    pa_stream_connect_playback(stream, nullptr, &attributes, PA_STREAM_ADJUST_LATENCY, nullptr,
                               nullptr);
    while (pa_stream_get_state(stream) != PA_STREAM_READY) {
        if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
            std::cerr << "yardstick: the stream failed\n";
            return 1;
        }
        pa_threaded_mainloop_unlock(loop);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        pa_threaded_mainloop_lock(loop);
    }
    pa_threaded_mainloop_unlock(loop);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::printf("ready\n");
    std::fflush(stdout);
    for (std::string line; std::getline(std::cin, line);) {
        pa_threaded_mainloop_lock(loop);
        stamp();
        pa_stream_write(stream, sound.data(), sound.size() * sizeof(std::int16_t), nullptr, 0,
                        PA_SEEK_RELATIVE);
        pa_threaded_mainloop_unlock(loop);
    }
    pa_threaded_mainloop_stop(loop);
    pa_stream_disconnect(stream);
    pa_stream_unref(stream);
    pa_context_disconnect(context);
    pa_context_unref(context);
    pa_threaded_mainloop_free(loop);
    return 0;
}

struct Native {
    const Samples* sound = nullptr;
    pw_stream* stream = nullptr;
    std::atomic<bool> start{false};
    std::size_t position = 0; // in the sound; its size when silent
    std::mutex lock;          // guards asked
    std::vector<std::uint32_t> asked;
};

void process(void* self) {
    auto& native = *static_cast<Native*>(self);
    pw_buffer* buffer = pw_stream_dequeue_buffer(native.stream);
    if (!buffer)
        return;
    spa_data& data = buffer->buffer->datas[0];
    auto* out = static_cast<std::int16_t*>(data.data);
    if (!out)
        return;
    std::uint32_t frames = data.maxsize / sizeof(std::int16_t);
    if (buffer->requested)
        frames = std::min<std::uint32_t>(frames, std::uint32_t(buffer->requested));
    if (native.start.exchange(false))
        native.position = 0;
    const Samples& sound = *native.sound;
    for (std::uint32_t i = 0; i < frames; ++i)
        out[i] = native.position < sound.size() ? sound[native.position++] : 0;
    data.chunk->offset = 0;
    data.chunk->stride = sizeof(std::int16_t);
    data.chunk->size = frames * sizeof(std::int16_t);
    pw_stream_queue_buffer(native.stream, buffer);
    if (std::unique_lock held{native.lock, std::try_to_lock}; held && native.asked.size() < 100000)
        native.asked.push_back(frames);
}

int runPipeWire(const Samples& sound, const char* latency) {
    pw_init(nullptr, nullptr);
    Native native;
    native.sound = &sound;
    native.position = sound.size();
    pw_thread_loop* loop = pw_thread_loop_new("yardstick", nullptr);
    static const pw_stream_events events = [] {
        pw_stream_events e{};
        e.version = PW_VERSION_STREAM_EVENTS;
        e.process = &process;
        return e;
    }();
    native.stream = pw_stream_new_simple(
        pw_thread_loop_get_loop(loop), "yardstick",
        pw_properties_new(PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback",
                          PW_KEY_MEDIA_ROLE, "Game", PW_KEY_NODE_LATENCY, latency, nullptr),
        &events, &native);
    std::uint8_t pod[1024];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(pod, sizeof(pod));
    spa_audio_info_raw info{};
    info.format = SPA_AUDIO_FORMAT_S16;
    info.rate = sound::SoundRate;
    info.channels = 1;
    const spa_pod* params[1] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &info)};
    pw_thread_loop_lock(loop);
    pw_stream_connect(native.stream, PW_DIRECTION_OUTPUT, PW_ID_ANY,
                      static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT |
                                                   PW_STREAM_FLAG_MAP_BUFFERS |
                                                   PW_STREAM_FLAG_RT_PROCESS),
                      params, 1);
    pw_thread_loop_unlock(loop);
    pw_thread_loop_start(loop);
    for (int i = 0; i < 400; ++i) {
        pw_thread_loop_lock(loop);
        const bool streaming =
            pw_stream_get_state(native.stream, nullptr) == PW_STREAM_STATE_STREAMING;
        pw_thread_loop_unlock(loop);
        if (streaming)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    std::printf("ready\n");
    std::fflush(stdout);
    for (std::string line; std::getline(std::cin, line);) {
        stamp();
        native.start = true;
    }
    pw_thread_loop_lock(loop);
    pw_stream_destroy(native.stream);
    pw_thread_loop_unlock(loop);
    pw_thread_loop_stop(loop);
    pw_thread_loop_destroy(loop);
    std::vector<std::uint32_t> asked;
    {
        std::lock_guard held{native.lock};
        asked = native.asked;
    }
    if (!asked.empty()) {
        std::nth_element(asked.begin(), asked.begin() + long(asked.size() / 2), asked.end());
        const std::uint32_t median = asked[asked.size() / 2];
        std::fprintf(stderr, "quantum %u frames (%.1f ms)\n", median,
                     median * 1000.0 / sound::SoundRate);
    }
    pw_deinit();
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::cerr << "usage: yardstick pulse|pipewire FILE [LATENCY]\n";
        return 2;
    }
    const Samples sound = load(argv[2]);
    if (sound.empty()) {
        std::cerr << "yardstick: cannot play " << argv[2] << "\n";
        return 1;
    }
    if (std::strcmp(argv[1], "pulse") == 0)
        return runPulse(sound);
    if (std::strcmp(argv[1], "pipewire") == 0)
        return runPipeWire(sound, argc > 3 ? argv[3] : "128/48000");
    std::cerr << "yardstick: no such client: " << argv[1] << "\n";
    return 2;
}
