#pragma once

#include "forms/TimerService.h"

#include <functional>
#include <memory>

namespace forms {

// A window timer as the screens use it: the interval is the whole interface.
// Giving it 0 stops it; any other value (re)starts it, counting from this moment.
class Timer {
public:
    Timer(TimerService& service, std::function<void()> onTick);

    int interval() const { return interval_; }
    void setInterval(int intervalMs);

private:
    std::unique_ptr<TimerSlot> slot_;
    int interval_ = 0;
};

} // namespace forms
