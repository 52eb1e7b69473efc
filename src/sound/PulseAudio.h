#pragma once

#include "sound/LatencyLadder.h"
#include "sound/PipeWireStream.h"
#include "sound/SoundMixer.h"

#include <QString>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_mainloop_api;
struct pa_time_event;
struct pa_defer_event;
struct pa_server_info;
struct timeval;

namespace sound {

// The program's sound output: the mixer's voices played through the PulseAudio (or
// PipeWire) server, each lane on its own mono stream at SoundRate, the rate the sounds are
// made at. The cue stream asks the server for a very short latency, so a hit is heard within
// a few milliseconds of the click; the steady stream keeps a deeper buffer, so the music
// does not break up when the machine is busy. A stream is corked while its lane is silent:
// a quiet game wakes nothing. The server's thread never waits for the game, and the game
// waits for the server only for the lock around the voices, under which no call into the
// server is made except ones that return at once.
// Without a server, or when it goes away (restarted, its only output gone), the game plays
// silently, says so once on stderr, and tries again every second on the server's thread;
// once back (said once too) it plays on: the music where it was, no cue that fell due
// meanwhile.
// When the server is PipeWire's pulse server, the sounds go by a native PipeWire stream
// instead (PipeWireStream), filled in the graph's own cycle: through the pulse server a
// stream's queue grows and a cue comes tens of milliseconds late.
// A busy machine may keep the server's thread from the processor past the cue stream's
// latency: the server then finds it empty (an underrun, heard as a crackle), and the cue
// latency steps up until that stops, and back down once quiet (LatencyLadder).
class PulseAudio final : public SoundMixer {
public:
    PulseAudio();
    ~PulseAudio() override;

    // Connects to the sound server and returns at once; the streams open when the server
    // answers. Players may be made and used before: they sound once their stream is open.
    void open();

    // Failed: no sound now; tried again every second (Connecting while trying) unless the
    // thread could not be made.
    enum class State { Closed, Connecting, Ready, Failed };
    State state() const { return state_.load(); }

    // On request, what each stream was granted by the server and how often it ran dry is
    // written to this file when the output closes (for the benchmarks and the scenarios).
    void reportTo(const QString& path) { reportPath_ = path; }

private:
    // One lane's stream and what the output knows of it.
    struct Stream {
        PulseAudio* audio = nullptr;
        Lane lane = Lane::Cue;
        pa_stream* stream = nullptr;
        bool ready = false;
        bool corked = true;
        std::size_t quietBytes = 0; // silence written since the lane's last sound ended
        std::chrono::steady_clock::time_point restartedAt{}; // emptied and filled anew
        std::size_t writtenSinceRestart = 0;
        bool reopen = false; // at a lower latency, once it rests
        // For the report: the buffer the server last granted, and how the stream fared.
        std::uint32_t tlength = 0, minreq = 0, prebuf = 0, maxlength = 0;
        int underruns = 0;
        int raised = 0;
        int lowered = 0;
    };

    void lock() override;
    void unlock() override;
    void changed(Lane lane, bool alone) override;
    qint64 held(Lane lane) const override;

    static void contextChanged(pa_context* context, void* self);
    static void retry(pa_mainloop_api* api, pa_time_event* event, const struct timeval* at,
                      void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void wanted(pa_stream* stream, std::size_t bytes, void* self);
    static void ranDry(pa_stream* stream, void* self);
    static void granted(pa_stream* stream, int success, void* self);
    static void reopenNow(pa_mainloop_api* api, pa_defer_event* event, void* self);
    static void serverKnown(pa_context* context, const pa_server_info* info, void* self);
    static void letPulseGo(pa_mainloop_api* api, pa_defer_event* event, void* self);
    void openStreams();
    PipeWireStream::Pulled pull(std::int16_t* out, std::size_t frames);
    std::uint64_t latencyOf(Lane lane) const;
    std::size_t leadOf(Lane lane) const;
    void noteGranted(Stream& out);
    void writeReport() const;
    void openStream(Stream& out);
    void closeStream(Stream& out);
    void restart(Stream& out);
    void fill(Stream& out, std::size_t bytes);
    void connect();
    void disconnect();
    void lose(int error);
    void close();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_time_event* retry_ = nullptr; // the next attempt, once the server is lost
    bool lost_ = false;              // said so on stderr, and not yet that it is back
    std::array<Stream, 2> streams_{Stream{this, Lane::Cue}, Stream{this, Lane::Steady}};
    std::atomic<State> state_{State::Closed};
    std::vector<qint16> buffer_;
    LatencyLadder cueLatency_;
    std::unique_ptr<PipeWireStream> native_;      // the way out on PipeWire, once chosen
    std::vector<std::pair<Lane, double>> starts_; // when each sound began, for the report
    std::vector<QString> dryMoments_;             // each underrun, as the report says it
    bool realTimeTried_ = false;                  // the server's thread's priority
    bool realTime_ = false;
    int nativeUnderruns_ = 0; // its figures, kept for the report
    std::uint32_t nativeAsked_ = 0;
    QString reportPath_;
};

} // namespace sound
