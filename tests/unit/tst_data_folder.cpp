// The data folder: the program folder, the one bounded reader of data files, and the two
// layouts with the path of every file read or written.
#include "data/DataFile.h"
#include "data/DataFolder.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>

namespace {

// The flags of this program's open descriptor for `path` (a canonical path), or -1.
int openFlags(const QString& path) {
    for (const QFileInfo& fd :
         QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::Files | QDir::System)) {
        if (fd.symLinkTarget() != path)
            continue;
        QFile info(QStringLiteral("/proc/self/fdinfo/") + fd.fileName());
        if (!info.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray& line : info.readAll().split('\n'))
            if (line.startsWith("flags:"))
                return line.mid(6).trimmed().toInt(nullptr, 8);
    }
    return -1;
}

} // namespace

class DataFolderTest : public QObject {
    Q_OBJECT

private slots:
    void programFolderDropsOneTrailingSeparator() {
        QCOMPARE(data::programFolderFrom(QStringLiteral("/opt/games")),
                 QStringLiteral("/opt/games"));
        QCOMPARE(data::programFolderFrom(QStringLiteral("/opt/games/")),
                 QStringLiteral("/opt/games"));
        // At the root the folder is empty, so the data path has a single separator.
        QCOMPARE(data::programFolderFrom(QStringLiteral("/")), QString());
        QCOMPARE(data::programFolderFrom(QStringLiteral("/")) + QStringLiteral("/データ/設定.dat"),
                 QStringLiteral("/データ/設定.dat"));
    }

    // Every data file is read through one reader that never blocks: only a regular file
    // within its bound is read, and every other thing at the path says why it was refused.
    void dataFilesAreReadOnlyWhenRegularAndWithinTheirBound_data() {
        using data::DataFileError;
        QTest::addColumn<QString>("kind");
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<DataFileError>("error");
        QTest::newRow("file at its bound") << "file" << qint64(100) << DataFileError::Read;
        QTest::newRow("empty file") << "empty" << qint64(100) << DataFileError::Read;
        QTest::newRow("link to a file") << "link to file" << qint64(100) << DataFileError::Read;
        QTest::newRow("one byte past") << "file" << qint64(99) << DataFileError::TooLarge;
        QTest::newRow("nothing") << "missing" << qint64(100) << DataFileError::Missing;
        QTest::newRow("dangling link") << "dangling" << qint64(100) << DataFileError::Missing;
        QTest::newRow("folder") << "folder" << qint64(100) << DataFileError::Folder;
        QTest::newRow("named pipe") << "fifo" << qint64(100) << DataFileError::NotRegular;
        QTest::newRow("link to a pipe")
            << "link to fifo" << qint64(100) << DataFileError::NotRegular;
        QTest::newRow("socket") << "socket" << qint64(100) << DataFileError::NotRegular;
        QTest::newRow("endless device")
            << "/dev/urandom" << qint64(100) << DataFileError::NotRegular;
    }
    void dataFilesAreReadOnlyWhenRegularAndWithinTheirBound() {
        QFETCH(QString, kind);
        QFETCH(qint64, limit);
        QFETCH(data::DataFileError, error);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("音.wav"));
        const QString aside = dir.filePath(QStringLiteral("aside"));
        const QByteArray content(100, 'w');
        if (kind == QLatin1String("file"))
            QVERIFY(writeBytes(path, content));
        else if (kind == QLatin1String("empty"))
            QVERIFY(writeBytes(path, {}));
        else if (kind == QLatin1String("link to file"))
            QVERIFY(writeBytes(aside, content) && QFile::link(aside, path));
        else if (kind == QLatin1String("dangling"))
            QVERIFY(QFile::link(aside, path));
        else if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
        else if (kind == QLatin1String("fifo"))
            QVERIFY(makeFifo(path));
        else if (kind == QLatin1String("link to fifo"))
            QVERIFY(makeFifo(aside) && QFile::link(aside, path));
        else if (kind == QLatin1String("socket"))
            QVERIFY(makeSocketFile(path));
        else if (kind.startsWith(u'/'))
            QVERIFY(QFile::link(kind, path));

