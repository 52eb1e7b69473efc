// Fuzz target for the settings reader: settings::parse on the bytes as given, and
// settings::readFile on the same bytes written to a file. Checks what must hold for any
// input, and aborts (so the fuzzer keeps the input) when something does not.
//
// Built with -fsanitize=fuzzer it is a libFuzzer target (scripts/fuzz.sh). Built without,
// a small main replays the files named on the command line (or every file of the folders
// named), so the seed corpus runs as an ordinary test in every build.
#include "Replay.h"
#include "data/DataFile.h"
#include "forms/Reporter.h"
#include "settings/Settings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void fail(const char* what, const QByteArray& input) {
    std::fprintf(stderr, "settings_fuzz: invariant broken: %s\ninput (%lld bytes, hex): %s\n", what,
                 static_cast<long long>(input.size()), input.left(256).toHex().constData());
    std::abort();
}

void check(bool holds, const char* what, const QByteArray& input) {
    if (!holds)
        fail(what, input);
}

bool inRange(const settings::Levels& levels) {
    for (std::int16_t level : {levels.time, levels.speed, levels.size, levels.count})
        if (level < settings::MinLevel || level > settings::MaxLevel)
            return false;
    return true;
}

// Remembers what the game would have told the player.
class RecordingReporter final : public forms::Reporter {
public:
    void problem(const QString& message) override {
        ++count;
        last = message;
    }
    int count = 0;
    QString last;
};

const QString& scratchPath() {
    static QTemporaryDir dir;
    static const QString path = dir.path() + QStringLiteral("/設定.dat");
    return path;
}

void writeBytes(const QString& path, const QByteArray& bytes, const QByteArray& input) {
    QFile file(path);
    check(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "scratch file opens", input);
    check(file.write(bytes) == bytes.size(), "scratch file written", input);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    // Whatever the bytes, four levels in range come out.
    const settings::ReadResult parsed = settings::parse(input);
    check(inRange(parsed.levels), "parse gives levels in 1..5", input);
    check(parsed.problems.size() <= 4, "at most one problem per value", input);

    // What the game would save reads back as the same levels, without a problem.
    const QByteArray saved = settings::format(parsed.levels);
    check(saved.size() == 9 && saved.endsWith("\r\n"), "format gives one 9-byte line", input);
    const settings::ReadResult reread = settings::parse(saved);
    check(reread.levels == parsed.levels, "format(parse(x)) parses to the same levels", input);
    check(reread.problems.isEmpty(), "format(parse(x)) parses without problems", input);

    // A file in the canonical form, made from the first bytes, reads as exactly those levels.
    if (size >= 4) {
        const settings::Levels wanted{
            static_cast<std::int16_t>(1 + data[0] % 5), static_cast<std::int16_t>(1 + data[1] % 5),
            static_cast<std::int16_t>(1 + data[2] % 5), static_cast<std::int16_t>(1 + data[3] % 5)};
        const QByteArray canonical =
            QByteArray::number(wanted.time) + ',' + QByteArray::number(wanted.speed) + ',' +
            QByteArray::number(wanted.size) + ',' + QByteArray::number(wanted.count) + "\r\n";
        const settings::ReadResult exact = settings::parse(canonical);
        check(exact.levels == wanted && exact.problems.isEmpty(),
              "canonical a,b,c,d CR LF parses to exactly a..d", input);
        check(settings::format(wanted) == canonical, "format writes the canonical form", input);
    }

    // The same bytes in a file read as parse reads them, up to the settings file's bound;
    // past it the file is refused whole: all 3s and one problem.
    const QString& path = scratchPath();
    writeBytes(path, input, input);
    const settings::ReadResult fromFile = settings::readFile(path);
    if (input.size() <= data::SettingsFileLimit) {
        const settings::ReadResult expected = settings::parse(input);
        check(fromFile.levels == expected.levels, "readFile agrees with parse", input);
        check(fromFile.problems == expected.problems, "readFile reports what parse reports", input);
    } else {
        check(fromFile.levels == settings::Levels{} && fromFile.problems.size() == 1,
              "a file past the bound gives all 3s and one problem", input);
    }

    // Read into the game's record: the record holds the levels, and the player hears of a
    // problem exactly when there is one, with the file named.
    RecordingReporter reporter;
    settings::readIntoRecord(path, reporter);
    check(settings::current() == fromFile.levels, "the record holds the levels read", input);
    check(reporter.count == (fromFile.problems.isEmpty() ? 0 : 1),
          "one report when there are problems, none otherwise", input);
    if (reporter.count == 1)
        check(reporter.last.contains(QDir::toNativeSeparators(path)), "the report names the file",
              input);

    // Saving replaces the file whole (one input in 64 or so: saving syncs to disk, slowly).
    if (size > 0 && data[0] == 'W') {
        check(settings::writeFile(path, parsed.levels).isEmpty(), "saving succeeds", input);
        const settings::ReadResult afterSave = settings::readFile(path);
        check(afterSave.levels == parsed.levels && afterSave.problems.isEmpty(),
              "a saved file reads back the same", input);
    }
    return 0;
}

#ifndef POKO_LIBFUZZER
int main(int argc, char** argv) {
    return replayCorpus("settings_fuzz", argc, argv);
}
#endif
