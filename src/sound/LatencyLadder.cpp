#include "sound/LatencyLadder.h"

#include <algorithm>

namespace sound {

bool LatencyLadder::underrun() {
    quiet_ = Duration{0};
    if (now_ >= longest_)
        return false;
    now_ = std::min(now_ * 2, longest_);
    return true;
}

bool LatencyLadder::played(Duration length) {
    if (now_ <= shortest_)
        return false;
    quiet_ += length;
    if (quiet_ < calm_)
        return false;
    quiet_ = Duration{0};
    now_ = std::max(now_ / 2, shortest_);
    return true;
}

} // namespace sound
