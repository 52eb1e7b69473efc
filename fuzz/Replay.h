#pragma once
// Without libFuzzer, a fuzz target's main: it replays the files named on the command line (or
// every file of the folders named) through LLVMFuzzerTestOneInput, so that a seed corpus runs
// as an ordinary test in every build.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

inline int replayCorpus(const char* target, int argc, char** argv) {
    int replayed = 0;
    for (int i = 1; i < argc; ++i) {
        const QString name = QString::fromLocal8Bit(argv[i]);
        QStringList files;
        if (QFileInfo(name).isDir()) {
            const QDir dir(name);
            for (const QString& entry : dir.entryList(QDir::Files, QDir::Name))
                files << dir.filePath(entry);
        } else {
            files << name;
        }
        for (const QString& file : files) {
            QFile in(file);
            if (!in.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "%s: cannot read %s\n", target, qPrintable(file));
                return 1;
            }
            const QByteArray bytes = in.readAll();
            LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size()));
            ++replayed;
        }
    }
    std::printf("%s: %d inputs replayed, every invariant held\n", target, replayed);
    return replayed > 0 ? 0 : 1;
}
