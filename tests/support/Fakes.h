#pragma once

#include "forms/Clock.h"
#include "forms/Random.h"
#include "forms/Reporter.h"
#include "forms/TimerService.h"
#include "forms/WavePlayer.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <map>
#include <memory>

namespace fakes {

// A clock moved by hand.
class FakeClock final : public forms::Clock {
public:
    double now() const override { return now_; }
    void set(double seconds) { now_ = seconds; }

private:
    double now_ = 1000.0;
};

// Timers on virtual time: advancing the clock fires every due timer in time order (ties in
// the order the timers were last started), each with the clock set to its due moment. Due
// moments are whole milliseconds, as the toolkit's timers keep them, so that ticks do not
// drift: the fifth 100 ms tick after 100.0 s comes at 100.5 s exactly, on a margin.
class VirtualTimers final : public forms::TimerService {
public:
    explicit VirtualTimers(FakeClock& clock) : clock_(clock) {}
    std::unique_ptr<forms::TimerSlot> create(std::function<void()> onTick) override;

    void advanceTo(double seconds);
    void advanceBy(double seconds) { advanceTo(clock_.now() + seconds); }
    int runningCount() const;

private:
    struct Entry {
        std::function<void()> onTick;
        bool running = false;
        int intervalMs = 0;
        long long dueMs = 0;
        unsigned long long order = 0;
    };
    class Slot;
    FakeClock& clock_;
    std::map<int, Entry> entries_;
    int nextId_ = 0;
    unsigned long long nextOrder_ = 0;
};

// Draws from a script; once it runs out, from a fixed-seed generator. Counts re-seeds.
class ScriptedRandom final : public forms::Random {
public:
    void reseed() override { ++reseeds; }
    double next() override;
    void script(std::initializer_list<double> draws) { draws_.insert(draws_.end(), draws); }
    void clearScript() { draws_.clear(); }
    bool scriptEmpty() const { return draws_.empty(); }
    int reseeds = 0;
    int drawn = 0;

private:
    std::deque<double> draws_;
    unsigned long long state_ = 12345;
};

// Players that write what they were asked to do into one shared log, "number action", each
// player numbered in the order it was made.
class RecordingPlayers final : public forms::WavePlayerFactory {
public:
    std::unique_ptr<forms::WavePlayer> create() override;
    QStringList log;            // e.g. "1 play o.wav", "2 count 0", "2 stop", "2 gone"
    QStringList preloaded;      // file names read ahead, any player, in order
    QStringList played() const; // file names played, any player, in order
    void clear() {
        log.clear();
        preloaded.clear();
    }

private:
    int created_ = 0;
};

class RecordingReporter final : public forms::Reporter {
public:
    void problem(const QString& message) override { problems << message; }
    QStringList problems;
};

} // namespace fakes
