#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace data {

// How much of each kind of data file is read at most. The delivered files are far smaller
// (the settings 9 bytes, the longest sound, the music, under 2.5 MiB, a figure a few KiB);
// the bounds only keep a wrong file from filling memory.
inline constexpr qint64 SettingsFileLimit = 4 * 1024;
inline constexpr qint64 SoundFileLimit = 32 * 1024 * 1024;
inline constexpr qint64 PictureFileLimit = 8 * 1024 * 1024;

// Why a data file could not be read; Read means it was.
enum class DataFileError {
    Read,
    Missing,    // nothing at the path, or a link that leads nowhere
    Folder,     // a folder stands where the file should be
    NotRegular, // a pipe, a socket or a device: reading it could block or never end
    TooLarge,   // larger than its kind's bound
    Unreadable, // the system refused to open or read it (see detail)
};

struct DataFile {
    DataFileError error = DataFileError::Read;
    QByteArray bytes; // the whole file when read
    QString detail;   // the system's words for an Unreadable file
    bool ok() const { return error == DataFileError::Read; }
};

// Reads a whole data file into memory without ever blocking: links are followed, and
// only a regular file of at most `limit` bytes is read. Everything else is refused with
// the reason, the way a missing file is.
DataFile readDataFile(const QString& path, qint64 limit);

// A data file opened as readDataFile opens it (the same checks, the same refusals), to be
// read whole.
class OpenDataFile {
public:
    OpenDataFile() = default;
    OpenDataFile(OpenDataFile&& other) noexcept;
    OpenDataFile& operator=(OpenDataFile&& other) noexcept;
    OpenDataFile(const OpenDataFile&) = delete;
    OpenDataFile& operator=(const OpenDataFile&) = delete;
    ~OpenDataFile();

    DataFileError error = DataFileError::Read;
    QString detail;  // the system's words for an Unreadable file
    qint64 size = 0; // when opened
    bool ok() const { return error == DataFileError::Read; }

    // The whole file, up to one byte past `limit` in case it grew since it was opened.
    DataFile readAll(qint64 limit) const;

private:
    friend OpenDataFile openDataFile(const QString& path, qint64 limit);
    ssize_t readSome(qint64 offset, char* to, qint64 length) const;
    int fd_ = -1;
};

OpenDataFile openDataFile(const QString& path, qint64 limit);

// The reason in a few words, for a line on stderr: "no such file", "a pipe, socket or
// device, not a file" …
QString describe(const DataFile& file);

} // namespace data
