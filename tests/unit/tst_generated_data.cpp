// Checks the generated sounds and rating figures in the data folder: that
// the game's own decoder plays them whole, that they are loud enough without
// clipping, start at once without clicks, that the tune loops cleanly, and
// that the generators give the same bytes on every build.
#include "sound/SoundMixer.h"
#include "support/Files.h"

#include <QFile>
#include <QImage>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace {

const QString kDataDir = QString::fromUtf8(POKO_DATA_DIR);
const QString kSoundDir = kDataDir + QStringLiteral("/音");
const QString kPictureDir = kDataDir + QStringLiteral("/絵");
constexpr int kFullScale = 32768;
constexpr int kOnePercent = kFullScale / 100;

struct Wav {
    int format = 0;
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<std::int16_t> samples;
    double seconds() const { return static_cast<double>(samples.size()) / rate; }
};

std::uint32_t le(const QByteArray& b, qsizetype at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(b[at + i]);
    return v;
}

// Walks the RIFF chunks instead of assuming a fixed 44-byte header, and
// rejects sizes that do not agree with the file.
std::optional<Wav> parseWav(const QByteArray& b, QString* why) {
    auto fail = [why](const char* reason) {
        *why = QString::fromLatin1(reason);
        return std::nullopt;
    };
    if (b.size() < 12 || !b.startsWith("RIFF") || b.mid(8, 4) != "WAVE")
        return fail("not a RIFF/WAVE file");
    if (le(b, 4, 4) != static_cast<std::uint32_t>(b.size() - 8))
        return fail("RIFF size does not match the file size");
    Wav wav;
    bool haveFormat = false;
    for (qsizetype at = 12; at + 8 <= b.size();) {
        const QByteArray id = b.mid(at, 4);
        const qsizetype size = le(b, at + 4, 4);
        const qsizetype body = at + 8;
        if (body + size > b.size())
            return fail("a chunk runs past the end of the file");
        if (id == "fmt ") {
            if (size < 16)
                return fail("format chunk too short");
            wav.format = static_cast<int>(le(b, body, 2));
            wav.channels = static_cast<int>(le(b, body + 2, 2));
            wav.rate = static_cast<int>(le(b, body + 4, 4));
            const auto byteRate = static_cast<int>(le(b, body + 8, 4));
            const auto blockAlign = static_cast<int>(le(b, body + 12, 2));
            wav.bits = static_cast<int>(le(b, body + 14, 2));
            if (blockAlign != wav.channels * wav.bits / 8 || byteRate != wav.rate * blockAlign)
                return fail("byte rate or block align disagree with the format");
            haveFormat = true;
        } else if (id == "data") {
            if (!haveFormat)
                return fail("data before format");
            if (size % 2 != 0)
                return fail("odd data size for 16-bit samples");
            for (qsizetype i = 0; i < size; i += 2)
                wav.samples.push_back(static_cast<std::int16_t>(le(b, body + i, 2)));
            return wav;
        }
        at = body + size + (size & 1);
    }
    return fail("no data chunk");
}

Wav loadSound(const QString& name) {
    QFile file(kSoundDir + QLatin1Char('/') + name + QStringLiteral(".wav"));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot open %s", qPrintable(file.fileName()));
    QString why;
    const auto wav = parseWav(file.readAll(), &why);
    if (!wav)
        qFatal("%s: %s", qPrintable(file.fileName()), qPrintable(why));
    return *wav;
}

int peakOf(const std::vector<std::int16_t>& s) {
    int peak = 0;
    for (std::int16_t v : s)
        peak = std::max(peak, std::abs(int(v)));
    return peak;
}

double rms(const std::vector<std::int16_t>& s, std::size_t from, std::size_t count) {
    double sum = 0.0;
    for (std::size_t i = from; i < from + count; ++i)
        sum += double(s[i]) * s[i];
    return std::sqrt(sum / double(count));
}

// Separate bursts of sound, as the ear would count beeps: the level must
// drop well down for a while between two of them.
int countBursts(const std::vector<std::int16_t>& s, int rate) {
    const int high = peakOf(s) / 4;
    const int low = peakOf(s) / 20;
    const int window = rate / 1000; // 1 ms
    const int quietNeeded = 15;     // ms
    int bursts = 0, quiet = 0;
    bool armed = true;
    for (std::size_t start = 0; start + window <= s.size(); start += window) {
        int level = 0;
        for (int i = 0; i < window; ++i)
            level = std::max(level, std::abs(int(s[start + i])));
        if (level > high && armed) {
            ++bursts;
            armed = false;
        }
        quiet = level < low ? quiet + 1 : 0;
        if (quiet >= quietNeeded)
            armed = true;
    }
    return bursts;
}

