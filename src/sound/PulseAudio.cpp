#include "sound/PulseAudio.h"

#include "forms/Reporter.h"

#include <QFile>

#include <pulse/pulseaudio.h>

#include <sched.h>

#include <algorithm>
#include <cstring>
#include <utility>

namespace sound {

namespace {

// The whole way from a stream to the loudspeaker, asked of the server for each lane.
// A cue: short enough that a hit is heard as soon as the server can play anything; raised
// step by step while the machine is too busy to keep it fed (see LatencyLadder), and
// lowered again after CueCalm of sound without an underrun. A cue is over in half a
// second, so a busy moment costs at most one crackle before the step up.
// The music: deep enough that the game's thread may be kept from the processor for tens
// of milliseconds, as on a machine busy with other work, without the music breaking up.
using std::chrono::milliseconds;
constexpr milliseconds CueLatency{10};
constexpr milliseconds LongestCueLatency{80};
constexpr milliseconds CueCalm{20000};
constexpr pa_usec_t SteadyLatency = 150 * PA_USEC_PER_MSEC;
// A sound's first write, in latencies: the server starts it at once all the same, and the
// extra room carries it over the moments just after, when a busy machine is slowest to
// hand the server's thread the processor again.
constexpr std::size_t FirstFill = 3;
constexpr pa_sample_spec Spec{PA_SAMPLE_S16NE, SoundRate, 1};

void drop(pa_operation* operation) {
    if (operation)
        pa_operation_unref(operation);
}

} // namespace

PulseAudio::PulseAudio() : cueLatency_(CueLatency, LongestCueLatency, CueCalm) {}

PulseAudio::~PulseAudio() {
    close();
    writeReport();
}

// How far ahead of the loudspeaker a running stream of the lane is kept, in bytes.
std::size_t PulseAudio::leadOf(Lane lane) const {
    return FirstFill * pa_usec_to_bytes(latencyOf(lane), &Spec);
}

pa_usec_t PulseAudio::latencyOf(Lane lane) const {
    return lane == Lane::Cue ? pa_usec_t(cueLatency_.latency().count()) : SteadyLatency;
}

void PulseAudio::open() {
    if (loop_)
        return;
    loop_ = pa_threaded_mainloop_new();
    if (!loop_) {
        forms::warn(QStringLiteral("no sound: the sound server's thread cannot be made"));
        state_ = State::Failed;
        return;
    }
    state_ = State::Connecting;
    connect();
    if (pa_threaded_mainloop_start(loop_) < 0) {
        forms::warn(QStringLiteral("no sound: the sound server's thread cannot be started"));
        state_ = State::Failed;
    }
}

// A new context, asked to connect; its state tells the rest. Called before the server's
// thread starts, or on it.
void PulseAudio::connect() {
    pa_proplist* properties = pa_proplist_new();
    pa_proplist_sets(properties, PA_PROP_MEDIA_ROLE, "game");
    context_ = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop_), "ぽこぺんぱん",
                                            properties);
    pa_proplist_free(properties);
    if (!context_) {
        lose(PA_ERR_INTERNAL);
        return;
    }
    pa_context_set_state_callback(context_, &PulseAudio::contextChanged, this);
    // Never start a server of our own: without one the game is silent.
    if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        lose(pa_context_errno(context_));
}

void PulseAudio::disconnect() {
    for (Stream& out : streams_)
        closeStream(out);
    if (context_) {
        pa_context_set_state_callback(context_, nullptr, nullptr);
        pa_context_disconnect(context_);
        pa_context_unref(context_);
        context_ = nullptr;
    }
}

void PulseAudio::close() {
    if (!loop_)
        return;
    // The native stream's thread mixes under the pulse loop's lock: it stops first.
    if (native_) {
        nativeUnderruns_ = native_->underruns();
        nativeAsked_ = native_->asked();
        native_.reset();
    }
    pa_threaded_mainloop_stop(loop_);
    disconnect();
    if (retry_) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        api->time_free(retry_);
        retry_ = nullptr;
    }
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
}

