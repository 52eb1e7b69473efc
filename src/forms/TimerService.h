#pragma once

#include <functional>
#include <memory>

namespace forms {

// One running interval timer. start() (re)starts it from this moment; stop() halts it.
class TimerSlot {
public:
    virtual ~TimerSlot() = default;
    virtual void start(int intervalMs) = 0;
    virtual void stop() = 0;
};

// Where timers come from: real QTimers in the program, a virtual scheduler in tests.
class TimerService {
public:
    virtual ~TimerService() = default;
    virtual std::unique_ptr<TimerSlot> create(std::function<void()> onTick) = 0;
};

class QtTimerService final : public TimerService {
public:
    std::unique_ptr<TimerSlot> create(std::function<void()> onTick) override;
};

} // namespace forms
