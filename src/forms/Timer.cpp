#include "forms/Timer.h"

namespace forms {

Timer::Timer(TimerService& service, std::function<void()> onTick)
    : slot_(service.create(std::move(onTick))) {}

void Timer::setInterval(int intervalMs) {
    interval_ = intervalMs;
    if (intervalMs == 0)
        slot_->stop();
    else
        slot_->start(intervalMs);
}

} // namespace forms
