#include "sound/WaveFile.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <utility>

namespace sound {

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
    // Offsets and lengths in 64 bits: a chunk's length is any 32-bit number, and qsizetype
    // has only 32 bits on some machines, where 0xfffffff8 would lead back to the same chunk
    // for ever and larger ones out of the file.
    const qint64 size = bytes.size();
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return refused(QStringLiteral("not a wave file"));
    bool haveFormat = false;
    int channels = 0;
    // Chunks follow one another, each padded to an even length.
    for (qint64 at = 12; at + 8 <= size;) {
        const qint64 length = u32(data + at + 4);
        const qint64 body = at + 8;
        const qint64 available = std::min(length, size - body);
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
            const auto frames = static_cast<qsizetype>(available / (2 * channels));
            if (frames <= 0)
                return refused(QStringLiteral("it holds no samples"));
            auto sound = std::make_shared<Sound>();
            sound->bytes = std::move(bytes);
            sound->dataStart = static_cast<qsizetype>(body);
            sound->frames = frames;
            sound->channels = channels;
            return {std::move(sound), {}};
        }
        at = body + length + (length & 1);
    }
    return refused(haveFormat ? QStringLiteral("it holds no samples")
                              : QStringLiteral("a damaged wave header"));
}

} // namespace sound
