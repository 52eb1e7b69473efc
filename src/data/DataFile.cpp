#include "data/DataFile.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace data {

namespace {

DataFile refused(DataFileError error, QString detail = {}) {
    return {error, {}, std::move(detail)};
}

DataFileError errorOf(int code) {
    if (code == ENOENT || code == ENOTDIR || code == ELOOP)
        return DataFileError::Missing;
    // A socket cannot be opened at all; it is a special file like any other.
    if (code == ENXIO || code == EOPNOTSUPP)
        return DataFileError::NotRegular;
    return DataFileError::Unreadable;
}

DataFileError judge(const struct stat& info, qint64 limit) {
    if (S_ISDIR(info.st_mode))
        return DataFileError::Folder;
    if (!S_ISREG(info.st_mode))
        return DataFileError::NotRegular;
    if (info.st_size > limit)
        return DataFileError::TooLarge;
    return DataFileError::Read;
}

} // namespace

OpenDataFile::OpenDataFile(OpenDataFile&& other) noexcept
    : error(other.error), detail(std::move(other.detail)), size(other.size),
      fd_(std::exchange(other.fd_, -1)) {}

OpenDataFile& OpenDataFile::operator=(OpenDataFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        error = other.error;
        detail = std::move(other.detail);
        size = other.size;
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

OpenDataFile::~OpenDataFile() {
    if (fd_ >= 0)
        ::close(fd_);
}

OpenDataFile openDataFile(const QString& path, qint64 limit) {
    OpenDataFile file;
    const auto refuse = [&file](DataFileError error, int code = 0) {
        file.error = error;
        if (error == DataFileError::Unreadable)
            file.detail = QString::fromLocal8Bit(std::strerror(code));
        return std::move(file);
    };
    const QByteArray name = QFile::encodeName(path);
    // Looked at before opening, so that a device is never opened at all.
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return refuse(errorOf(errno), errno);
    if (const DataFileError verdict = judge(info, limit); verdict != DataFileError::Read)
        return refuse(verdict);
    // O_NONBLOCK: should a pipe take the file's place between the look and the open, the
    // open still returns at once, and the second look refuses it.
    file.fd_ = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file.fd_ < 0)
        return refuse(errorOf(errno), errno);
    if (::fstat(file.fd_, &info) != 0)
        return refuse(errorOf(errno), errno);
    if (const DataFileError verdict = judge(info, limit); verdict != DataFileError::Read)
        return refuse(verdict);
    // A regular file now: its reads should wait for the disk as any read does. On FUSE and
    // network filesystems a non-blocking one may fail with EAGAIN instead, which would read
    // as a damaged or missing file.
    if (const int flags = ::fcntl(file.fd_, F_GETFL);
        flags < 0 || ::fcntl(file.fd_, F_SETFL, flags & ~O_NONBLOCK) < 0)
        return refuse(DataFileError::Unreadable, errno);
    file.size = info.st_size;
    return file;
}

// One pread, retried when a signal cut it short; errno tells why it failed.
ssize_t OpenDataFile::readSome(qint64 offset, char* to, qint64 length) const {
    ssize_t n;
    do
        n = ::pread(fd_, to, static_cast<std::size_t>(length), static_cast<off_t>(offset));
    while (n < 0 && errno == EINTR);
    return n;
}

DataFile OpenDataFile::readAll(qint64 limit) const {
    if (!ok())
        return refused(error, detail);
    DataFile result;
    result.bytes.resize(static_cast<qsizetype>(size) + 1);
    qsizetype got = 0;
    while (got < result.bytes.size()) {
        const ssize_t n = readSome(got, result.bytes.data() + got, result.bytes.size() - got);
        if (n < 0)
            return refused(errorOf(errno), QString::fromLocal8Bit(std::strerror(errno)));
        if (n == 0)
            break;
        got += n;
        // Read to one byte past the bound, in case the file grew since it was looked at.
        if (got == result.bytes.size() && got <= limit)
            result.bytes.resize(std::min<qsizetype>(got * 2, limit + 1));
    }
    if (got > limit)
        return refused(DataFileError::TooLarge);
    result.bytes.truncate(got);
    return result;
}

DataFile readDataFile(const QString& path, qint64 limit) {
    return openDataFile(path, limit).readAll(limit);
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

} // namespace data
