// The real sound players on SDL2_mixer, heard through SDL's disk driver: the driver writes
// the mixed output to a file in real time, and the tests look for their tones in it.

#include "app/SdlAudio.h"
#include "support/Files.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int Rate = 44100;
constexpr double Amplitude = 8000;
// Analysis windows of 20 ms, one every 10 ms.
constexpr int Window = Rate / 50;
constexpr int Hop = Rate / 100;

// A mono 16-bit wave file holding a sine tone.
QByteArray toneWave(double frequency, double seconds) {
    const auto frames = static_cast<quint32>(std::lround(seconds * Rate));
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 dataSize = frames * 2;
    out.writeRawData("RIFF", 4);
    out << quint32(36 + dataSize);
    out.writeRawData("WAVEfmt ", 8);
    out << quint32(16) << quint16(1) << quint16(1) << quint32(Rate) << quint32(Rate * 2)
        << quint16(2) << quint16(16);
    out.writeRawData("data", 4);
    out << dataSize;
    for (quint32 i = 0; i < frames; ++i)
        out << qint16(
            std::lround(Amplitude * std::sin(2 * std::numbers::pi * frequency * i / Rate)));
    return bytes;
}

// The left channel of what the disk driver wrote: 44.1 kHz, signed 16-bit native, stereo.
std::vector<qint16> leftChannel(const QString& path) {
    const QByteArray raw = fileBytes(path);
    std::vector<qint16> left(static_cast<std::size_t>(raw.size()) / 4);
    for (std::size_t i = 0; i < left.size(); ++i)
        std::memcpy(&left[i], raw.constData() + i * 4, sizeof(qint16));
    return left;
}

// The amplitude of one frequency in a Hann-weighted window: about the tone's amplitude when
// it is there, near zero when it is not.
double levelAt(const std::vector<qint16>& samples, std::size_t start, double frequency) {
    double re = 0;
    double im = 0;
    for (int n = 0; n < Window; ++n) {
        const double weight = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / (Window - 1));
        const double x = samples[start + static_cast<std::size_t>(n)] * weight;
        const double phase = 2 * std::numbers::pi * frequency * n / Rate;
        re += x * std::cos(phase);
        im -= x * std::sin(phase);
    }
    return 4 * std::hypot(re, im) / Window;
}

struct Frame {
    bool low = false;  // 440 Hz is sounding
    bool high = false; // 880 Hz is sounding
    int peak = 0;
};

// The output window by window, each Hop samples apart.
std::vector<Frame> analyse(const std::vector<qint16>& samples) {
    std::vector<Frame> frames;
    for (std::size_t start = 0; start + Window <= samples.size(); start += Hop) {
        Frame frame;
        frame.low = levelAt(samples, start, 440) > 0.3 * Amplitude;
        frame.high = levelAt(samples, start, 880) > 0.3 * Amplitude;
        for (int n = 0; n < Window; ++n)
            frame.peak = std::max(frame.peak, std::abs(int(samples[start + std::size_t(n)])));
        frames.push_back(frame);
    }
    return frames;
}

bool lowSounds(const Frame& frame) {
    return frame.low;
}
bool highSounds(const Frame& frame) {
    return frame.high;
}
bool bothSound(const Frame& frame) {
    return frame.low && frame.high;
}

int firstWhere(const std::vector<Frame>& frames, bool (*test)(const Frame&)) {
    for (std::size_t i = 0; i < frames.size(); ++i)
        if (test(frames[i]))
            return static_cast<int>(i);
    return -1;
}
int lastWhere(const std::vector<Frame>& frames, bool (*test)(const Frame&)) {
    for (std::size_t i = frames.size(); i-- > 0;)
        if (test(frames[i]))
            return static_cast<int>(i);
    return -1;
}
int countWhere(const std::vector<Frame>& frames, bool (*test)(const Frame&)) {
    return static_cast<int>(std::count_if(frames.begin(), frames.end(), test));
}

// Samples louder than the faintest trace of a tone.
int lastAudible(const std::vector<qint16>& samples) {
    for (std::size_t i = samples.size(); i-- > 0;)
        if (std::abs(int(samples[i])) > 50)
            return static_cast<int>(i);
    return -1;
}
int firstAudible(const std::vector<qint16>& samples) {
    for (std::size_t i = 0; i < samples.size(); ++i)
        if (std::abs(int(samples[i])) > 50)
            return static_cast<int>(i);
    return -1;
}

// Everything written to stderr while it lives.
class StderrCapture {
public:
    explicit StderrCapture(const QString& path) {
        std::fflush(stderr);
        saved_ = ::dup(2);
        const int fd = ::open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, 2);
        ::close(fd);
    }
    ~StderrCapture() { restore(); }
    void restore() {
        if (saved_ < 0)
            return;
        std::fflush(stderr);
        ::dup2(saved_, 2);
        ::close(saved_);
        saved_ = -1;
    }

