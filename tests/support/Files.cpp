#include "support/Files.h"

#include <QFile>
#include <QProcess>

#include <utility>

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

ReadOnlyFolder::ReadOnlyFolder(QString path)
    : path_(std::move(path)), old_(QFile::permissions(path_)),
      changed_(QFile::setPermissions(path_, QFile::ReadOwner | QFile::ExeOwner)) {}

ReadOnlyFolder::~ReadOnlyFolder() {
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
