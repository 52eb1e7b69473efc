#include "sound/SoundMixer.h"

#include "data/DataFile.h"
#include "forms/Reporter.h"

#include <algorithm>
#include <utility>

namespace sound {

// A player is one voice of the mixer: a new file on it replaces what the voice held.
class MixerPlayer final : public forms::WavePlayer {
public:
    explicit MixerPlayer(SoundMixer& mixer) : mixer_(mixer), voice_(mixer.takeVoice()) {}
    ~MixerPlayer() override { mixer_.releaseVoice(voice_); }

    void play(const QString& path) override {
        // Opened and decoded outside the lock, so the output's thread never waits for that.
        auto sound = path.isEmpty() ? nullptr : mixer_.sound(path);
        mixer_.play(voice_, std::move(sound));
    }
    void setPlayCount(int count) override { mixer_.setPlayCount(voice_, count); }
    void preload(const QString& path) override { mixer_.sound(path); }

private:
    SoundMixer& mixer_;
    int voice_;
};

std::unique_ptr<forms::WavePlayer> SoundMixer::create() {
    return std::make_unique<MixerPlayer>(*this);
}

std::shared_ptr<const Sound> SoundMixer::sound(const QString& path) {
    // Only the players' thread reads and caches files.
    if (auto found = sounds_.constFind(path); found != sounds_.constEnd())
        return *found;
    // Read whole, the music too, on the players' thread as the screen loads: slow storage
    // may delay the screen, never a sound.
    DecodedSound decoded;
    if (data::DataFile file = data::readDataFile(path, data::SoundFileLimit); file.ok())
        decoded = decodeWave(std::move(file.bytes));
    else
        decoded.error = data::describe(file);
    if (!decoded.sound)
        forms::warn(QStringLiteral("cannot play %1: %2").arg(path, decoded.error));
    // A file that cannot be played is remembered too, so it is reported once, not per play.
    sounds_.insert(path, decoded.sound);
    return decoded.sound;
}

int SoundMixer::takeVoice() {
    lock();
    auto free =
        std::find_if(voices_.begin(), voices_.end(), [](const Voice& v) { return !v.taken; });
    if (free == voices_.end())
        free = voices_.insert(voices_.end(), Voice{});
    free->taken = true;
    const int voice = static_cast<int>(free - voices_.begin());
    unlock();
    return voice;
}

void SoundMixer::releaseVoice(int voice) {
    lock();
    Voice& v = voices_[static_cast<std::size_t>(voice)];
    const Voice was = std::exchange(v, Voice{});
    if (was.sound)
        laneChanged(was.lane, v);
    unlock();
}

void SoundMixer::play(int voice, std::shared_ptr<const Sound> sound) {
    lock();
    Voice& v = voices_[static_cast<std::size_t>(voice)];
    const bool cut = v.sound != nullptr;
    const Lane cutLane = v.lane;
    // The sound being replaced is let go outside the lock, in case this was its last use.
    std::swap(v.sound, sound);
    v.position = 0;
    v.playsLeft = 1;
    if (v.sound)
        v.lane = laneOf(*v.sound);
    if (cut && (!v.sound || v.lane != cutLane))
        laneChanged(cutLane, v);
    if (v.sound)
        laneChanged(v.lane, v);
    unlock();
}

void SoundMixer::laneChanged(Lane lane, const Voice& voice) {
    const qint64 holdsFrom = mixed_[std::size_t(lane)] - held(lane);
    const bool alone = std::none_of(voices_.begin(), voices_.end(), [&](const Voice& other) {
        return &other != &voice && ((other.sound && other.lane == lane) ||
                                    other.endedAt[std::size_t(lane)] > holdsFrom);
    });
    changed(lane, alone);
}

void SoundMixer::setPlayCount(int voice, int count) {
    lock();
    voices_[static_cast<std::size_t>(voice)].playsLeft = std::max(count, 0);
    unlock();
}

void SoundMixer::cutAllButRepeating() {
    for (Voice& v : voices_)
        if (v.playsLeft != 0)
            v.sound.reset(); // still held by the cache of sounds: nothing is freed here
}

bool SoundMixer::sounding(std::optional<Lane> lane) const {
    return std::any_of(voices_.begin(), voices_.end(), [&](const Voice& v) {
        return v.sound != nullptr && (!lane || v.lane == *lane);
    });
}

void SoundMixer::mix(qint16* out, std::size_t frames, std::optional<Lane> lane) {
    sum_.assign(frames, 0);
    for (Voice& v : voices_) {
        if (lane && v.lane != *lane)
            continue;
        std::size_t done = 0;
        while (v.sound && done < frames) {
            const Sound& s = *v.sound;
            const auto run = static_cast<std::size_t>(
                std::min<qsizetype>(s.frames - v.position, qsizetype(frames - done)));
            s.addTo(sum_.data() + done, v.position, qsizetype(run));
            done += run;
            v.position += qsizetype(run);
            if (v.position < s.frames)
                continue;
            v.position = 0;
            // playsLeft 0 repeats without end; otherwise the sound ends after its last play.
            if (v.playsLeft == 1) {
                v.sound.reset();
                v.endedAt[std::size_t(v.lane)] = mixed_[std::size_t(v.lane)] + qint64(done);
            } else if (v.playsLeft > 1)
                --v.playsLeft;
        }
    }
    for (const Lane mixed : {Lane::Cue, Lane::Steady})
        if (!lane || *lane == mixed)
            mixed_[std::size_t(mixed)] += qint64(frames);
    for (std::size_t i = 0; i < frames; ++i)
        out[i] = static_cast<qint16>(std::clamp<qint32>(sum_[i], -32768, 32767));
}

} // namespace sound
