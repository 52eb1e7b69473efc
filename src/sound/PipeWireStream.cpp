#include "sound/PipeWireStream.h"

#include "forms/Reporter.h"
#include "sound/WaveFile.h"

#include <pipewire/pipewire.h>
#include <spa/param/audio/format-utils.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sound {

namespace {

// The graph's cycle the stream asks for while a round is played: the shortest that
// pipewire-pulse offers its own clients on current releases, so a hit is heard within a
// few milliseconds. Each cycle wakes the stream's thread, so at other times (the menu's
// moles, the countdown, the ratings) it asks for the graph's usual cycle; and it rests
// whenever nothing sounds.
constexpr const char* ShortCycle = "128/48000";
constexpr const char* LongCycle = "1024/48000";
// Silence pulled before the stream rests: the end of the last sound has left the graph.
constexpr std::size_t RestAfterFrames = SoundRate / 10;

} // namespace

struct PipeWireStream::Hooks {
    spa_hook stream{};
    spa_hook core{};

    static void process(void* self) {
        auto& out = *static_cast<PipeWireStream*>(self);
        pw_buffer* buffer = pw_stream_dequeue_buffer(out.stream_);
        if (!buffer) {
            out.underruns_.fetch_add(1, std::memory_order_relaxed);
            return;
        }
        spa_data& data = buffer->buffer->datas[0];
        auto* frames = static_cast<std::int16_t*>(data.data);
        if (!frames) {
            pw_stream_queue_buffer(out.stream_, buffer);
            return;
        }
        std::size_t count = data.maxsize / sizeof(std::int16_t);
        if (buffer->requested)
            count = std::min<std::size_t>(count, buffer->requested);
        out.asked_.store(std::uint32_t(count), std::memory_order_relaxed);
        const std::uint64_t wakes = out.wakes_.load();
        const Pulled pulled = out.pull_(frames, count);
        const bool sounding = pulled.sounding;
        data.chunk->offset = 0;
        data.chunk->stride = sizeof(std::int16_t);
        data.chunk->size = std::uint32_t(count * sizeof(std::int16_t));
        pw_stream_queue_buffer(out.stream_, buffer);
        out.quietFrames_ = sounding ? 0 : out.quietFrames_ + count;
        bool tell = out.hurried_.exchange(pulled.hurried) != pulled.hurried;
        if (out.quietFrames_ >= RestAfterFrames && out.restAt_.load() != wakes) {
            out.restAt_ = wakes;
            tell = true;
        }
        if (tell)
            pw_loop_signal_event(pw_thread_loop_get_loop(out.loop_), out.wake_);
    }

    static void stateChanged(void* self, pw_stream_state, pw_stream_state state,
                             const char* error) {
        auto& out = *static_cast<PipeWireStream*>(self);
        if (state == PW_STREAM_STATE_ERROR)
            out.lose(QString::fromUtf8(error ? error : "stream failed"));
        else if ((state == PW_STREAM_STATE_PAUSED || state == PW_STREAM_STATE_STREAMING) &&
                 std::exchange(out.lost_, false)) {
            forms::warn(QStringLiteral("sound is back"));
            out.back_();
        }
    }

    static void coreError(void* self, std::uint32_t id, int, int res, const char* message) {
        // Only the connection's own end matters: an object's error is the stream's to say.
        if (id == PW_ID_CORE && res == -EPIPE)
            static_cast<PipeWireStream*>(self)->lose(QString::fromUtf8(message ? message : ""));
    }

    // The stream runs while sounds come, and rests once the real-time thread found it
    // silent with no wake since; its cycle follows what it plays.
    static void onWake(void* self, std::uint64_t) {
        auto& out = *static_cast<PipeWireStream*>(self);
        if (!out.stream_)
            return;
        const bool rest = out.restAt_.load() == out.wakes_.load();
        if (out.active_ == rest) {
            out.active_ = !rest;
            pw_stream_set_active(out.stream_, out.active_);
        }
        if (const bool hurried = out.hurried_.load(); hurried != out.shortCycle_) {
            out.shortCycle_ = hurried;
            const spa_dict_item item{PW_KEY_NODE_LATENCY, hurried ? ShortCycle : LongCycle};
            const spa_dict properties = SPA_DICT_INIT(&item, 1);
            pw_stream_update_properties(out.stream_, &properties);
        }
    }

    static void onRetry(void* self, std::uint64_t) {
        auto& out = *static_cast<PipeWireStream*>(self);
        out.disconnect();
        if (!out.connect()) {
            timespec again{1, 0};
            pw_loop_update_timer(pw_thread_loop_get_loop(out.loop_), out.retry_, &again, nullptr,
                                 false);
        }
    }
};