void PulseAudio::closeStream(Stream& out) {
    if (!out.stream)
        return;
    pa_stream_set_state_callback(out.stream, nullptr, nullptr);
    pa_stream_set_write_callback(out.stream, nullptr, nullptr);
    pa_stream_set_underflow_callback(out.stream, nullptr, nullptr);
    pa_stream_disconnect(out.stream);
    pa_stream_unref(out.stream);
    out.stream = nullptr;
    out.ready = false;
    out.corked = true; // as the next stream starts
    out.quietBytes = 0;
    out.reopen = false; // a new stream opens at the latency of the moment
}

void PulseAudio::lock() {
    if (loop_)
        pa_threaded_mainloop_lock(loop_);
}

void PulseAudio::unlock() {
    if (loop_)
        pa_threaded_mainloop_unlock(loop_);
}

// The server is gone, or never answered, or the stream has nowhere to play: said once, and
// tried again a second later (by then a restarted server is usually up). Called on the
// server's thread, or before it starts; a context is never freed in its own callback, so
// the old one is let go when the next attempt begins.
void PulseAudio::lose(int error) {
    const State was = state_.exchange(State::Failed);
    if (!lost_) {
        lost_ = true;
        const QString why = QString::fromUtf8(pa_strerror(error));
        forms::warn(was == State::Ready
                        ? QStringLiteral("sound stopped: %1; trying again every second").arg(why)
                        : QStringLiteral("no sound: %1").arg(why));
    }
    struct timeval at {};
    pa_timeval_add(pa_gettimeofday(&at), PA_USEC_PER_SEC);
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
    if (retry_)
        api->time_restart(retry_, &at);
    else
        retry_ = api->time_new(api, &at, &PulseAudio::retry, this);
}

void PulseAudio::retry(pa_mainloop_api* api, pa_time_event* event, const struct timeval*,
                       void* self) {
    auto& audio = *static_cast<PulseAudio*>(self);
    api->time_restart(event, nullptr); // rests until the next loss
    audio.disconnect();
    // Not Failed while trying: a stream that opens before the other must be fed at once.
    audio.state_ = State::Connecting;
    audio.connect();
}

void PulseAudio::contextChanged(pa_context* context, void* self) {
    auto& audio = *static_cast<PulseAudio*>(self);
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        // The server's thread ahead of ordinary programs, where the player may grant it
        // (a real-time limit, as audio groups have): a busy machine then no longer keeps the
        // short cue stream waiting. A low priority, below the sound server's own.
        if (!audio.realTimeTried_) {
            audio.realTimeTried_ = true;
            sched_param priority{};
            priority.sched_priority = 5;
            audio.realTime_ = sched_setscheduler(0, SCHED_RR | SCHED_RESET_ON_FORK, &priority) == 0;
        }
        // Back after a loss: what fell due meanwhile is not played late; the music, which
        // repeats, goes on where it was.
        if (audio.lost_)
            audio.cutAllButRepeating();
        // Whose server it is decides the way out.
        drop(pa_context_get_server_info(context, &PulseAudio::serverKnown, &audio));
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        audio.lose(pa_context_errno(context));
        break;
    default:
        break;
    }
}

void PulseAudio::serverKnown(pa_context*, const pa_server_info* info, void* self) {
    auto& audio = *static_cast<PulseAudio*>(self);
    if (info && info->server_name && std::strstr(info->server_name, "PipeWire")) {
        auto native = std::make_unique<PipeWireStream>(
            [&audio](std::int16_t* out, std::size_t frames) { return audio.pull(out, frames); },
            [&audio] {
                audio.lock();
                audio.cutAllButRepeating();
                audio.unlock();
            });
        if (native->start()) {
            audio.native_ = std::move(native);
            audio.state_ = State::Ready;
            if (std::exchange(audio.lost_, false))
                forms::warn(QStringLiteral("sound is back"));
            // The pulse connection has nothing more to do; it is let go outside its own
            // callback.
            pa_mainloop_api* api = pa_threaded_mainloop_get_api(audio.loop_);
            api->defer_new(api, &PulseAudio::letPulseGo, &audio);
            return;
        }
    }
    audio.openStreams();
}

