#include "app/PulseAudio.h"

#include "app/Reporter.h"

#include <pulse/pulseaudio.h>

namespace app {

namespace {

// The whole way from the stream to the loudspeaker, asked of the server: short enough that
// a hit is heard within a few milliseconds of paplay's time for the same file, long enough
// that a busy machine does not starve the server. Measured on a quiet machine: 10 ms hears
// a hit 9 ms after the click (paplay 6) at 1.8 % of a core in play; 20 ms took 19 ms (paplay
// 8) at 1.4 %. Under heavy load 10 ms cost up to 2.6 % in play.
constexpr pa_usec_t Latency = 10 * PA_USEC_PER_MSEC;
constexpr pa_sample_spec Spec{PA_SAMPLE_S16NE, SoundRate, 1};

void drop(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

} // namespace

PulseAudio::~PulseAudio() {
    close();
}

void PulseAudio::open() {
    if (loop_)
        return;
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) {
        warn(QStringLiteral("no sound: the sound server's thread cannot be made"));
        state_ = State::Failed;
        return;
    }
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "game");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "ぽこぺんぱん",
                                            properties);
    pa_proplist_free(properties);
    state_ = State::Connecting;
    pa_context_set_state_callback(context_, &PulseAudio::contextChanged, this);
    // Never start a server of our own: without one the game is silent.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        fail("no sound", pa_context_errno(context_));
        return;
    }
    if (pa_threaded_mainloop_start(loop_) < 0)
        fail("no sound", PA_ERR_INTERNAL);
}

void PulseAudio::close() {
    if (!loop_)
        return;
    pa_threaded_mainloop_stop(loop_);
    if (stream_) {
        pa_stream_set_state_callback(stream_, nullptr, nullptr);
        pa_stream_set_write_callback(stream_, nullptr, nullptr);
        pa_stream_disconnect(stream_);
        pa_stream_unref(stream_);
        stream_ = nullptr;
    }
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
}

void PulseAudio::lock() {
    if (loop_)
        pa_threaded_mainloop_lock(loop_);
}

void PulseAudio::unlock() {
    if (loop_)
        pa_threaded_mainloop_unlock(loop_);
}

// Said once: the first failure ends all sound for the run.
void PulseAudio::fail(const char* what, int error) {
    if (state_.exchange(State::Failed) == State::Failed)
        return;
    warn(QStringLiteral("%1: %2").arg(QString::fromUtf8(what),
                                      QString::fromUtf8(pa_strerror(error))));
}

void PulseAudio::contextChanged(pa_context* context, void* self) {
    auto& audio = *static_cast<PulseAudio*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        audio.openStream();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        audio.fail(audio.state_ == State::Ready ? "sound stopped" : "no sound",
                   pa_context_errno(context));
        break;
    default:
        break;
    }
}

void PulseAudio::openStream() {
    stream_ = pa_stream_new(context_, "ぽこぺんぱん", &Spec, nullptr);
    if (!stream_) {
        fail("no sound", pa_context_errno(context_));
        return;
    }
    pa_stream_set_state_callback(stream_, &PulseAudio::streamChanged, this);
    pa_stream_set_write_callback(stream_, &PulseAudio::wanted, this);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(Latency, &Spec));
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    // Corked until the first sound; the server then keeps the whole way at Latency.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream_, nullptr, &attributes, flags, nullptr, nullptr) < 0)
        fail("no sound", pa_context_errno(context_));
}

void PulseAudio::streamChanged(pa_stream* stream, void* self) {
    auto& audio = *static_cast<PulseAudio*>(self);
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        audio.state_ = State::Ready;
        // A sound started while the stream was opening plays now.
        if (audio.sounding())
            audio.started();
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        audio.fail(audio.state_ == State::Ready ? "sound stopped" : "no sound",
                   pa_context_errno(pa_stream_get_context(stream)));
        break;
    default:
        break;
    }
}

// The server wants more: the voices mixed, and once every sound has played out to the
// loudspeaker, the stream corked so that nothing runs until the next one.
void PulseAudio::wanted(pa_stream*, std::size_t bytes, void* self) {
    auto& audio = *static_cast<PulseAudio*>(self);
    if (!audio.corked_)
        audio.fill(bytes);
}

void PulseAudio::fill(std::size_t bytes) {
    if (state_ != State::Ready || bytes == 0)
        return;
    const bool hadSound = sounding();
    buffer_.resize(bytes / sizeof(qint16));
    mix(buffer_.data(), buffer_.size());
    pa_stream_write(stream_, buffer_.data(), buffer_.size() * sizeof(qint16), nullptr, 0,
                    PA_SEEK_RELATIVE);
    quietBytes_ = hadSound ? 0 : quietBytes_ + bytes;
    // Corked once twice the latency of silence followed the last sound: by then the server
    // holds nothing but silence, and the sound's end has been heard.
    const pa_buffer_attr* attributes = pa_stream_get_buffer_attr(stream_);
    const std::size_t target = attributes ? attributes->tlength : bytes;
    if (!sounding() && quietBytes_ >= 2 * target) {
        drop(pa_stream_cork(stream_, 1, nullptr, nullptr));
        corked_ = true;
    }
}

// A player started a sound (the lock is held). A resting stream drops the silence it still
// holds, so the sound is next in line, and is filled at once rather than a round trip later.
void PulseAudio::started() {
    if (state_ != State::Ready || !corked_)
        return;
    corked_ = false;
    quietBytes_ = 0;
    drop(pa_stream_flush(stream_, nullptr, nullptr));
    drop(pa_stream_cork(stream_, 0, nullptr, nullptr));
    const pa_buffer_attr* attributes = pa_stream_get_buffer_attr(stream_);
    fill(attributes ? attributes->tlength : pa_usec_to_bytes(Latency, &Spec));
}

} // namespace app
