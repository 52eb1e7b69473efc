#pragma once

#include "sound/SoundMixer.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;
struct pa_mainloop_api;
struct pa_time_event;
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
class PulseAudio final : public SoundMixer {
public:
    PulseAudio() = default;
    ~PulseAudio() override;

    // Connects to the sound server and returns at once; the streams open when the server
    // answers. Players may be made and used before: they sound once their stream is open.
    void open();

    // Failed: no sound now; tried again every second (Connecting while trying) unless the
    // thread could not be made.
    enum class State { Closed, Connecting, Ready, Failed };
    State state() const { return state_.load(); }

private:
    // One lane's stream and what the output knows of it.
    struct Stream {
        PulseAudio* audio = nullptr;
        Lane lane = Lane::Cue;
        pa_stream* stream = nullptr;
        bool ready = false;
        bool corked = true;
        std::size_t quietBytes = 0; // silence written since the lane's last sound ended
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
};

} // namespace sound