void PulseAudio::letPulseGo(pa_mainloop_api* api, pa_defer_event* event, void* self) {
    api->defer_free(event);
    static_cast<PulseAudio*>(self)->disconnect();
}

void PulseAudio::openStreams() {
    for (Stream& out : streams_)
        openStream(out);
}

// The native stream's cycle: both lanes mixed together, under the same lock as the players.
// The music plays only during a round, when a hit must be heard at once.
PipeWireStream::Pulled PulseAudio::pull(std::int16_t* out, std::size_t frames) {
    lock();
    mix(out, frames);
    const PipeWireStream::Pulled pulled{sounding(), sounding(Lane::Steady)};
    unlock();
    return pulled;
}

void PulseAudio::openStream(Stream& out) {
    const char* name = out.lane == Lane::Cue ? "ぽこぺんぱん（効果音）" : "ぽこぺんぱん（音楽）";
    out.stream = pa_stream_new(context_, name, &Spec, nullptr);
    if (!out.stream) {
        lose(pa_context_errno(context_));
        return;
    }
    pa_stream_set_state_callback(out.stream, &PulseAudio::streamChanged, &out);
    pa_stream_set_write_callback(out.stream, &PulseAudio::wanted, &out);
    pa_stream_set_underflow_callback(out.stream, &PulseAudio::ranDry, &out);
    pa_buffer_attr attributes{};
    attributes.maxlength = static_cast<std::uint32_t>(-1);
    attributes.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(latencyOf(out.lane), &Spec));
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.fragsize = static_cast<std::uint32_t>(-1);
    // Corked until the lane's first sound; the server then keeps the whole way at the
    // lane's latency.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(out.stream, nullptr, &attributes, flags, nullptr, nullptr) < 0)
        lose(pa_context_errno(context_));
}

void PulseAudio::streamChanged(pa_stream* stream, void* self) {
    auto& out = *static_cast<Stream*>(self);
    auto& audio = *out.audio;
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        out.ready = true;
        audio.noteGranted(out);
        if (std::all_of(audio.streams_.begin(), audio.streams_.end(),
                        [](const Stream& s) { return s.ready; })) {
            audio.state_ = State::Ready;
            if (std::exchange(audio.lost_, false))
                forms::warn(QStringLiteral("sound is back"));
        }
        // A sound started while the stream was opening plays now.
        if (audio.sounding(out.lane))
            audio.restart(out);
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        audio.lose(pa_context_errno(pa_stream_get_context(stream)));
        break;
    default:
        break;
    }
}

// The server wants more: the lane's voices mixed, and once every sound of the lane has
// played out to the loudspeaker, the stream corked so that nothing runs until the next one.
void PulseAudio::wanted(pa_stream*, std::size_t bytes, void* self) {
    auto& out = *static_cast<Stream*>(self);
    if (!out.corked)
        out.audio->fill(out, bytes);
}

void PulseAudio::fill(Stream& out, std::size_t bytes) {
    if (!out.ready || state_ == State::Failed || bytes == 0)
        return;
    const bool hadSound = sounding(out.lane);
    // The server is kept FirstFill latencies ahead, not the one it asks for: its requests
    // come late when its own threads wait for the processor. A new sound empties the stream
    // first, so the lead never delays one.
    {
        const auto played =
            pa_usec_to_bytes(pa_usec_t(std::chrono::duration_cast<std::chrono::microseconds>(
                                           std::chrono::steady_clock::now() - out.restartedAt)
                                           .count()),
                             &Spec);
        const std::size_t ahead =
            out.writtenSinceRestart > played ? out.writtenSinceRestart - played : 0;
        const std::size_t lead = leadOf(out.lane);
        bytes = std::max(
            bytes, lead > ahead ? (lead - ahead) / pa_frame_size(&Spec) * pa_frame_size(&Spec) : 0);
    }
    buffer_.resize(bytes / sizeof(qint16));
    mix(buffer_.data(), buffer_.size(), out.lane);
    pa_stream_write(out.stream, buffer_.data(), buffer_.size() * sizeof(qint16), nullptr, 0,
                    PA_SEEK_RELATIVE);
    out.quietBytes = hadSound ? 0 : out.quietBytes + bytes;
    out.writtenSinceRestart += bytes;
    // Corked once the lead and twice the latency of silence followed the last sound: by then
    // the server holds nothing but silence, and the sound's end has been heard.
    const pa_buffer_attr* attributes = pa_stream_get_buffer_attr(out.stream);
    const std::size_t target = attributes ? attributes->tlength : bytes;
    const std::size_t lead = leadOf(out.lane);
    if (!sounding(out.lane) && out.quietBytes >= lead + 2 * target) {
        drop(pa_stream_cork(out.stream, 1, nullptr, nullptr));
        out.corked = true;
    }
    // A calm cue stream steps back down once it rests. A server may keep a stream's buffer
    // at its largest, so the stream is opened anew, after this callback has returned.
    const auto played = std::chrono::microseconds(pa_bytes_to_usec(bytes, &Spec));
    if (out.lane == Lane::Cue && cueLatency_.played(played)) {
        ++out.lowered;
        out.reopen = true;
    }
    if (out.corked && std::exchange(out.reopen, false)) {
        pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_);
        api->defer_new(api, &PulseAudio::reopenNow, &out);
    }
}

