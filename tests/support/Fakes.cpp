#include "support/Fakes.h"

#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <limits>

namespace fakes {

class VirtualTimers::Slot final : public forms::TimerSlot {
public:
    Slot(VirtualTimers& owner, int id) : owner_(owner), id_(id) {}
    ~Slot() override { owner_.entries_.erase(id_); }
    void start(int intervalMs) override {
        Entry& entry = owner_.entries_.at(id_);
        entry.running = true;
        entry.intervalMs = intervalMs;
        entry.dueMs = std::llround(owner_.clock_.now() * 1000) + intervalMs;
        entry.order = owner_.nextOrder_++;
    }
    void stop() override { owner_.entries_.at(id_).running = false; }

private:
    VirtualTimers& owner_;
    int id_;
};

std::unique_ptr<forms::TimerSlot> VirtualTimers::create(std::function<void()> onTick) {
    const int id = nextId_++;
    entries_[id].onTick = std::move(onTick);
    return std::make_unique<Slot>(*this, id);
}

void VirtualTimers::advanceTo(double seconds) {
    for (;;) {
        int nextId = -1;
        long long due = std::numeric_limits<long long>::max();
        unsigned long long order = 0;
        for (const auto& [id, entry] : entries_) {
            if (!entry.running || entry.dueMs > seconds * 1000 + 1e-6)
                continue;
            if (entry.dueMs < due || (entry.dueMs == due && entry.order < order)) {
                nextId = id;
                due = entry.dueMs;
                order = entry.order;
            }
        }
        if (nextId < 0)
            break;
        clock_.set(std::max(clock_.now(), due / 1000.0));
        Entry& entry = entries_.at(nextId);
        // The next tick is one interval later; the handler may restart or stop the timer.
        entry.dueMs += entry.intervalMs;
        entry.order = nextOrder_++;
        const auto onTick = entry.onTick;
        onTick();
    }
    clock_.set(std::max(clock_.now(), seconds));
}

int VirtualTimers::runningCount() const {
    int count = 0;
    for (const auto& [id, entry] : entries_)
        count += entry.running ? 1 : 0;
    return count;
}

double ScriptedRandom::next() {
    ++drawn;
    if (!draws_.empty()) {
        const double draw = draws_.front();
        draws_.pop_front();
        return draw;
    }
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state_ >> 11) * 0x1.0p-53;
}

namespace {
class RecordingPlayer final : public forms::WavePlayer {
public:
    RecordingPlayer(QStringList& log, QStringList& preloaded, int number)
        : log_(log), preloaded_(preloaded), number_(number) {}
    ~RecordingPlayer() override { log_ << QStringLiteral("%1 gone").arg(number_); }
    void play(const QString& path) override {
        log_ << (path.isEmpty()
                     ? QStringLiteral("%1 stop").arg(number_)
                     : QStringLiteral("%1 play %2").arg(number_).arg(QFileInfo(path).fileName()));
    }
    void setPlayCount(int count) override {
        log_ << QStringLiteral("%1 count %2").arg(number_).arg(count);
    }
    void preload(const QString& path) override { preloaded_ << QFileInfo(path).fileName(); }

private:
    QStringList& log_;
    QStringList& preloaded_;
    int number_;
};
} // namespace

std::unique_ptr<forms::WavePlayer> RecordingPlayers::create() {
    return std::make_unique<RecordingPlayer>(log, preloaded, ++created_);
}

QStringList RecordingPlayers::played() const {
    QStringList files;
    for (const QString& entry : log) {
        const int at = entry.indexOf(QStringLiteral(" play "));
        if (at >= 0)
            files << entry.mid(at + 6);
    }
    return files;
}

} // namespace fakes
