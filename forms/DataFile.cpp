#include "forms/DataFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace forms {

namespace {

DataFile refused(DataFileError error, QString detail = {}) {
    return {error, {}, std::move(detail)};
}

DataFile refusedBy(int code) {
    if (code == ENOENT || code == ENOTDIR || code == ELOOP)
        return refused(DataFileError::Missing);
    // A socket cannot be opened at all; it is a special file like any other.
    if (code == ENXIO || code == EOPNOTSUPP)
        return refused(DataFileError::NotRegular);
    return refused(DataFileError::Unreadable, QString::fromLocal8Bit(std::strerror(code)));
}

DataFile judge(const struct stat& info, qint64 limit) {
    if (S_ISDIR(info.st_mode))
        return refused(DataFileError::Folder);
    if (!S_ISREG(info.st_mode))
        return refused(DataFileError::NotRegular);
    if (info.st_size > limit)
        return refused(DataFileError::TooLarge);
    return {};
}

// Closes the descriptor however reading ends.
struct Descriptor {
    int fd;
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

DataFile readDataFile(const QString& path, qint64 limit) {
    const QByteArray name = QFile::encodeName(path);
    // Looked at before opening, so that a device is never opened at all.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return refusedBy(errno);
    if (DataFile verdict = judge(info, limit); !verdict.ok())
        return verdict;
    // O_NONBLOCK: should a pipe take the file's place between the look and the open, the
    // open still returns at once, and the second look refuses it.
    const Descriptor file{::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY)};
    if (file.fd < 0)
        return refusedBy(errno);
    if (::fstat(file.fd, &info) != 0)
        return refusedBy(errno);
    if (DataFile verdict = judge(info, limit); !verdict.ok())
        return verdict;

    // Read to one byte past the bound, in case the file grew since it was looked at.
    DataFile result;
    result.bytes.resize(static_cast<qsizetype>(info.st_size) + 1);
    qsizetype got = 0;
    while (got < result.bytes.size()) {
        const ssize_t n = ::read(file.fd, result.bytes.data() + got,
                                 static_cast<std::size_t>(result.bytes.size() - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return refusedBy(errno);
        if (n == 0)
            break;
        got += n;
        if (got == result.bytes.size() && got <= limit)
            result.bytes.resize(std::min<qsizetype>(got * 2, limit + 1));
    }
    if (got > limit)
        return refused(DataFileError::TooLarge);
    result.bytes.truncate(got);
    return result;
}

QString describe(const DataFile& file) {
    switch (file.error) {
    case DataFileError::Read:
        return QStringLiteral("read");
    case DataFileError::Missing:
        return QStringLiteral("no such file");
    case DataFileError::Folder:
        return QStringLiteral("a folder, not a file");
    case DataFileError::NotRegular:
        return QStringLiteral("a pipe, socket or device, not a file");
    case DataFileError::TooLarge:
        return QStringLiteral("larger than a data file can be");
    case DataFileError::Unreadable:
        return file.detail;
    }
    return {};
}

} // namespace forms
