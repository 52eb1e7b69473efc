#include "forms/TimerService.h"

#include <QTimer>

namespace forms {

namespace {
class QtTimerSlot final : public TimerSlot {
public:
    explicit QtTimerSlot(std::function<void()> onTick) {
        // Precise timing keeps the 100 ms polling timers from drifting by several percent.
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, std::move(onTick));
    }
    void start(int intervalMs) override { timer_.start(intervalMs); }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};
} // namespace

std::unique_ptr<TimerSlot> QtTimerService::create(std::function<void()> onTick) {
    return std::make_unique<QtTimerSlot>(std::move(onTick));
}

} // namespace forms