// Rough pitch of the loudest stretch from its zero crossings.
double pitchOfFirstBurst(const Wav& w) {
    const int high = peakOf(w.samples) / 4;
    std::size_t start = 0;
    while (start < w.samples.size() && std::abs(int(w.samples[start])) < high)
        ++start;
    const std::size_t span = std::size_t(w.rate) * 40 / 1000; // 40 ms
    int crossings = 0;
    for (std::size_t i = start + 1; i < start + span && i < w.samples.size(); ++i)
        if ((w.samples[i - 1] < 0) != (w.samples[i] < 0))
            ++crossings;
    return crossings / 2.0 / 0.040;
}

const char* const kSounds[] = {"o",      "x",    "pipi",   "pipipi", "bgm",
                               "karasu", "dame", "kakasi", "jizou",  "owari"};

struct Figure {
    const char* drawing; // SVG source in tools/gifgen/figures
    const char* picture; // file the game loads
};
const Figure kFigures[] = {{"karasu", "からす"}, {"kakasi", "案山子"}, {"jizou", "地蔵"}};

} // namespace

class GeneratedDataTest : public QObject {
    Q_OBJECT

private slots:
    void soundIsWellFormed_data();
    void soundIsWellFormed();
    void soundStartsAtOnceAndNeverClicks_data() { soundIsWellFormed_data(); }
    void soundStartsAtOnceAndNeverClicks();
    void countdownBeeps_data();
    void countdownBeeps();
    void finalCountdownIsHigher();
    void backgroundTuneLoopsSeamlessly();
    void figureIsReadableGif_data();
    void figureIsReadableGif();
    void generatorsAreRepeatable();
};

void GeneratedDataTest::soundIsWellFormed_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("minSeconds");
    QTest::addColumn<double>("maxSeconds");
    QTest::newRow("o: hit") << "o" << 0.05 << 0.35;
    QTest::newRow("x: miss") << "x" << 0.05 << 0.35;
    QTest::newRow("pipi") << "pipi" << 0.1 << 0.999;
    QTest::newRow("pipipi") << "pipipi" << 0.1 << 0.999;
    QTest::newRow("bgm") << "bgm" << 15.0 << 40.0;
    QTest::newRow("karasu") << "karasu" << 0.3 << 2.5;
    QTest::newRow("dame") << "dame" << 0.3 << 2.5;
    QTest::newRow("kakasi") << "kakasi" << 0.3 << 2.5;
    QTest::newRow("jizou") << "jizou" << 0.3 << 2.5;
    // The window closes about a second after the jingle starts.
    QTest::newRow("owari") << "owari" << 0.7 << 1.3;
}

void GeneratedDataTest::soundIsWellFormed() {
    QFETCH(QString, name);
    QFETCH(double, minSeconds);
    QFETCH(double, maxSeconds);
    const Wav w = loadSound(name);
    QCOMPARE(w.format, 1);
    QCOMPARE(w.channels, 1);
    QCOMPARE(w.bits, 16);
    QVERIFY2(w.rate == 22050 || w.rate == 44100, qPrintable(QString::number(w.rate)));
    QVERIFY2(w.seconds() >= minSeconds && w.seconds() <= maxSeconds,
             qPrintable(QStringLiteral("%1 s").arg(w.seconds())));

    const int peak = peakOf(w.samples);
    const double peakDb = 20.0 * std::log10(double(peak) / kFullScale);
    QVERIFY2(peakDb >= -6.0 && peakDb <= -1.0, qPrintable(QStringLiteral("%1 dBFS").arg(peakDb)));
    const bool clipped = std::any_of(w.samples.begin(), w.samples.end(),
                                     [](std::int16_t v) { return std::abs(int(v)) >= 32767; });
    QVERIFY2(!clipped, "a sample sits at full scale");

    // The player plays every frame of it, as it is, at its own rate.
    const auto played =
        sound::decodeWave(fileBytes(kSoundDir + QLatin1Char('/') + name + QStringLiteral(".wav")));
    QVERIFY2(played.sound, qPrintable(played.error));
    QCOMPARE(played.sound->frames, qsizetype(w.samples.size()));
    for (qsizetype i = 0; i < played.sound->frames; i += 1009)
        QCOMPARE(played.sound->frame(i), w.samples[std::size_t(i)]);
}

void GeneratedDataTest::soundStartsAtOnceAndNeverClicks() {
    QFETCH(QString, name);
    const Wav w = loadSound(name);
    const auto& s = w.samples;
    const auto onset = std::find_if(s.begin(), s.end(),
                                    [](std::int16_t v) { return std::abs(int(v)) > kOnePercent; });
    QVERIFY(onset != s.end());
    const double onsetMs = 1000.0 * double(onset - s.begin()) / w.rate;
    QVERIFY2(onsetMs <= 5.0, qPrintable(QStringLiteral("silent for %1 ms").arg(onsetMs)));
    if (name == QLatin1String("bgm"))
        return; // the loop's seam is checked on its own
    for (int i = 0; i < 3; ++i) {
        QVERIFY2(std::abs(int(s[i])) <= kOnePercent, "starts with a jump: no fade in");
        QVERIFY2(std::abs(int(s[s.size() - 1 - i])) <= kOnePercent, "stops dead: no fade out");
    }
}

