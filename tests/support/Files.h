#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <chrono>

// The whole file, or nothing when it cannot be read.
QByteArray fileBytes(const QString& path);
// Replaces the file with `bytes`; false unless every byte was written.
[[nodiscard]] bool writeBytes(const QString& path, const QByteArray& bytes);

// Runs a program to its end: true only when it exits normally with status 0 within the timeout.
bool runsCleanly(const QString& program, const QStringList& arguments,
                 std::chrono::milliseconds timeout,
                 const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment());

// A named pipe, or a socket file such as a server leaves behind, at the path.
[[nodiscard]] bool makeFifo(const QString& path);
[[nodiscard]] bool makeSocketFile(const QString& path);

// Takes a folder's write permission away while it lives and gives the old permissions back
// afterwards, however the test ends. Root is held to permissions too while it lives: the
// calling thread lays down the capabilities that let root pass them. refusesWrites() tells
// whether that worked.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(QString path);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool permissionsChanged() const { return changed_; }
    // Whether a new file really cannot be made in the folder.
    bool refusesWrites() const;

private:
    QString path_;
    QFileDevice::Permissions old_;
    bool changed_;
    unsigned rootOverrides_ = 0; // the capabilities laid down, given back at the end
};
