#pragma once

#include <QString>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

struct pw_thread_loop;
struct pw_context;
struct pw_core;
struct pw_stream;
struct spa_source;

namespace sound {

// One native playback stream of a PipeWire server, filled in the graph's own real-time
// cycle with exactly the frames that cycle asks for, so that a sound started between two
// cycles is heard from the next one: nothing of ours waits in a queue ahead of it. The
// stream runs while anything sounds and rests (paused, so the graph may sleep) once the
// frames pulled have been silent for a little while; wake() runs it again.
// Lost (the server restarted), it says so once on stderr, tries again every second on its
// own thread, and says when it is back.
class PipeWireStream {
public:
    // What the frames just pulled say of the sounds to come: whether anything still sounds,
    // and whether a sound may have to be heard at once (a round is being played), which
    // asks the graph for its short cycle; otherwise a long one wakes the machine less.
    struct Pulled {
        bool sounding = false;
        bool hurried = false;
    };
    // Fills `frames` mono frames at SoundRate. Called on the stream's real-time thread.
    using Pull = std::function<Pulled(std::int16_t* out, std::size_t frames)>;
    // Called on the stream's thread once the stream plays again after a loss.
    using Back = std::function<void()>;

    PipeWireStream(Pull pull, Back back);
    ~PipeWireStream();
    PipeWireStream(const PipeWireStream&) = delete;
    PipeWireStream& operator=(const PipeWireStream&) = delete;

    // Connects to the PipeWire server; false when none answers (nothing is kept then).
    bool start();
    // Runs the stream if it rests. Any thread, no lock taken, never waits.
    void wake();

    // For the report: cycles that found no buffer to fill, and the frames the graph asked
    // for most recently.
    int underruns() const { return underruns_.load(); }
    std::uint32_t asked() const { return asked_.load(); }

private:
    bool connect();
    void disconnect();
    void lose(const QString& why);

    struct Hooks; // the server's callbacks and their registrations, kept out of this header
    Pull pull_;
    Back back_;
    pw_thread_loop* loop_ = nullptr;
    pw_context* context_ = nullptr;
    pw_core* core_ = nullptr;
    pw_stream* stream_ = nullptr;
    std::unique_ptr<Hooks> hooks_;
    spa_source* wake_ = nullptr;
    spa_source* retry_ = nullptr;
    bool lost_ = false;                // said so, and not yet that it is back
    bool active_ = false;              // what the stream was last told (the loop's thread)
    bool shortCycle_ = false;          // likewise
    std::atomic<bool> hurried_{false}; // what the real-time thread last pulled
    // Each wake() counts; the real-time thread asks to rest only if none came since it
    // last found the mix silent, so a sound started meanwhile is never put to sleep.
    std::atomic<std::uint64_t> wakes_{0};
    std::atomic<std::uint64_t> restAt_{~std::uint64_t(0)};
    std::size_t quietFrames_ = 0; // the real-time thread's own
    std::atomic<int> underruns_{0};
    std::atomic<std::uint32_t> asked_{0};
};

} // namespace sound