// The server found the stream empty while it played. The cue stream asks for more room.
void PulseAudio::ranDry(pa_stream* stream, void* self) {
    auto& out = *static_cast<Stream*>(self);
    // The stream emptied by our own flush, a moment before the first fill reached the
    // server, is no crackle: what was cut was meant to stop.
    const auto since = std::chrono::steady_clock::now() - out.restartedAt;
    auto& audio = *out.audio;
    // Running dry in the silence after a sound's end (what the server held of it played
    // out) is heard by nobody.
    const bool heard = audio.sounding(out.lane) || out.quietBytes < audio.leadOf(out.lane);
    if (!audio.reportPath_.isEmpty() && audio.dryMoments_.size() < 1000)
        audio.dryMoments_.push_back(
            QStringLiteral("ran dry: %1 %2 ms after a restart, %3 bytes written since, %4")
                .arg(out.lane == Lane::Cue ? QStringLiteral("cue") : QStringLiteral("steady"))
                .arg(std::chrono::duration<double, std::milli>(since).count(), 0, 'f', 1)
                .arg(out.writtenSinceRestart)
                .arg(heard ? QStringLiteral("in sound") : QStringLiteral("in silence")));
    if (!heard || since < std::chrono::microseconds(audio.latencyOf(out.lane)))
        return;
    ++out.underruns;
    if (out.lane != Lane::Cue || !out.audio->cueLatency_.underrun())
        return;
    ++out.raised;
    const pa_buffer_attr* now = pa_stream_get_buffer_attr(stream);
    if (!now)
        return;
    pa_buffer_attr attributes = *now;
    attributes.tlength =
        static_cast<std::uint32_t>(pa_usec_to_bytes(out.audio->latencyOf(Lane::Cue), &Spec));
    attributes.minreq = static_cast<std::uint32_t>(-1);
    attributes.prebuf = static_cast<std::uint32_t>(-1);
    drop(pa_stream_set_buffer_attr(stream, &attributes, &PulseAudio::granted, &out));
}

void PulseAudio::granted(pa_stream*, int success, void* self) {
    auto& out = *static_cast<Stream*>(self);
    if (success && out.stream)
        out.audio->noteGranted(out);
}

void PulseAudio::reopenNow(pa_mainloop_api* api, pa_defer_event* event, void* self) {
    api->defer_free(event);
    auto& out = *static_cast<Stream*>(self);
    auto& audio = *out.audio;
    // Only a resting stream: one that woke meanwhile keeps its room until it rests again.
    if (!out.stream || audio.state_ == State::Failed)
        return;
    if (!out.corked) {
        out.reopen = true;
        return;
    }
    audio.closeStream(out);
    audio.openStream(out);
}

void PulseAudio::noteGranted(Stream& out) {
    if (const pa_buffer_attr* attributes = pa_stream_get_buffer_attr(out.stream)) {
        out.tlength = attributes->tlength;
        out.minreq = attributes->minreq;
        out.prebuf = attributes->prebuf;
        out.maxlength = attributes->maxlength;
    }
}