        const data::DataFile file = data::readDataFile(path, limit);
        QCOMPARE(file.error, error);
        QCOMPARE(file.ok(), error == data::DataFileError::Read);
        if (file.ok())
            QCOMPARE(file.bytes, kind == QLatin1String("empty") ? QByteArray() : content);
        else
            QVERIFY(file.bytes.isEmpty() && !data::describe(file).isEmpty());
        // Opened without blocking, but once known to be regular it is read as files are:
        // waiting for a slow disk, never failing with EAGAIN.
        if (file.ok()) {
            const data::OpenDataFile open = data::openDataFile(path, limit);
            const int flags = openFlags(QFileInfo(path).canonicalFilePath());
            QVERIFY2(flags >= 0, "the file is open");
            QCOMPARE(flags & O_NONBLOCK, 0);
        }
    }

    void layoutFollowsTheDataFolderBesideTheProgram_data() {
        QTest::addColumn<QString>("programFolder");
        QTest::addColumn<bool>("dataBeside");
        QTest::addColumn<bool>("installedData");
        QTest::addColumn<QString>("configHome");
        QTest::addColumn<QString>("dataRoot");       // empty: portable, the program folder
        QTest::addColumn<QString>("playerSettings"); // empty: portable, beside the data
        const QString none;
        const QString mine = QStringLiteral("/home/a/.config/pokopenpan/設定.dat");
        QTest::newRow("build tree") << "/home/a/build" << true << false << "" << none << none;
        QTest::newRow("unpacked archive, XDG set")
            << "/home/a/pokopenpan-1.0.0-Linux" << true << false << "/home/a/conf" << none << none;
        // A portable copy whose data folder is gone stays portable: it reports the missing
        // folder, and never reads or writes a player's own settings.
        QTest::newRow("portable, data folder deleted")
            << "/home/a/pokopenpan-1.0.0-Linux" << false << false << "" << none << none;
        QTest::newRow("data beside an installed program wins")
            << "/usr/bin" << true << true << "" << none << none;
        QTest::newRow("installed in /usr/bin") << "/usr/bin" << false << true << ""
                                               << "/usr/share/pokopenpan" << mine;
        QTest::newRow("installed in /usr/games") << "/usr/games" << false << true << ""
                                                 << "/usr/share/pokopenpan" << mine;
        QTest::newRow("moved prefix") << "/opt/poko/bin" << false << true << ""
                                      << "/opt/poko/share/pokopenpan" << mine;
        QTest::newRow("XDG_CONFIG_HOME absolute") << "/usr/bin" << false << true << "/srv/conf/"
                                                  << "/usr/share/pokopenpan"
                                                  << "/srv/conf/pokopenpan/設定.dat";
        QTest::newRow("XDG_CONFIG_HOME relative is ignored")
            << "/usr/bin" << false << true << "conf"
            << "/usr/share/pokopenpan" << mine;
    }
    void layoutFollowsTheDataFolderBesideTheProgram() {
        QFETCH(QString, programFolder);
        QFETCH(bool, dataBeside);
        QFETCH(bool, installedData);
        QFETCH(QString, configHome);
        QFETCH(QString, dataRoot);
        QFETCH(QString, playerSettings);
        const data::DataFolder found = data::DataFolder::locate(
            {programFolder, dataBeside, installedData, configHome, QStringLiteral("/home/a")});
        QCOMPARE(found.layout(),
                 dataRoot.isEmpty() ? data::Layout::Portable : data::Layout::Installed);
        QCOMPARE(found.dataRoot(), dataRoot.isEmpty() ? programFolder : dataRoot);
        QCOMPARE(found.playerSettings(), playerSettings);
    }

    // The rule as the program applies it at start-up, on real folders.
    void layoutIsFoundFromTheFoldersAroundTheProgram() {
        QTemporaryDir root;
        const QString bin = root.path() + QStringLiteral("/bin");
        const QString installed = root.path() + QStringLiteral("/share/pokopenpan/データ");
        QVERIFY(QDir().mkpath(bin));
        const auto found = [&bin] { return data::DataFolder::fromEnvironment(bin + u'/'); };
        QCOMPARE(found().layout(), data::Layout::Portable);
        QCOMPARE(found().programFolder(), bin);
        QVERIFY(QDir().mkpath(installed));
        QCOMPARE(found().layout(), data::Layout::Installed);
        QCOMPARE(found().dataRoot(), root.path() + QStringLiteral("/share/pokopenpan"));
        // Even a file or a dangling link named データ beside the program means portable.
        QVERIFY(
            QFile::link(root.path() + QStringLiteral("/nowhere"), bin + QStringLiteral("/データ")));
        QCOMPARE(found().layout(), data::Layout::Portable);
    }

    // Installed: the delivered file is read until something stands at the player's path,
    // which is then read whatever it is, so a broken file is reported rather than skipped.
    void installedLayoutReadsTheDeliveredSettingsUntilThePlayerHasAFile() {
        QTemporaryDir root;
        const QString prefix = root.path() + QStringLiteral("/prefix");
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")));
        const data::DataFolder folder =
            data::DataFolder::locate({prefix + QStringLiteral("/bin"), false, true,
                                      root.path() + QStringLiteral("/conf"), root.path()});
        const QString delivered = prefix + QStringLiteral("/share/pokopenpan/データ/設定.dat");
        const QString own = root.path() + QStringLiteral("/conf/pokopenpan/設定.dat");
        QCOMPARE(folder.path(data::HitSound),
                 prefix + QStringLiteral("/share/pokopenpan/データ/音/o.wav"));
        QCOMPARE(folder.settingsToSave(), own);
        QCOMPARE(folder.settingsToRead(), delivered);

        folder.prepareSettingsFolder();
        QVERIFY(QFileInfo(own).absoluteDir().exists());
        QCOMPARE(folder.settingsToRead(), delivered); // a folder alone is not a file

        QVERIFY(QFile::link(root.path() + QStringLiteral("/nowhere"), own));
        QCOMPARE(folder.settingsToRead(), own);
        QVERIFY(QFile::remove(own));
        QVERIFY(QDir().mkdir(own));
        QCOMPARE(folder.settingsToRead(), own);
        QVERIFY(QDir().rmdir(own));
        QFile file(own);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(folder.settingsToRead(), own);
    }

    void portableLayoutKeepsEverythingInTheProgramFolderAndCreatesNothing() {
        QTemporaryDir root;
        const data::DataFolder folder =
            data::DataFolder::locate({root.path(), true, true, QString(), root.path()});
        const QString beside = root.path() + QStringLiteral("/データ/設定.dat");
        QCOMPARE(folder.settingsToRead(), beside);
        QCOMPARE(folder.settingsToSave(), beside);
        QCOMPARE(folder.path(data::CrowPicture),
                 root.path() + QStringLiteral("/データ/絵/からす.gif"));
        // A missing data folder stays missing: the save reports it instead.
        folder.prepareSettingsFolder();
        QVERIFY(!QFileInfo::exists(root.path() + QStringLiteral("/データ")));
    }
};

QTEST_MAIN(DataFolderTest)
#include "tst_data_folder.moc"
