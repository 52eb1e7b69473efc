// The real sound players and the mixer under them, heard by pulling the mix frame by frame
// as the sound server would, and looking for their tones in it; and the output without a
// sound server, which is how these suites run.

#include "sound/LatencyLadder.h"
#include "sound/PulseAudio.h"
#include "sound/SoundMixer.h"
#include "support/Files.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QtEndian>
#include <QtTest>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int Rate = 44100;
constexpr double Amplitude = 8000;
// Analysis windows of 20 ms, one every 10 ms.
constexpr int Window = Rate / 50;
constexpr int Hop = Rate / 100;

struct WaveForm {
    int channels = 1;
    int rate = Rate;
    int bits = 16;
    quint16 tag = 1;        // 1 PCM, 0xfffe the extensible header
    bool listChunk = false; // an odd-sized chunk before the data
};

// A 16-bit wave file holding a sine tone, the same on every channel.
QByteArray toneWave(double frequency, double seconds, WaveForm form = {},
                    double amplitude = Amplitude) {
    const auto frames = static_cast<quint32>(std::lround(seconds * form.rate));
    const auto bytesPerFrame = static_cast<quint32>(form.channels * form.bits / 8);
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    const quint32 dataSize = frames * bytesPerFrame;
    const quint32 formatSize = form.tag == 0xfffe ? 40 : 16;
    out.writeRawData("WAVEfmt ", 8);
    out << formatSize << form.tag << quint16(form.channels) << quint32(form.rate)
        << quint32(form.rate) * bytesPerFrame << quint16(bytesPerFrame) << quint16(form.bits);
    if (form.tag == 0xfffe) {
        out << quint16(22) << quint16(form.bits) << quint32(0) << quint16(1);
        out.writeRawData("\x00\x00\x00\x00\x10\x00\x80\x00\x00\xaa\x00\x38\x9b\x71", 14);
    }
    if (form.listChunk) {
        out.writeRawData("LIST", 4);
        out << quint32(3);
        out.writeRawData("abc\0", 4); // padded to an even length
    }
    out.writeRawData("data", 4);
    out << dataSize;
    for (quint32 i = 0; i < frames; ++i) {
        const double v = amplitude * std::sin(2 * std::numbers::pi * frequency * i / form.rate);
        for (int c = 0; c < form.channels; ++c) {
            if (form.bits == 8)
                out << quint8(128 + std::lround(v / 256));
            else
                out << qint16(std::lround(v));
        }
    }
    QByteArray bytes("RIFF");
    QDataStream size(&bytes, QIODevice::Append);
    size.setByteOrder(QDataStream::LittleEndian);
    size << quint32(body.size());
    return bytes + body;
}