void GeneratedDataTest::countdownBeeps_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("beeps");
    QTest::newRow("3 and 2") << "pipi" << 2;
    QTest::newRow("1") << "pipipi" << 3;
}

void GeneratedDataTest::countdownBeeps() {
    QFETCH(QString, name);
    QFETCH(int, beeps);
    const Wav w = loadSound(name);
    QCOMPARE(countBursts(w.samples, w.rate), beeps);
}

void GeneratedDataTest::finalCountdownIsHigher() {
    const double low = pitchOfFirstBurst(loadSound(QStringLiteral("pipi")));
    const double high = pitchOfFirstBurst(loadSound(QStringLiteral("pipipi")));
    QVERIFY2(high > low * 1.1, qPrintable(QStringLiteral("%1 Hz vs %2 Hz").arg(high).arg(low)));
}

void GeneratedDataTest::backgroundTuneLoopsSeamlessly() {
    const Wav w = loadSound(QStringLiteral("bgm"));
    const auto& s = w.samples;
    int largestStep = 0;
    for (std::size_t i = 1; i < s.size(); ++i)
        largestStep = std::max(largestStep, std::abs(int(s[i]) - int(s[i - 1])));
    const int seam = std::abs(int(s.back()) - int(s.front()));
    QVERIFY2(seam <= largestStep, qPrintable(QStringLiteral("seam jumps by %1").arg(seam)));

    // A fade at either end would be heard as a dip every time the tune repeats.
    const std::size_t edge = std::size_t(w.rate) / 20; // 50 ms
    const double whole = rms(s, 0, s.size());
    QVERIFY2(rms(s, 0, edge) > 0.2 * whole, "the tune fades in");
    QVERIFY2(rms(s, s.size() - edge, edge) > 0.2 * whole, "the tune fades out");
}

void GeneratedDataTest::figureIsReadableGif_data() {
    QTest::addColumn<QString>("picture");
    for (const Figure& f : kFigures)
        QTest::newRow(f.drawing) << QString::fromUtf8(f.picture);
}

void GeneratedDataTest::figureIsReadableGif() {
    QFETCH(QString, picture);
    const QByteArray bytes = fileBytes(kPictureDir + QLatin1Char('/') + picture + ".gif");
    QVERIFY2(bytes.startsWith("GIF89a"), "not a GIF89a file");
    QImage image;
    QVERIFY(image.loadFromData(bytes, "GIF"));
    QVERIFY(image.width() > 0 && image.height() > 0);
    QVERIFY2(image.width() <= 237 && image.height() <= 168, "does not fit the rating box");

    // The ground is the rating box's colour (or see-through), so the figure
    // blends into the box.
    for (const QPoint corner : {QPoint(0, 0), QPoint(image.width() - 1, 0)}) {
        const QRgb c = image.pixel(corner);
        QVERIFY2(qAlpha(c) == 0 || (c & 0xffffffu) == 0xc0c0ffu,
                 qPrintable(QStringLiteral("ground is #%1").arg(c & 0xffffffu, 6, 16)));
    }
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() >= 16, "looks blank");
}

void GeneratedDataTest::generatorsAreRepeatable() {
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const auto run = [&env](const QString& program, const QStringList& args) {
        return runsCleanly(program, args, std::chrono::minutes(2), env);
    };

    QVERIFY(run(QString::fromUtf8(POKO_WAVGEN), {dir.path()}));
    for (const char* name : kSounds) {
        const QString file = QString::fromLatin1(name) + ".wav";
        const QByteArray fresh = fileBytes(dir.filePath(file));
        QVERIFY2(!fresh.isEmpty(), name);
        QVERIFY2(fresh == fileBytes(kSoundDir + QLatin1Char('/') + file), name);
    }

    QStringList args;
    for (const Figure& f : kFigures)
        args << QString::fromUtf8(POKO_SOURCE_DIR "/tools/gifgen/figures/") + f.drawing + ".svg"
             << dir.filePath(QString::fromUtf8(f.picture) + ".gif");
    QVERIFY(run(QString::fromUtf8(POKO_GIFGEN), args));
    for (const Figure& f : kFigures) {
        const QString file = QString::fromUtf8(f.picture) + ".gif";
        const QByteArray fresh = fileBytes(dir.filePath(file));
        QVERIFY2(!fresh.isEmpty(), f.drawing);
        QVERIFY2(fresh == fileBytes(kPictureDir + QLatin1Char('/') + file), f.drawing);
    }
}

QTEST_MAIN(GeneratedDataTest)
#include "tst_generated_data.moc"
