#pragma once

#include "app/SoundMixer.h"

#include <atomic>
#include <cstdint>
#include <vector>

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace app {

// The program's sound output: the mixer's voices played through the PulseAudio (or
// PipeWire) server on one mono stream at SoundRate, the rate the sounds are made at.
// The stream asks the server for a short latency, so a hit is heard within a few
// milliseconds of the click, and it is corked while nothing sounds: a quiet game wakes
// nothing. The server's thread never waits for the game, and the game waits for the server
// only for the lock around the voices, which no call into the server is made under except
// ones that return at once. Without a server, or when it goes away, the game plays
// silently (said once on stderr).
class PulseAudio final : public SoundMixer {
public:
    PulseAudio() = default;
    ~PulseAudio() override;

    // Connects to the sound server and returns at once; the stream opens when the server
    // answers. Players may be made and used before: they sound once the stream is open.
    void open();

    enum class State { Closed, Connecting, Ready, Failed };
    State state() const { return state_.load(); }

private:
    void lock() override;
    void unlock() override;
    void started() override;

    static void contextChanged(pa_context* context, void* self);
    static void streamChanged(pa_stream* stream, void* self);
    static void wanted(pa_stream* stream, std::size_t bytes, void* self);
    void openStream();
    void fill(std::size_t bytes);
    void fail(const char* what, int error);
    void close();

    pa_threaded_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    std::atomic<State> state_{State::Closed};
    bool corked_ = true;
    std::size_t quietBytes_ = 0; // silence written since the last sound ended
    std::vector<qint16> buffer_;
};

} // namespace app