// What the mixer gives over `seconds`, pulled in pieces of 10 ms as a server pulls it.
std::vector<qint16> pull(sound::SoundMixer& mixer, double seconds,
                         std::optional<sound::Lane> lane = {}) {
    std::vector<qint16> out(static_cast<std::size_t>(std::lround(seconds * Rate)));
    for (std::size_t at = 0; at < out.size(); at += Hop)
        mixer.mix(out.data() + at, std::min<std::size_t>(Hop, out.size() - at), lane);
    return out;
}
void append(std::vector<qint16>& to, const std::vector<qint16>& more) {
    to.insert(to.end(), more.begin(), more.end());
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

constexpr int SlowReadsWait = 400; // ms

// A mixer that notes what it tells its output: each lane that a start or a cut reached,
// "alone" when nothing else of that lane was sounding.
class WatchedMixer : public sound::SoundMixer {
public:
    QStringList told;
    // As an output does when its sound server is back after a while.
    void serverBack() { cutAllButRepeating(); }

protected:
    // Each lane's output holds up to 150 ms.
    qint64 held(sound::Lane) const override { return Rate * 15 / 100; }
    void changed(sound::Lane lane, bool alone) override {
        told << QStringLiteral("%1 %2").arg(lane == sound::Lane::Cue ? "cue" : "steady",
                                            alone ? "alone" : "shared");
    }
};

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

// The lines written to stderr by `run`.
template <class Run> QList<QByteArray> stderrLines(const QString& path, Run run) {
    {
        StderrCapture capture(path);
        run();
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray text = file.readAll().trimmed();
    return text.isEmpty() ? QList<QByteArray>() : text.split('\n');
}

// Every read of one file waits, while a SlowReads for it lives: the program's reads of its
// data files go through pread, which this test program defines over the C library's.
std::atomic<ino_t> slowInode{0};

template <class Offset>
ssize_t slowPread(int fd, void* to, std::size_t length, Offset offset, const char* real) {
    struct stat info {};
    if (slowInode != 0 && ::fstat(fd, &info) == 0 && info.st_ino == slowInode)
        QThread::msleep(SlowReadsWait);
    using Pread = ssize_t (*)(int, void*, std::size_t, Offset);
    return reinterpret_cast<Pread>(::dlsym(RTLD_NEXT, real))(fd, to, length, offset);
}

class SlowReads {
public:
    static constexpr int Wait = SlowReadsWait;
    explicit SlowReads(const QString& path) {
        struct stat info {};
        if (::stat(QFile::encodeName(path).constData(), &info) == 0)
            slowInode = info.st_ino;
    }
    ~SlowReads() { slowInode = 0; }
    SlowReads(const SlowReads&) = delete;
    SlowReads& operator=(const SlowReads&) = delete;
    bool armed() const { return slowInode != 0; }
};

} // namespace

// Named by their symbols, whatever the headers make of pread and pread64.
extern "C" ssize_t preadShim(int, void*, std::size_t, __off_t) __asm__("pread");
extern "C" ssize_t preadShim(int fd, void* to, std::size_t length, __off_t offset) {
    return slowPread(fd, to, length, offset, "pread");
}
extern "C" ssize_t pread64Shim(int, void*, std::size_t, __off64_t) __asm__("pread64");
extern "C" ssize_t pread64Shim(int fd, void* to, std::size_t length, __off64_t offset) {
    return slowPread(fd, to, length, offset, "pread64");
}

class SoundMixerTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString lowTone;  // 0.3 s at 440 Hz
    QString highTone; // 0.3 s at 880 Hz
    QString longTone; // 1.0 s at 440 Hz
    QString longHigh; // 1.0 s at 880 Hz

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        return writeBytes(path, bytes) ? path : QString();
    }