void PulseAudio::writeReport() const {
    if (reportPath_.isEmpty())
        return;
    QFile file(reportPath_);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text))
        return;
    const auto ms = [](std::uint32_t bytes) {
        return double(pa_bytes_to_usec(bytes, &Spec)) / 1000;
    };
    for (const QString& moment : dryMoments_)
        file.write((moment + QLatin1Char('\n')).toUtf8());
    file.write(QStringLiteral("real-time: %1\n")
                   .arg(realTime_ ? QStringLiteral("yes") : QStringLiteral("no"))
                   .toUtf8());
    for (const auto& [lane, at] : starts_)
        file.write(QStringLiteral("started %1 %2\n")
                       .arg(lane == Lane::Cue ? QStringLiteral("cue") : QStringLiteral("steady"))
                       .arg(at, 0, 'f', 6)
                       .toUtf8());
    if (nativeAsked_ > 0) {
        file.write(QStringLiteral("native: underruns %1, last cycle %2 frames (%3 ms)\n")
                       .arg(nativeUnderruns_)
                       .arg(nativeAsked_)
                       .arg(double(nativeAsked_) * 1000 / SoundRate)
                       .toUtf8());
        return;
    }
    for (const Stream& out : streams_)
        file.write(
            QStringLiteral("%1: underruns %2, latency raised %3 and lowered %4 times, "
                           "now %5 ms; granted tlength %6 (%7 ms) minreq %8 (%9 ms) "
                           "prebuf %10 maxlength %11\n")
                .arg(out.lane == Lane::Cue ? QStringLiteral("cue") : QStringLiteral("steady"))
                .arg(out.underruns)
                .arg(out.raised)
                .arg(out.lowered)
                .arg(double(latencyOf(out.lane)) / 1000)
                .arg(out.tlength)
                .arg(ms(out.tlength))
                .arg(out.minreq)
                .arg(ms(out.minreq))
                .arg(out.prebuf)
                .arg(out.maxlength)
                .toUtf8());
}

// A voice of the lane began or was cut off (the lock is held). A resting stream wakes; a
// stream that holds nothing of another player's sound (none sounds, no tail of one that
// ended is still at the server) drops what the server holds of it (the silence before the
// new sound, or the rest of the one cut off), so the change is heard at once rather than
// after the lead the stream is kept at. Otherwise nothing is dropped, and the change comes
// after what the server holds: at most that lead.
void PulseAudio::changed(Lane lane, bool alone) {
    // Kept only when asked for, and never more than a long session's worth.
    if (!reportPath_.isEmpty() && sounding(lane) && starts_.size() < 100000)
        starts_.emplace_back(
            lane, std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch())
                      .count());
    if (native_) {
        native_->wake();
        return;
    }
    Stream& out = streams_[static_cast<std::size_t>(lane)];
    if (!out.ready || state_ == State::Failed)
        return;
    if (out.corked ? sounding(lane) : alone)
        restart(out);
}

// A stream is corked once twice its latency of silence followed its last sound (see fill),
// after a first fill of FirstFill latencies: the most of a sound's tail that the server may
// still hold.
qint64 PulseAudio::held(Lane lane) const {
    if (native_)
        return 0; // a change is heard from the next cycle: nothing of ours is queued
    // The lead at most, and up to twice the latency more before the stream rests.
    return qint64((FirstFill + 2) * latencyOf(lane) * SoundRate / PA_USEC_PER_SEC);
}

// The stream emptied at the server, uncorked, and filled at once rather than a round trip
// later.
void PulseAudio::restart(Stream& out) {
    out.restartedAt = std::chrono::steady_clock::now();
    out.writtenSinceRestart = 0;
    out.corked = false;
    out.quietBytes = 0;
    drop(pa_stream_flush(out.stream, nullptr, nullptr));
    drop(pa_stream_cork(out.stream, 0, nullptr, nullptr));
    const pa_buffer_attr* attributes = pa_stream_get_buffer_attr(out.stream);
    fill(out, FirstFill * (attributes ? attributes->tlength
                                      : pa_usec_to_bytes(latencyOf(out.lane), &Spec)));
}

} // namespace sound
