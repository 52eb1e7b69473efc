#include "app/SoundMixer.h"

#include "app/Reporter.h"
#include "forms/DataFile.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <utility>

namespace app {

namespace {

quint16 u16(const char* at) {
    return qFromLittleEndian<quint16>(at);
}
quint32 u32(const char* at) {
    return qFromLittleEndian<quint32>(at);
}

DecodedSound refused(QString why) {
    return {nullptr, std::move(why)};
}

} // namespace

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

namespace {

qint16 frameAt(const char* at, int channels) {
    const auto left = static_cast<qint16>(u16(at));
    if (channels == 1)
        return left;
    const auto right = static_cast<qint16>(u16(at + 2));
    return static_cast<qint16>((int(left) + int(right)) / 2);
}

} // namespace

qint16 Sound::frame(qsizetype index) const {
    qint32 sum = 0;
    addTo(&sum, index, 1);
    return static_cast<qint16>(sum);
}

void Sound::addTo(qint32* to, qsizetype from, qsizetype count) const {
    const qsizetype frameBytes = 2 * channels;
    const char* at = bytes.constData() + dataStart + from * frameBytes;
    for (qsizetype i = 0; i < count; ++i, at += frameBytes)
        to[i] += frameAt(at, channels);
}

DecodedSound decodeWave(QByteArray bytes) {
    const char* data = bytes.constData();
    const qsizetype size = bytes.size();
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return refused(QStringLiteral("not a wave file"));
    bool haveFormat = false;
    int channels = 0;
    // Chunks follow one another, each padded to an even length.
    for (qsizetype at = 12; at + 8 <= size;) {
        const qsizetype length = u32(data + at + 4);
        const qsizetype body = at + 8;
        const qsizetype available = std::min(length, size - body);
        if (std::memcmp(data + at, "fmt ", 4) == 0) {
            if (available < 16)
                return refused(QStringLiteral("a damaged wave header"));
            const quint16 tag = u16(data + body);
            channels = u16(data + body + 2);
            const quint32 rate = u32(data + body + 4);
            const quint16 blockAlign = u16(data + body + 12);
            const quint16 bits = u16(data + body + 14);
            // 0xfffe, the extensible header, names its coding in its sub-format.
            const bool pcm =
                tag == 1 || (tag == 0xfffe && available >= 26 && u16(data + body + 24) == 1);
            if (!pcm || bits != 16)
                return refused(QStringLiteral("not 16-bit PCM"));
            if (channels < 1 || channels > 2 || blockAlign != 2 * channels)
                return refused(QStringLiteral("%1 channels, not 1 or 2").arg(channels));
            if (rate != SoundRate)
                return refused(QStringLiteral("%1 Hz, not %2 Hz").arg(rate).arg(SoundRate));
            haveFormat = true;
        } else if (std::memcmp(data + at, "data", 4) == 0) {
            if (!haveFormat)
                return refused(QStringLiteral("sound data before its format"));
            // A file cut short plays the frames it holds.
            const qsizetype frames = available / (2 * channels);
            if (frames <= 0)
                return refused(QStringLiteral("it holds no samples"));
            auto sound = std::make_shared<Sound>();
            sound->bytes = std::move(bytes);
            sound->dataStart = body;
            sound->frames = frames;
            sound->channels = channels;
            return {std::move(sound), {}};
        }
        at = body + length + (length & 1);
    }
    return refused(haveFormat ? QStringLiteral("it holds no samples")
                              : QStringLiteral("a damaged wave header"));
}

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
    if (forms::DataFile file = forms::readDataFile(path, forms::SoundFileLimit); file.ok())
        decoded = decodeWave(std::move(file.bytes));
    else
        decoded.error = forms::describe(file);
    if (!decoded.sound)
        warn(QStringLiteral("cannot play %1: %2").arg(path, decoded.error));
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
    const bool alone = std::none_of(voices_.begin(), voices_.end(), [&](const Voice& other) {
        return &other != &voice && other.sound && other.lane == lane;
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
            if (v.playsLeft == 1)
                v.sound.reset();
            else if (v.playsLeft > 1)
                --v.playsLeft;
        }
    }
    for (std::size_t i = 0; i < frames; ++i)
        out[i] = static_cast<qint16>(std::clamp<qint32>(sum_[i], -32768, 32767));
}

} // namespace app