private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        lowTone = write(QStringLiteral("low.wav"), toneWave(440, 0.3));
        highTone = write(QStringLiteral("high.wav"), toneWave(880, 0.3));
        longTone = write(QStringLiteral("long.wav"), toneWave(440, 1.0));
        longHigh = write(QStringLiteral("longhigh.wav"), toneWave(880, 1.0));
        QVERIFY(!lowTone.isEmpty() && !highTone.isEmpty() && !longTone.isEmpty() &&
                !longHigh.isEmpty());
    }

    // No sound server (these suites run without one): one line says so, the players take
    // every call without sounding, the files are still read (and their faults still named),
    // and the output closes at once.
    void withoutASoundServerThePlayersAreSilent() {
        qputenv("PULSE_SERVER", "unix:/nonexistent/pulse/native");
        const QString missing = dir.filePath(QStringLiteral("gone.wav"));
        QElapsedTimer clock;
        clock.start();
        const auto lines = stderrLines(dir.filePath(QStringLiteral("noserver.txt")), [&] {
            sound::PulseAudio audio;
            auto first = audio.create();
            first->play(lowTone); // before the output is open
            audio.open();
            QTRY_VERIFY_WITH_TIMEOUT(audio.state() == sound::PulseAudio::State::Failed, 5000);
            auto second = audio.create();
            first->preload(lowTone);
            first->play(lowTone);
            first->setPlayCount(0);
            second->play(highTone);
            second->setPlayCount(3);
            second->play(missing);
            first->play(QString());
            QVERIFY(audio.sound(lowTone) != nullptr);
            // Opening again does not say it twice.
            audio.open();
        });
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(lines.size(), 2);
        QVERIFY2(lines[0].contains("no sound"), lines[0].constData());
        QVERIFY2(lines[1].contains(missing.toLocal8Bit()), lines[1].constData());
    }

    void aNewFileOnThePlayerCutsOffTheOldOne() {
        sound::SoundMixer mixer;
        auto player = mixer.create();
        player->play(lowTone);
        auto samples = pull(mixer, 0.1);
        player->play(highTone);
        append(samples, pull(mixer, 0.6));
        const auto frames = analyse(samples);
        const int lowStart = firstWhere(frames, lowSounds);
        const int highStart = firstWhere(frames, highSounds);
        QVERIFY2(lowStart == 0 && highStart > lowStart, "both tones are in the output");
        // 100 ms apart, in windows 10 ms apart; a window straddling the change sees either.
        QVERIFY2(highStart >= 8 && highStart <= 10, qPrintable(QString::number(highStart)));
        // The first tone sounds until the second begins, and not a moment after.
        const int lowEnd = lastWhere(frames, lowSounds);
        QVERIFY2(lowEnd >= highStart - 2 && lowEnd <= highStart + 1,
                 qPrintable(QStringLiteral("%1 %2").arg(lowEnd).arg(highStart)));
        // The second plays its whole length from its start, never on top of the first.
        QVERIFY(lastWhere(frames, highSounds) - highStart >= 27);
        QCOMPARE(samples[std::size_t(Rate / 10)], qint16(0)); // sin 0: the file's first frame
        for (const Frame& frame : frames)
            QVERIFY2(frame.peak < 1.2 * Amplitude, qPrintable(QString::number(frame.peak)));
        QCOMPARE(lastAudible(samples), Rate / 10 + int(0.3 * Rate) - 1);
        QVERIFY(!mixer.sounding());
    }

    void aSecondPlayerPlaysUnderneathWithoutCuttingTheFirst() {
        sound::SoundMixer mixer;
        auto first = mixer.create();
        auto second = mixer.create();
        first->play(lowTone);
        auto samples = pull(mixer, 0.1);
        second->play(highTone);
        append(samples, pull(mixer, 0.6));
        const auto frames = analyse(samples);
        const int lowStart = firstWhere(frames, lowSounds);
        const int lowEnd = lastWhere(frames, lowSounds);
        const int highStart = firstWhere(frames, highSounds);
        QVERIFY(lowStart >= 0 && highStart > lowStart);
        // The first tone keeps its full 0.3 s although the second came in over it.
        QVERIFY2(lowEnd - lowStart >= 27, qPrintable(QString::number(lowEnd - lowStart)));
        QVERIFY2(countWhere(frames, bothSound) >= 15,
                 qPrintable(QString::number(countWhere(frames, bothSound))));
    }

    // Two voices are summed; where the sum leaves 16 bits it is clipped, never wrapped round
    // to the other sign (which would crack loudly).
    void twoLoudVoicesAreClippedNotWrapped() {
        const QString loud = write(QStringLiteral("loud.wav"), toneWave(440, 0.1, {}, 30000));
        sound::SoundMixer mixer;
        auto first = mixer.create();
        auto second = mixer.create();
        first->play(loud);
        second->play(loud);
        const auto samples = pull(mixer, 0.1);
        const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
        QCOMPARE(*high, qint16(32767));
        QCOMPARE(*low, qint16(-32768));
        // Where the tone is still low, the sum is exactly twice each voice.
        const auto single = sound::decodeWave(fileBytes(loud));
        QVERIFY(single.sound);
        for (qsizetype i = 0; i < 6; ++i)
            QCOMPARE(int(samples[std::size_t(i)]), 2 * single.sound->frame(i));
    }

    // Half a second or less is a cue, heard on the quick lane; anything longer plays on the
    // steady lane. Each lane mixes its own voices only; both together are the whole mix.
    void cuesAndLongerSoundsTakeTheirOwnLanes_data() {
        QTest::addColumn<int>("frames");
        QTest::addColumn<bool>("cue");
        QTest::newRow("a hit") << int(0.3 * Rate) << true;
        QTest::newRow("the longest cue") << int(sound::LongestCue) << true;
        QTest::newRow("one frame longer") << int(sound::LongestCue) + 1 << false;
        QTest::newRow("a call of a second") << Rate << false;
    }
    void cuesAndLongerSoundsTakeTheirOwnLanes() {
        QFETCH(int, frames);
        QFETCH(bool, cue);
        const QString path =
            write(QStringLiteral("lane%1.wav").arg(frames), toneWave(440, double(frames) / Rate));
        sound::SoundMixer mixer;
        auto player = mixer.create();
        auto under = mixer.create();
        player->play(path);
        under->play(cue ? longHigh : highTone); // the other lane, at 880 Hz
        const sound::Lane own = cue ? sound::Lane::Cue : sound::Lane::Steady;
        const sound::Lane other = cue ? sound::Lane::Steady : sound::Lane::Cue;
        QVERIFY(mixer.sounding(own) && mixer.sounding(other));
        const auto ownFrames = analyse(pull(mixer, 0.2, own));
        const auto otherFrames = analyse(pull(mixer, 0.2, other));
        QVERIFY(countWhere(ownFrames, lowSounds) >= 15);
        QCOMPARE(countWhere(ownFrames, highSounds), 0);
        QVERIFY(countWhere(otherFrames, highSounds) >= 15);
        QCOMPARE(countWhere(otherFrames, lowSounds), 0);
        // Pulling one lane moved only its voices on: both are 0.2 s in, heard together.
        QVERIFY(countWhere(analyse(pull(mixer, 0.1)), bothSound) >= 5);
    }

    // What the output is told, lane by lane: it wakes a resting stream on a start, and drops
    // what it holds of a lane when the lane's only sound changed, so that a cut-off music is
    // not heard for a moment after the results appear.
    void everyStartAndCutReachesItsLane_data() {
        QTest::addColumn<QStringList>("steps"); // player a or b: a sound, "stop", "gone"
        QTest::addColumn<QStringList>("told");  // by the last step
        QTest::newRow("a cue") << QStringList{"a cue"} << QStringList{"cue alone"};
        QTest::newRow("a cue over a cue")
            << QStringList{"a cue", "b cue"} << QStringList{"cue shared"};
        QTest::newRow("a cue over the music")
            << QStringList{"a long", "b cue"} << QStringList{"cue alone"};
        QTest::newRow("a cue replaced by a cue")
            << QStringList{"a cue", "a cue"} << QStringList{"cue alone"};
        QTest::newRow("the music replaced by a cue")
            << QStringList{"a long", "a cue"} << QStringList{"steady alone", "cue alone"};
        QTest::newRow("the music stopped")
            << QStringList{"a long", "a stop"} << QStringList{"steady alone"};
        QTest::newRow("one of two long sounds stopped")
            << QStringList{"a long", "b long", "a stop"} << QStringList{"steady shared"};
        QTest::newRow("the music's player gone")
            << QStringList{"a long", "a gone"} << QStringList{"steady alone"};
        QTest::newRow("a stop after the cue ended")
            << QStringList{"a cue", "wait", "a stop"} << QStringList{};
        // The output may still hold the tail of another player's sound that has just ended:
        // not dropped. A player's own tail is cut off by its next sound, which would
        // otherwise wait behind all the output holds.
        QTest::newRow("a cue 0.1 s after another ended")
            << QStringList{"a cue", "wait", "b cue"} << QStringList{"cue shared"};
        QTest::newRow("the same player's next cue 0.1 s after its last ended")
            << QStringList{"a cue", "wait", "a cue"} << QStringList{"cue alone"};
        QTest::newRow("the same player's next cue, another player's tail still held")
            << QStringList{"b cue", "a cue", "wait", "a cue"} << QStringList{"cue shared"};
        QTest::newRow("a cue 0.5 s after another ended")
            << QStringList{"a cue", "wait", "wait", "b cue"} << QStringList{"cue alone"};
        QTest::newRow("the music stopped 0.1 s after a cue ended")
            << QStringList{"a long", "b cue", "wait", "a stop"} << QStringList{"steady alone"};
        QTest::newRow("a stop on a silent player") << QStringList{"a stop"} << QStringList{};
    }
    void everyStartAndCutReachesItsLane() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, told);
        WatchedMixer mixer;
        std::unique_ptr<forms::WavePlayer> a = mixer.create();
        std::unique_ptr<forms::WavePlayer> b = mixer.create();
        for (qsizetype i = 0; i < steps.size(); ++i) {
            if (i == steps.size() - 1)
                mixer.told.clear();
            const QStringList step = steps[i].split(' ');
            if (step[0] == "wait") {
                pull(mixer, 0.4);
                continue;
            }
            auto& player = step[0] == "a" ? a : b;
            if (step[1] == "gone")
                player.reset();
            else
                player->play(step[1] == "stop" ? QString() : step[1] == "cue" ? lowTone : longTone);
        }
        QCOMPARE(mixer.told, told);
    }

    // Back from a time without a sound server: the sounds that fell due meanwhile are
    // dropped, not played late, and the music goes on from where it was.
    void whatFellDueWithoutAServerIsDroppedButTheMusicGoesOn() {
        WatchedMixer mixer;
        auto music = mixer.create();
        auto effects = mixer.create();
        auto calls = mixer.create();
        music->play(longTone);
        music->setPlayCount(0);
        const auto before = pull(mixer, 0.25);
        effects->play(highTone);
        calls->play(longHigh);
        calls->setPlayCount(2);
        mixer.serverBack();
        QVERIFY(mixer.sounding(sound::Lane::Steady) && !mixer.sounding(sound::Lane::Cue));
        const auto after = pull(mixer, 0.5);
        QCOMPARE(countWhere(analyse(after), highSounds), 0);
        QVERIFY(countWhere(analyse(after), lowSounds) >= 45);
        const auto reference = sound::decodeWave(fileBytes(longTone));
        for (std::size_t i = 0; i < after.size(); i += 101)
            QCOMPARE(after[i], reference.sound->frame(qsizetype(before.size() + i)));
    }

    void anEmptyNameOrTheEndOfThePlayerStopsIt_data() {
        QTest::addColumn<bool>("destroy");
        QTest::newRow("empty name") << false;
        QTest::newRow("player gone with its screen") << true;
    }
    void anEmptyNameOrTheEndOfThePlayerStopsIt() {
        QFETCH(bool, destroy);
        sound::SoundMixer mixer;
        auto player = mixer.create();
        auto other = mixer.create(); // stays; a player made after the first is gone reuses
        player->play(longTone);
        player->setPlayCount(0);
        auto samples = pull(mixer, 0.15);
        if (destroy)
            player.reset();
        else
            player->play(QString());
        QVERIFY(!mixer.sounding());
        append(samples, pull(mixer, 0.5));
        QCOMPARE(firstAudible(samples), 1); // sin 0 is silent
        QVERIFY2(lastAudible(samples) < int(0.15 * Rate),
                 qPrintable(QString::number(lastAudible(samples))));
        // A new player in the freed voice starts from silence.
        auto next = mixer.create();
        next->play(highTone);
        QVERIFY(countWhere(analyse(pull(mixer, 0.3)), highSounds) >= 25);
    }

    void playCountDecidesHowOftenTheFilePlays_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("plays"); // < 0: still sounding when the capture ends
        QTest::newRow("once") << 1 << 1;
        QTest::newRow("twice") << 2 << 2;
        QTest::newRow("three times") << 3 << 3;
        QTest::newRow("repeat") << 0 << -1;
    }
    void playCountDecidesHowOftenTheFilePlays() {
        QFETCH(int, count);
        QFETCH(int, plays);
        sound::SoundMixer mixer;
        auto player = mixer.create();
        player->play(lowTone);
        player->setPlayCount(count);
        const auto samples = pull(mixer, 2.0);
        const int toneFrames = int(0.3 * Rate);
        if (plays > 0) {
            QCOMPARE(lastAudible(samples) / toneFrames, plays - 1);
            QVERIFY(!mixer.sounding());
        } else {
            QVERIFY(samples.size() - std::size_t(lastAudible(samples)) < 10);
            QVERIFY(mixer.sounding());
        }
        // Each repeat follows the last without a gap or a jump: the same frames again.
        const int heard = plays > 0 ? plays : int(samples.size()) / toneFrames;
        for (int n = 1; n < heard; ++n)
            for (int i = 0; i < 100; ++i)
                QCOMPARE(samples[std::size_t(n * toneFrames + i)], samples[std::size_t(i)]);
        const auto frames = analyse(samples);
        QVERIFY2(countWhere(frames, lowSounds) >= heard * 27,
                 qPrintable(QString::number(countWhere(frames, lowSounds))));
    }

    // The forms of wave file the mixer plays: mono as the game's own sounds, stereo heard as
    // the mean of its sides, the extensible header, and chunks it does not know skipped.
    void waveFormsThatPlay_data() {
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("listChunk");
        QTest::newRow("mono") << 1 << 1 << false;
        QTest::newRow("stereo") << 2 << 1 << false;
        QTest::newRow("extensible") << 1 << 0xfffe << false;
        QTest::newRow("odd chunk before data") << 2 << 1 << true;
    }
    void waveFormsThatPlay() {
        QFETCH(int, channels);
        QFETCH(int, tag);
        QFETCH(bool, listChunk);
        WaveForm form;
        form.channels = channels;
        form.tag = quint16(tag);
        form.listChunk = listChunk;
        const auto decoded = sound::decodeWave(toneWave(440, 0.3, form));
        QVERIFY2(decoded.sound, qPrintable(decoded.error));
        QCOMPARE(decoded.sound->frames, qsizetype(0.3 * Rate));
        const auto reference = sound::decodeWave(fileBytes(lowTone));
        for (qsizetype i = 0; i < decoded.sound->frames; i += 97)
            QCOMPARE(decoded.sound->frame(i), reference.sound->frame(i));
    }

    void aFileInAFolderWithAJapaneseNamePlays() {
        // The data folder's sounds live in such folders: データ/音.
        QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("データ/音")));
        const QString path = dir.filePath(QStringLiteral("データ/音/o.wav"));
        QVERIFY(QFile::copy(lowTone, path));
        sound::SoundMixer mixer;
        auto player = mixer.create();
        QVERIFY(mixer.sound(path) != nullptr);
        player->play(path);
        QVERIFY(countWhere(analyse(pull(mixer, 0.5)), lowSounds) >= 25);
    }

    // A disk where every read of the music waits (a spun-down disk, a network home): the
    // wait falls on the board's loading, never on the mix. A cue played during the music is
    // mixed at once, and the music plays frame for frame as its file holds it.
    void aSlowDiskNeverDelaysASound() {
        WaveForm stereo;
        stereo.channels = 2;
        stereo.listChunk = true;
        const QByteArray bytes = toneWave(440, 7.0, stereo);
        const QString path = write(QStringLiteral("music.wav"), bytes);
        const auto held = sound::decodeWave(bytes);
        QVERIFY(held.sound);
        const SlowReads slow(path);
        QVERIFY(slow.armed());
        sound::SoundMixer mixer;
        auto music = mixer.create();
        auto effects = mixer.create();
        QElapsedTimer clock;
        clock.start();
        QVERIFY(mixer.sound(path)); // the board loads: the wait falls here
        QVERIFY2(clock.elapsed() >= SlowReads::Wait, "the reads of the music wait");
        music->play(path);
        music->setPlayCount(0);
        clock.restart();
        auto samples = pull(mixer, 0.5);
        effects->play(highTone);
        append(samples, pull(mixer, 0.3));
        // 80 mixes of 10 ms each; one read of the disk would take longer than all of them.
        QVERIFY2(clock.elapsed() < SlowReads::Wait / 2,
                 qPrintable(QString::number(clock.elapsed())));
        const auto frames = analyse(std::vector<qint16>(samples.begin() + Rate / 2, samples.end()));
        QVERIFY2(firstWhere(frames, highSounds) == 0, "the cue sounds from its first window");
        QVERIFY(countWhere(frames, bothSound) >= 25);
        // Without the cue, the music is the file's frames.
        for (qsizetype i = 0; i < Rate / 2; ++i)
            QCOMPARE(samples[std::size_t(i)], held.sound->frame(i));
    }

    // Whatever stands where a sound should be, the player plays nothing, the file is named
    // once on stderr however often it is played, the program never waits on it, and the
    // player still plays a good file afterwards.
    void aFileThatCannotPlayIsNamedOnceAndPlaysNothing_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "";
        QTest::newRow("folder") << "folder"
                                << "";
        QTest::newRow("pipe") << "pipe"
                              << "";
        QTest::newRow("link to /dev/urandom") << "urandom"
                                              << "";
        QTest::newRow("text") << "text"
                              << "not a wave file";
        QTest::newRow("8-bit") << "8bit"
                               << "not 16-bit PCM";
        QTest::newRow("22050 Hz") << "22050"
                                  << "22050 Hz";
        QTest::newRow("3 channels") << "3ch"
                                    << "3 channels";
        QTest::newRow("header only") << "empty"
                                     << "no samples";
        QTest::newRow("cut in its header") << "cut"
                                           << "damaged";
        // Lengths that wrap round in 32-bit arithmetic: back onto the same chunk for ever,
        // or before the file's start.
        QTest::newRow("a chunk of 0xfffffff8 bytes") << "chunk fffffff8"
                                                     << "damaged";
        QTest::newRow("a chunk of 0x80000000 bytes") << "chunk 80000000"
                                                     << "damaged";
    }
    void aFileThatCannotPlayIsNamedOnceAndPlaysNothing() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        const QString path = dir.filePath(QStringLiteral("bad-%1.wav").arg(kind));
        WaveForm form;
        if (kind == QLatin1String("folder")) {
            QVERIFY(QDir(dir.path()).mkdir(QFileInfo(path).fileName()));
        } else if (kind == QLatin1String("pipe")) {
            QCOMPARE(::mkfifo(path.toLocal8Bit().constData(), 0600), 0);
        } else if (kind == QLatin1String("urandom")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/urandom"), path));
        } else if (kind == QLatin1String("text")) {
            QVERIFY(writeBytes(path, "RIFF, but not a sound at all"));
        } else if (kind == QLatin1String("8bit")) {
            form.bits = 8;
            QVERIFY(writeBytes(path, toneWave(440, 0.1, form)));
        } else if (kind == QLatin1String("22050")) {
            form.rate = 22050;
            QVERIFY(writeBytes(path, toneWave(440, 0.1, form)));
        } else if (kind == QLatin1String("3ch")) {
            form.channels = 3;
            QVERIFY(writeBytes(path, toneWave(440, 0.1, form)));
        } else if (kind == QLatin1String("empty")) {
            QVERIFY(writeBytes(path, toneWave(440, 0, form)));
        } else if (kind == QLatin1String("cut")) {
            QVERIFY(writeBytes(path, toneWave(440, 0.1, form).left(30)));
        } else if (kind.startsWith(QLatin1String("chunk "))) {
            // A chunk said to run past the end, before a good format and data.
            QByteArray bytes = toneWave(440, 0.1, form);
            QByteArray chunk("JUNK\0\0\0\0\0\0\0\0\0\0\0\0", 16);
            qToLittleEndian(kind.mid(6).toUInt(nullptr, 16), chunk.data() + 4);
            QVERIFY(writeBytes(path, bytes.insert(12, chunk)));
        }
        sound::SoundMixer mixer;
        auto player = mixer.create();
        std::vector<qint16> samples;
        const auto lines = stderrLines(dir.filePath(QStringLiteral("stderr.txt")), [&] {
            QVERIFY(mixer.sound(path) == nullptr);
            player->play(path);
            player->setPlayCount(0);
            QVERIFY(!mixer.sounding());
            samples = pull(mixer, 0.2);
            player->play(path);
            player->preload(path);
        });
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines.first().contains(path.toLocal8Bit()), lines.first().constData());
        if (!reason.isEmpty())
            QVERIFY2(lines.first().contains(reason.toUtf8()), lines.first().constData());
        QCOMPARE(lastAudible(samples), -1);
        player->play(lowTone);
        QVERIFY(countWhere(analyse(pull(mixer, 0.3)), lowSounds) >= 25);
    }

    // The cue stream's latency on a busy machine: 10 ms, doubled by each underrun up to
    // 80 ms, halved after 20 s of sound without one, never below 10 ms. Steps: "u" an
    // underrun, "pN" N seconds played; the latency in ms after the last step.
    void theCueLatencyClimbsOnUnderrunsAndStepsBackWhenCalm_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("latency");
        QTest::addColumn<int>("changes");
        const auto row = [](const char* name, const char* steps, int latency, int changes) {
            QTest::newRow(name) << QString::fromLatin1(steps).split(' ', Qt::SkipEmptyParts)
                                << latency << changes;
        };
        row("quiet", "", 10, 0);
        row("calm at the shortest stays", "p100", 10, 0);
        row("one underrun", "u", 20, 1);
        row("three reach the longest", "u u u", 80, 3);
        row("a fourth goes no higher", "u u u u", 80, 3);
        row("just short of calm", "u p19.999", 20, 1);
        row("calm steps down", "u p20", 10, 2);
        row("calm adds up", "u p10 p10", 10, 2);
        row("one step at a time", "u u p20", 20, 3);
        row("two calms, two steps", "u u p20 p20", 10, 4);
        row("an underrun starts calm again", "u p15 u p15", 40, 2);
        row("then calm steps down", "u p15 u p15 p5", 20, 3);
    }
    void theCueLatencyClimbsOnUnderrunsAndStepsBackWhenCalm() {
        QFETCH(QStringList, steps);
        QFETCH(int, latency);
        QFETCH(int, changes);
        using namespace std::chrono;
        sound::LatencyLadder ladder(milliseconds(10), milliseconds(80), seconds(20));
        int changed = 0;
        for (const QString& step : steps)
            changed += step == QLatin1String("u") ? ladder.underrun()
                                                  : ladder.played(duration_cast<microseconds>(
                                                        duration<double>(step.mid(1).toDouble())));
        QCOMPARE(ladder.latency(), milliseconds(latency));
        QCOMPARE(changed, changes);
    }
};

QTEST_MAIN(SoundMixerTest)
#include "tst_sound_mixer.moc"
