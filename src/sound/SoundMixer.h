#pragma once

#include "forms/WavePlayer.h"
#include "sound/WaveFile.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

namespace sound {

// Two ways to the loudspeaker. A cue (a hit, a miss, a countdown beep: half a second at
// most) must be heard the moment it is played and is over before a busy machine can starve
// it; the music and the longer calls must never break up, and a few milliseconds more
// before they begin go unheard. An output gives each lane its own latency.
enum class Lane { Cue, Steady };
inline constexpr qsizetype LongestCue = SoundRate / 2;
inline Lane laneOf(const Sound& sound) {
    return sound.frames <= LongestCue ? Lane::Cue : Lane::Steady;
}

// Mixes one voice per player into mono 16-bit frames at SoundRate. Players made here play
// into it; an output pulls the mix with mix(). The output's thread and the players' thread
// share the voices under lock()/unlock(), which an output overrides; on its own (in tests)
// the mixer is used from one thread and locks nothing.
class SoundMixer : public forms::WavePlayerFactory {
public:
    SoundMixer() = default;
    ~SoundMixer() override = default;
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    std::unique_ptr<forms::WavePlayer> create() override;

    // The sound of a file, read and decoded once and kept for the whole run; null when it
    // cannot be played, which is said once on stderr, however often it is asked for.
    std::shared_ptr<const Sound> sound(const QString& path);

    // Fills `frames` frames with every sounding voice (of one lane, or of both) summed,
    // clipped to 16 bits, and moves those voices on. Callers other than the mixer's own
    // players hold the lock.
    void mix(qint16* out, std::size_t frames, std::optional<Lane> lane = {});
    // Whether any voice (of one lane, or of both) is sounding; when none is, mix() gives
    // silence.
    bool sounding(std::optional<Lane> lane = {}) const;

protected:
    virtual void lock() {}
    virtual void unlock() {}
    // Called under the lock when a voice of `lane` has just begun a sound or been cut off
    // (replaced, stopped, or its player gone). `alone`: the output holds nothing of another
    // player's sound on the lane (no other voice sounds there, and none ended there within
    // the last held(lane) frames mixed), so what it holds of the lane can be dropped and the
    // change heard at once: the tail of the voice's own last sound is cut off, as a new play
    // on a player cuts off its old sound. An output that was resting resumes here.
    virtual void changed(Lane /*lane*/, bool /*alone*/) {}
    // How many frames of a lane the output may hold before they are heard: the tail of a
    // sound that ended fewer frames ago may still be waiting there.
    virtual qint64 held(Lane /*lane*/) const { return 0; }
    // Cuts every sound that does not repeat without end, under the lock: an output that
    // could not play for a while drops what fell due meanwhile rather than play it late,
    // and the music goes on.
    void cutAllButRepeating();

private:
    friend class MixerPlayer;
    static constexpr qint64 LongAgo = -(qint64(1) << 60);
    struct Voice {
        std::shared_ptr<const Sound> sound; // null: silent
        qsizetype position = 0;
        int playsLeft = 1; // 0: repeats without end
        Lane lane = Lane::Cue;
        bool taken = false;
        // Where on each lane's count of frames mixed this voice's last sound there ended.
        std::array<qint64, 2> endedAt{LongAgo, LongAgo};
    };
    int takeVoice();
    void releaseVoice(int voice);
    void play(int voice, std::shared_ptr<const Sound> sound);
    void setPlayCount(int voice, int count);
    // Tells the output that `voice` began a sound on `lane` or was cut off there.
    void laneChanged(Lane lane, const Voice& voice);

    std::vector<Voice> voices_;
    std::array<qint64, 2> mixed_{}; // frames mixed on each lane so far
    QHash<QString, std::shared_ptr<const Sound>> sounds_;
    std::vector<qint32> sum_;
};

} // namespace sound
