#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

// The settings record: four levels from 1 to 5, always read, written and listed in this
// order. Shared by the game screen and the settings screen.
extern std::int16_t TimeLevel;  // round length: TimeLevel × 30 seconds
extern std::int16_t SpeedLevel; // mole pace
extern std::int16_t SizeLevel;  // hit-target size (higher is smaller)
extern std::int16_t CountLevel; // how many holes one scheduling tick may set going

namespace forms {
class Reporter;
}

namespace settings {

inline constexpr std::int16_t MinLevel = 1;
inline constexpr std::int16_t MaxLevel = 5;
inline constexpr std::int16_t FallbackLevel = 3;

struct Levels {
    std::int16_t time = FallbackLevel;
    std::int16_t speed = FallbackLevel;
    std::int16_t size = FallbackLevel;
    std::int16_t count = FallbackLevel;
    friend bool operator==(const Levels&, const Levels&) = default;
};

struct ReadResult {
    Levels levels;
    QStringList problems; // empty when the file was read as it stands
};

// Reads four whole numbers separated by commas or line breaks (blanks before a number are
// ignored). A value that is missing or not a number becomes 3; one outside 1 to 5 is
// clamped into range. Only a regular file of a few KiB at most is read: anything else at
// the path (a pipe, a device, a huge file) gives all 3s and says why, as a missing file does.
ReadResult readFile(const QString& path);
ReadResult parse(const QByteArray& content);

// The one-line form: "t,s,z,c" and CR LF.
QByteArray format(const Levels& levels);
// Replaces the file in one step, so a failed write leaves the old file as it was.
// Returns an empty string on success, otherwise why nothing was saved.
QString writeFile(const QString& path, const Levels& levels);

Levels current();
void setCurrent(const Levels& levels);

// The player-facing account of a file read with problems: names the file and each problem.
QString describeProblems(const QString& path, const QStringList& problems);

// Reads the file at path into the record; tells the player if anything had to be mended.
void readIntoRecord(const QString& path, forms::Reporter& reporter);

} // namespace settings
