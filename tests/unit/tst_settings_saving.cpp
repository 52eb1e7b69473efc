// Saving never loses the old settings: a full disk, a read-only file system, a device in
// the file's place. The first two need root (to mount a small tmpfs) and are skipped
// otherwise; the tmpfs is unmounted again whatever happens.
#include "settings/Settings.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

using settings::Levels;
using namespace std::chrono_literals;

namespace {

constexpr auto MountTimeout = 10s;

// Fills the file system holding the folder until not one more byte fits. Callers return on
// a failure.
void fill(const QString& folder) {
    QFile filler(folder + QStringLiteral("/filler"));
    QVERIFY(filler.open(QIODevice::WriteOnly));
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
    filler.close();
    QFile probe(folder + QStringLiteral("/probe"));
    QVERIFY(probe.open(QIODevice::WriteOnly));
    const bool oneMoreByteFits = probe.write("x", 1) == 1 && probe.flush();
    probe.close();
    probe.remove();
    QVERIFY2(!oneMoreByteFits, "the disk is not full");
}

} // namespace

class SettingsSavingTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString mountPoint_;

    // A 64 KiB tmpfs of our own, or a skip when that is not allowed.
    bool mountSmallDisk() {
        if (::geteuid() != 0)
            return false;
        mountPoint_ = dir_.path() + QStringLiteral("/disk");
        return QDir().mkpath(mountPoint_) &&
               runsCleanly(QStringLiteral("mount"),
                           {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                            QStringLiteral("size=64k"), QStringLiteral("tmpfs"), mountPoint_},
                           MountTimeout);
    }
    QStringList leftovers(const QString& folder) const {
        QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot |
                                                   QDir::Hidden | QDir::System);
        names.removeAll(QStringLiteral("設定.dat"));
        names.removeAll(QStringLiteral("filler"));
        return names;
    }

private slots:
    void cleanup() {
        if (!mountPoint_.isEmpty()) {
            runsCleanly(QStringLiteral("umount"), {mountPoint_}, MountTimeout);
            mountPoint_.clear();
        }
    }

    void aFullDiskKeepsTheOldFileByteForByte() {
        if (!mountSmallDisk())
            QSKIP("mounting a small tmpfs needs root");
        const QString path = mountPoint_ + QStringLiteral("/設定.dat");
        QVERIFY(writeBytes(path, "2,4,1,5\r\n"));
        fill(mountPoint_);
        if (QTest::currentTestFailed())
            return;

        const QString failure = settings::writeFile(path, Levels{5, 5, 5, 5});
        QVERIFY2(!failure.isEmpty(), "a save on a full disk reported success");
        QVERIFY2(failure.contains(QStringLiteral("保存できませんでした")), qPrintable(failure));
        QCOMPARE(fileBytes(path), QByteArray("2,4,1,5\r\n"));
        QCOMPARE(settings::readFile(path).levels, (Levels{2, 4, 1, 5}));
        // The half-written new file does not stay behind to eat the space.
        QCOMPARE(leftovers(mountPoint_), QStringList());

        // Once there is room again the same save goes through.
        QVERIFY(QFile::remove(mountPoint_ + QStringLiteral("/filler")));
        QCOMPARE(settings::writeFile(path, Levels{5, 5, 5, 5}), QString());
        QCOMPARE(fileBytes(path), QByteArray("5,5,5,5\r\n"));
    }

    void aReadOnlyFileSystemKeepsTheOldFile() {
        // Read-only permissions do not stop root; a read-only mount stops everyone.
        if (!mountSmallDisk())
            QSKIP("mounting a small tmpfs needs root (tst_settings_file covers a read-only "
                  "folder for other users)");
        const QString path = mountPoint_ + QStringLiteral("/設定.dat");
        QVERIFY(writeBytes(path, "1,2,3,4\r\n"));
        QVERIFY(runsCleanly(QStringLiteral("mount"),
                            {QStringLiteral("-o"), QStringLiteral("remount,ro"), mountPoint_},
                            MountTimeout));
        QVERIFY(!settings::writeFile(path, Levels{5, 5, 5, 5}).isEmpty());
        QCOMPARE(fileBytes(path), QByteArray("1,2,3,4\r\n"));
    }

    void aFileGoneWithItsFolderIsNotRecreatedElsewhere() {
        const QString folder = dir_.path() + QStringLiteral("/データ");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/設定.dat");
        QVERIFY(writeBytes(path, "3,3,3,3\r\n"));
        // The folder goes while the settings screen is open.
        QVERIFY(QDir(folder).removeRecursively());
        const QString failure = settings::writeFile(path, Levels{1, 1, 1, 1});
        QVERIFY(failure.contains(QDir::toNativeSeparators(folder)));
        QVERIFY(!QFileInfo::exists(folder));
    }

    void aLinkToADeviceIsNeverReplacedByASave() {
        // Root could replace even /dev/zero, so root's device is a private node of the same
        // device; other users link to /dev/zero itself, which they cannot replace anyway.
        QString device = QStringLiteral("/dev/zero");
        if (::geteuid() == 0) {
            device = dir_.path() + QStringLiteral("/zero");
            QCOMPARE(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0666, makedev(1, 5)),
                     0);
        }
        const QString folder = dir_.path() + QStringLiteral("/linked");
        QVERIFY(QDir().mkpath(folder));
        const QString path = folder + QStringLiteral("/設定.dat");
        QVERIFY(QFile::link(device, path));

        const QString failure = settings::writeFile(path, Levels{1, 1, 1, 1});
        struct stat info {};
        QCOMPARE(::stat(QFile::encodeName(device).constData(), &info), 0);
        QVERIFY2(S_ISCHR(info.st_mode), "the save replaced the device with a file");
        QVERIFY2(!failure.isEmpty(), "a save onto a device reported success");
        QVERIFY(QFileInfo(path).isSymLink());
    }
};

QTEST_GUILESS_MAIN(SettingsSavingTest)
#include "tst_settings_saving.moc"
