#include "support/Files.h"

#include <QFile>
#include <QProcess>

#include <algorithm>
#include <utility>

#include <linux/capability.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// The effective capabilities of the calling thread (the first 32 suffice here).
constexpr unsigned PermissionOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

bool changeEffective(unsigned drop, unsigned raise) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective = (data[0].effective & ~drop) | (raise & data[0].permitted);
    return syscall(SYS_capset, &header, data) == 0;
}

unsigned effectiveOverrides() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2]{};
    return syscall(SYS_capget, &header, data) == 0 ? data[0].effective & PermissionOverrides : 0;
}

} // namespace

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

bool runsCleanly(const QString& program, const QStringList& arguments,
                 std::chrono::milliseconds timeout, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    return process.waitForFinished(static_cast<int>(timeout.count())) &&
           process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

bool makeSocketFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= static_cast<qsizetype>(sizeof address.sun_path))
        return false;
    std::copy(name.begin(), name.end(), address.sun_path);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    if (fd >= 0)
        ::close(fd); // the file stays, with no one behind it
    return bound;
}

ReadOnlyFolder::ReadOnlyFolder(QString path)
    : path_(std::move(path)), old_(QFile::permissions(path_)),
      changed_(QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner)) {
    rootOverrides_ = effectiveOverrides();
    if (rootOverrides_ && !changeEffective(rootOverrides_, 0))
        rootOverrides_ = 0;
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (rootOverrides_)
        changeEffective(0, rootOverrides_);
    QFile::setPermissions(path_, old_);
}

bool ReadOnlyFolder::refusesWrites() const {
    QFile probe(path_ + QStringLiteral("/probe"));
    if (!probe.open(QIODevice::WriteOnly))
        return true;
    probe.close();
    probe.remove();
    return false;
}