private:
    int saved_ = -1;
};

} // namespace

class SdlPlayerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString lowTone;  // 0.3 s at 440 Hz
    QString highTone; // 0.3 s at 880 Hz
    QString longTone; // 1.0 s at 440 Hz

    // Opens audio on the disk driver writing to a fresh file, lets `play` use it, closes it
    // and returns the left channel of what was written. Callers return on a failure, which
    // includes a device that does not open.
    template <class Play> std::vector<qint16> heardWhile(Play play) {
        static int run = 0;
        const QString output = dir.filePath(QStringLiteral("out%1.raw").arg(++run));
        qputenv("SDL_AUDIODRIVER", "disk");
        qputenv("SDL_DISKAUDIOFILE", output.toLocal8Bit());
        {
            app::SdlAudio audio;
            audio.open();
            [&] {
                QVERIFY(audio.isOpen());
                play(audio);
            }();
        }
        return leftChannel(output);
    }

    static void verifyOutputFormat() {
        int frequency = 0;
        Uint16 format = 0;
        int channels = 0;
        QVERIFY(Mix_QuerySpec(&frequency, &format, &channels) != 0);
        QCOMPARE(frequency, Rate);
        QCOMPARE(format, Uint16(AUDIO_S16SYS));
        QCOMPARE(channels, 2);
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        lowTone = dir.filePath(QStringLiteral("low.wav"));
        highTone = dir.filePath(QStringLiteral("high.wav"));
        longTone = dir.filePath(QStringLiteral("long.wav"));
        QVERIFY(writeBytes(lowTone, toneWave(440, 0.3)) &&
                writeBytes(highTone, toneWave(880, 0.3)) &&
                writeBytes(longTone, toneWave(440, 1.0)));
    }

    // First of all: SDL_mixer keeps its channel count after it is closed, so once a device
    // has been opened and closed in this process, a player on a mixer that never opened
    // would reach freed channels. The program opens its device once, before any player.
    void withoutAnAudioDeviceThePlayersAreSilent() {
        qputenv("SDL_AUDIODRIVER", "nonexistent");
        app::SdlAudio audio;
        audio.open();
        QVERIFY(!audio.isOpen());
        auto first = audio.create();
        auto second = audio.create();
        first->preload(lowTone);
        first->play(lowTone);
        first->setPlayCount(0);
        second->play(highTone);
        second->setPlayCount(3);
        first->play(QString());
        QVERIFY(audio.chunk(lowTone) == nullptr);
        // Opening again still finds no device.
        audio.open();
        QVERIFY(!audio.isOpen());
    }
    void aNewFileOnThePlayerCutsOffTheOldOne() {
        const auto samples = heardWhile([&](app::SdlAudio& audio) {
            verifyOutputFormat();
            auto player = audio.create();
            player->preload(lowTone);
            player->preload(highTone);
            player->play(lowTone);
            QTest::qWait(100);
            player->play(highTone);
            QTest::qWait(600);
            player.reset();
        });
        if (QTest::currentTestFailed())
            return;
        const auto frames = analyse(samples);
        const int lowStart = firstWhere(frames, lowSounds);
        const int highStart = firstWhere(frames, highSounds);
        QVERIFY2(lowStart >= 0 && highStart > lowStart, "both tones are in the output");
        // Some 100 ms apart (10 ms steps), allowing for the device's buffers.
        QVERIFY2(highStart - lowStart >= 5 && highStart - lowStart <= 30,
                 qPrintable(QString::number(highStart - lowStart)));
        // The first tone sounds until the second begins...
        const int lowEnd = lastWhere(frames, lowSounds);
        QVERIFY2(lowEnd >= highStart - 4,
                 qPrintable(QStringLiteral("%1 %2").arg(lowEnd).arg(highStart)));
        // ...and not a moment after: no window beyond the change holds the low tone.
        QVERIFY2(lowEnd <= highStart + 1,
                 qPrintable(QStringLiteral("%1 %2").arg(lowEnd).arg(highStart)));
        // The second tone plays its whole length, never on top of the first.
        const int highEnd = lastWhere(frames, highSounds);
        QVERIFY(highEnd - highStart >= 27);
        for (const Frame& frame : frames)
            QVERIFY2(frame.peak < 1.2 * Amplitude, qPrintable(QString::number(frame.peak)));
    }

    void aSecondPlayerPlaysUnderneathWithoutCuttingTheFirst() {
        const auto samples = heardWhile([&](app::SdlAudio& audio) {
            auto first = audio.create();
            auto second = audio.create();
            first->preload(lowTone);
            second->preload(highTone);
            first->play(lowTone);
            QTest::qWait(100);
            second->play(highTone);
            QTest::qWait(600);
        });
        if (QTest::currentTestFailed())
            return;
        const auto frames = analyse(samples);
        const int lowStart = firstWhere(frames, lowSounds);
        const int lowEnd = lastWhere(frames, lowSounds);
        const int highStart = firstWhere(frames, highSounds);
        QVERIFY(lowStart >= 0 && highStart > lowStart);
        // The first tone keeps its full 0.3 s although the second came in over it.
        QVERIFY2(lowEnd - lowStart >= 27, qPrintable(QString::number(lowEnd - lowStart)));
        QVERIFY2(lowEnd > highStart + 5,
                 qPrintable(QStringLiteral("%1 %2").arg(lowEnd).arg(highStart)));
        const int both = countWhere(frames, bothSound);
        QVERIFY2(both >= 5, qPrintable(QString::number(both)));
    }

    void anEmptyNameStopsThePlayer() {
        const auto samples = heardWhile([&](app::SdlAudio& audio) {
            auto player = audio.create();
            player->preload(longTone);
            player->play(longTone);
            QTest::qWait(150);
            player->play(QString());
            QTest::qWait(1100);
        });
        if (QTest::currentTestFailed())
            return;
        const int start = firstAudible(samples);
        const int end = lastAudible(samples);
        QVERIFY(start >= 0);
        // Stopped some 150 ms in, far short of the file's full second.
        const double heard = double(end - start) / Rate;
        QVERIFY2(heard > 0.05 && heard < 0.5, qPrintable(QString::number(heard)));
        // Silence after the stop, up to the end of the capture.
        QVERIFY(samples.size() - std::size_t(end) > std::size_t(Rate / 2));
    }

    void playCountDecidesHowOftenTheFilePlays_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<double>("minSeconds");
        QTest::addColumn<double>("maxSeconds"); // < 0: still sounding when the capture ends
        QTest::newRow("once") << 1 << 0.27 << 0.35;
        QTest::newRow("twice") << 2 << 0.57 << 0.65;
        QTest::newRow("repeat") << 0 << 0.95 << -1.0;
    }
    void playCountDecidesHowOftenTheFilePlays() {
        QFETCH(int, count);
        QFETCH(double, minSeconds);
        QFETCH(double, maxSeconds);
        const auto samples = heardWhile([&](app::SdlAudio& audio) {
            auto player = audio.create();
            player->preload(lowTone);
            player->play(lowTone);
            player->setPlayCount(count);
            QTest::qWait(1200);
        });
        if (QTest::currentTestFailed())
            return;
        const auto frames = analyse(samples);
        const int toneFrames = countWhere(frames, lowSounds);
        const int start = firstAudible(samples);
        const int end = lastAudible(samples);
        QVERIFY(start >= 0);
        const double heard = double(end - start) / Rate;
        QVERIFY2(heard >= minSeconds, qPrintable(QString::number(heard)));
        if (maxSeconds >= 0) {
            QVERIFY2(heard <= maxSeconds, qPrintable(QString::number(heard)));
        } else {
            // The tone runs to the very end of the capture.
            QVERIFY(samples.size() - std::size_t(end) < std::size_t(Rate / 10));
        }
        // It is the tone that sounds all that time, not noise.
        QVERIFY2(toneFrames >= int(minSeconds * 100) - 5, qPrintable(QString::number(toneFrames)));
    }

    void aFileInAFolderWithAJapaneseNamePlays() {
        // The data folder's sounds live in such folders: データ/音.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("データ/音")));
        const QString path = dir.filePath(QStringLiteral("データ/音/o.wav"));
        QVERIFY(QFile::copy(lowTone, path));
        const auto samples = heardWhile([&](app::SdlAudio& audio) {
            auto player = audio.create();
            QVERIFY(audio.chunk(path) != nullptr);
            player->play(path);
            QTest::qWait(500);
        });
        if (QTest::currentTestFailed())
            return;
        const auto frames = analyse(samples);
        QVERIFY(countWhere(frames, lowSounds) >= 25);
    }

    void aMissingFilePlaysNothingAndIsReportedOnce() {
        const QString missing = dir.filePath(QStringLiteral("nowhere/missing.wav"));
        const QString errors = dir.filePath(QStringLiteral("stderr.txt"));
        const auto samples = heardWhile([&](app::SdlAudio& audio) {
            auto player = audio.create();
            {
                StderrCapture capture(errors);
                QVERIFY(audio.chunk(missing) == nullptr);
                player->play(missing);
                player->setPlayCount(0);
                player->play(missing);
                player->preload(missing);
                capture.restore();
            }
            QTest::qWait(300);
            // The player still plays a good file afterwards.
            QVERIFY(audio.chunk(lowTone) != nullptr);
        });
        if (QTest::currentTestFailed())
            return;
        QFile file(errors);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(missing.toLocal8Bit()), lines.first().constData());
        QVERIFY(!samples.empty());
        QCOMPARE(lastAudible(samples), -1);
    }
};

QTEST_MAIN(SdlPlayerTest)
#include "tst_sdl_player.moc"
