#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

namespace sound {

// The rate every sound is played at, and the only one accepted: the game's sounds are
// made at it, so nothing is ever resampled.
inline constexpr int SoundRate = 44100;

// A wave file's samples, read in place from the file's own bytes: nothing is converted or
// copied. Every sound, the music too, is held whole: the sound thread never reads a file,
// so a slow disk can delay a screen's opening but never a sound.
struct Sound {
    QByteArray bytes;        // the whole file
    qsizetype dataStart = 0; // where the first frame begins in it
    qsizetype frames = 0;
    int channels = 1; // 1 or 2; a stereo file is heard as the mean of its two sides
    qint16 frame(qsizetype index) const;
    // Adds `count` frames from `from` onto `to`.
    void addTo(qint32* to, qsizetype from, qsizetype count) const;
};

struct DecodedSound {
    std::shared_ptr<const Sound> sound; // null when the file cannot be played
    QString error;                      // why, in a few words
};
// Reads a 16-bit PCM wave file at SoundRate, mono or stereo, from its bytes.
DecodedSound decodeWave(QByteArray bytes);

} // namespace sound