PipeWireStream::PipeWireStream(Pull pull, Back back)
    : pull_(std::move(pull)), back_(std::move(back)), hooks_(std::make_unique<Hooks>()) {}

PipeWireStream::~PipeWireStream() {
    if (!loop_)
        return;
    pw_thread_loop_stop(loop_);
    disconnect();
    pw_loop* loop = pw_thread_loop_get_loop(loop_);
    pw_loop_destroy_source(loop, wake_);
    pw_loop_destroy_source(loop, retry_);
    if (context_)
        pw_context_destroy(context_);
    pw_thread_loop_destroy(loop_);
    pw_deinit();
}

bool PipeWireStream::start() {
    pw_init(nullptr, nullptr);
    loop_ = pw_thread_loop_new("ぽこぺんぱん", nullptr);
    if (loop_)
        context_ = pw_context_new(pw_thread_loop_get_loop(loop_), nullptr, 0);
    if (!context_) {
        if (loop_)
            pw_thread_loop_destroy(loop_);
        loop_ = nullptr;
        pw_deinit();
        return false;
    }
    pw_loop* loop = pw_thread_loop_get_loop(loop_);
    wake_ = pw_loop_add_event(loop, &Hooks::onWake, this);
    retry_ = pw_loop_add_timer(loop, &Hooks::onRetry, this);
    if (!connect())
        return false; // the destructor lets go of what was made
    return pw_thread_loop_start(loop_) == 0;
}

bool PipeWireStream::connect() {
    core_ = pw_context_connect(context_, nullptr, 0);
    if (!core_)
        return false;
    static const pw_core_events coreEvents = [] {
        pw_core_events events{};
        events.version = PW_VERSION_CORE_EVENTS;
        events.error = &Hooks::coreError;
        return events;
    }();
    pw_core_add_listener(core_, &hooks_->core, &coreEvents, this);

    pw_properties* properties = pw_properties_new(
        PW_KEY_MEDIA_TYPE, "Audio", PW_KEY_MEDIA_CATEGORY, "Playback", PW_KEY_MEDIA_ROLE, "Game",
        PW_KEY_NODE_NAME, "pokopenpan", PW_KEY_NODE_LATENCY, LongCycle, nullptr);
    stream_ = pw_stream_new(core_, "ぽこぺんぱん", properties);
    if (!stream_)
        return false;
    static const pw_stream_events streamEvents = [] {
        pw_stream_events events{};
        events.version = PW_VERSION_STREAM_EVENTS;
        events.state_changed = &Hooks::stateChanged;
        events.process = &Hooks::process;
        return events;
    }();
    pw_stream_add_listener(stream_, &hooks_->stream, &streamEvents, this);

    std::uint8_t buffer[512];
    spa_pod_builder builder = SPA_POD_BUILDER_INIT(buffer, sizeof(buffer));
    spa_audio_info_raw format{};
    format.format = SPA_AUDIO_FORMAT_S16;
    format.rate = SoundRate;
    format.channels = 1;
    const spa_pod* params[] = {spa_format_audio_raw_build(&builder, SPA_PARAM_EnumFormat, &format)};
    // Woken once connected, in case a sound was asked for meanwhile; with none, it rests
    // again after RestAfterFrames.
    active_ = false;
    shortCycle_ = false;
    hurried_ = false;
    restAt_ = ~std::uint64_t(0);
    const auto flags =
        static_cast<pw_stream_flags>(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS |
                                     PW_STREAM_FLAG_RT_PROCESS | PW_STREAM_FLAG_INACTIVE);
    if (pw_stream_connect(stream_, PW_DIRECTION_OUTPUT, PW_ID_ANY, flags, params, 1) < 0)
        return false;
    pw_loop_signal_event(pw_thread_loop_get_loop(loop_), wake_);
    return true;
}

void PipeWireStream::disconnect() {
    if (stream_) {
        spa_hook_remove(&hooks_->stream);
        pw_stream_destroy(stream_);
        stream_ = nullptr;
    }
    if (core_) {
        spa_hook_remove(&hooks_->core);
        pw_core_disconnect(core_);
        core_ = nullptr;
    }
    active_ = false;
}

// Called on the stream's thread: said once, and the whole connection made anew a second
// later (a restarted server is usually up by then).
void PipeWireStream::lose(const QString& why) {
    if (!std::exchange(lost_, true))
        forms::warn(QStringLiteral("sound stopped: %1; trying again every second").arg(why));
    timespec again{1, 0};
    pw_loop_update_timer(pw_thread_loop_get_loop(loop_), retry_, &again, nullptr, false);
}

void PipeWireStream::wake() {
    wakes_.fetch_add(1);
    if (loop_ && wake_)
        pw_loop_signal_event(pw_thread_loop_get_loop(loop_), wake_);
}

} // namespace sound
