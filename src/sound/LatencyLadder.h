#pragma once

#include <chrono>

namespace sound {

// The latency a stream asks of the sound server, raised when the machine is too busy for it
// and lowered again once it has been quiet. An underrun (the server found the stream empty
// mid-sound: a crackle) doubles the latency, up to the longest; after `calm` of sound
// played without one, it halves, down to the shortest. A cue is heard a little later on a
// machine that cannot keep the shortest latency fed, rather than broken up.
class LatencyLadder {
public:
    using Duration = std::chrono::microseconds;

    LatencyLadder(Duration shortest, Duration longest, Duration calm)
        : shortest_(shortest), longest_(longest), calm_(calm), now_(shortest) {}

    Duration latency() const { return now_; }
    // The stream ran dry: true when the latency was raised.
    bool underrun();
    // `length` more of the stream was played: true when that made it calm enough to step
    // back down.
    bool played(Duration length);

private:
    Duration shortest_;
    Duration longest_;
    Duration calm_;
    Duration now_;
    Duration quiet_{0}; // played since the last underrun or step
};

} // namespace sound
