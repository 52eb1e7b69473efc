// The settings file: its exact bytes, the layouts it accepts, and what happens when it is
// missing, malformed or cannot be written.
#include "settings/Settings.h"
#include "support/Fakes.h"
#include "support/Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using settings::Levels;

class SettingsFileTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString path() const { return dir_.path() + QStringLiteral("/設定.dat"); }
    QByteArray bytes() const { return fileBytes(path()); }

private slots:
    void init() {
        QFile::remove(path());
        QDir(path()).removeRecursively();
    }

    void savingWritesOneLineWithCommasAndCrLf() {
        QCOMPARE(settings::writeFile(path(), Levels{1, 5, 2, 4}), QString());
        QCOMPARE(bytes(), QByteArray::fromHex("312C352C322C340D0A"));
        QCOMPARE(settings::writeFile(path(), Levels{3, 3, 3, 3}), QString());
        QCOMPARE(bytes(), QByteArray::fromHex("332C332C332C330D0A"));
    }

    void acceptedLayouts_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Levels>("expected");
        QTest::newRow("one line") << QByteArray("2,3,4,5\r\n") << Levels{2, 3, 4, 5};
        QTest::newRow("four lines") << QByteArray("2\r\n3\r\n4\r\n5\r\n") << Levels{2, 3, 4, 5};
        QTest::newRow("unix line ends") << QByteArray("2\n3\n4\n5\n") << Levels{2, 3, 4, 5};
        QTest::newRow("blanks before numbers")
            << QByteArray(" 2, 3,\t4,  5\r\n") << Levels{2, 3, 4, 5};
        QTest::newRow("no final line end") << QByteArray("5,4,3,2") << Levels{5, 4, 3, 2};
        QTest::newRow("mixed separators") << QByteArray("1,2\r\n3,4\r\n") << Levels{1, 2, 3, 4};
        QTest::newRow("both ends of 1 to 5") << QByteArray("1,5,1,5\r\n") << Levels{1, 5, 1, 5};
        QTest::newRow("anything after four values")
            << QByteArray("1,1,1,1\r\nnotes\r\n") << Levels{1, 1, 1, 1};
    }
    void acceptedLayouts() {
        QFETCH(QByteArray, content);
        QFETCH(Levels, expected);
        QVERIFY(writeBytes(path(), content));
        const auto result = settings::readFile(path());
        QCOMPARE(result.levels, expected);
        QVERIFY2(result.problems.isEmpty(), qPrintable(result.problems.join(u'|')));
    }

    void badFilesFallBackOrClamp_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<Levels>("expected");
        QTest::addColumn<int>("problems");
        QTest::newRow("empty") << QByteArray() << Levels{3, 3, 3, 3} << 4;
        QTest::newRow("garbage") << QByteArray("hello world") << Levels{3, 3, 3, 3} << 4;
        QTest::newRow("out of range") << QByteArray("7,0,-3,99999\r\n") << Levels{5, 1, 1, 5} << 4;
        QTest::newRow("just past both ends")
            << QByteArray("6,0,0,6\r\n") << Levels{5, 1, 1, 5} << 4;
        QTest::newRow("too large for 16 bits")
            << QByteArray("2,99999999999999999999,2,2\r\n") << Levels{2, 5, 2, 2} << 1;
        QTest::newRow("only three values") << QByteArray("1,2,4\r\n") << Levels{1, 2, 4, 3} << 1;
        QTest::newRow("one word among numbers") << QByteArray("1,x,4,5") << Levels{1, 3, 4, 5} << 1;
        QTest::newRow("fraction") << QByteArray("1.5,2,2,2") << Levels{3, 2, 2, 2} << 1;
        QTest::newRow("zero bytes") << QByteArray(64, '\0') << Levels{3, 3, 3, 3} << 4;
    }
    void badFilesFallBackOrClamp() {
        QFETCH(QByteArray, content);
        QFETCH(Levels, expected);
        QFETCH(int, problems);
        QVERIFY(writeBytes(path(), content));
        const auto result = settings::readFile(path());
        QCOMPARE(result.levels, expected);
        QCOMPARE(result.problems.size(), problems);
        QCOMPARE(bytes(), content); // reading never touches the file
    }

    void missingFileOrFolderInItsPlaceGivesThreesAndSaysSo() {
        auto result = settings::readFile(path());
        QCOMPARE(result.levels, (Levels{3, 3, 3, 3}));
        QCOMPARE(result.problems.size(), 1);
        QVERIFY(QDir().mkpath(path()));
        result = settings::readFile(path());
        QCOMPARE(result.levels, (Levels{3, 3, 3, 3}));
        QVERIFY(result.problems.first().contains(QStringLiteral("フォルダ")));
    }

    // Reading runs on the only thread: whatever stands at the path must neither block it
    // nor be read without end. Each is refused like a missing file.
    void anythingButASmallRegularFileGivesThreesAndSaysWhy_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"8 MiB file", "named pipe", "link to a named pipe", "socket",
                                 "link to /dev/zero", "link to /dev/urandom"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    void anythingButASmallRegularFileGivesThreesAndSaysWhy() {
        QFETCH(QString, kind);
        const QString aside = dir_.path() + QStringLiteral("/aside");
        QFile::remove(aside);
        if (kind == QLatin1String("8 MiB file")) {
            QByteArray huge("4,4,4,4\r\n");
            huge.append(QByteArray(8 * 1024 * 1024, 'x'));
            QVERIFY(writeBytes(path(), huge));
        } else if (kind == QLatin1String("named pipe")) {
            QVERIFY(makeFifo(path()));
        } else if (kind == QLatin1String("link to a named pipe")) {
            QVERIFY(makeFifo(aside) && QFile::link(aside, path()));
        } else if (kind == QLatin1String("socket")) {
            QVERIFY(makeSocketFile(path()));
        } else {
            const QString device = kind.mid(kind.indexOf(u'/'));
            if (!QFile::exists(device))
                QSKIP("no such device here");
            QVERIFY(QFile::link(device, path()));
        }
        const auto result = settings::readFile(path());
        QCOMPARE(result.levels, (Levels{3, 3, 3, 3}));
        QCOMPARE(result.problems.size(), 1);
        QVERIFY(result.problems.first().contains(QStringLiteral("すべて 3")));
        QFile::remove(path());
    }

    void recordIsReadAndProblemsReachThePlayerNamingTheFile() {
        fakes::RecordingReporter reporter;
        QVERIFY(writeBytes(path(), "9,2,2,2\r\n"));
        settings::readIntoRecord(path(), reporter);
        QCOMPARE(settings::current(), (Levels{5, 2, 2, 2}));
        QCOMPARE(reporter.problems.size(), 1);
        QVERIFY(reporter.problems.first().contains(QStringLiteral("設定.dat")));
        reporter.problems.clear();
        QVERIFY(writeBytes(path(), "1,2,3,4\r\n"));
        settings::readIntoRecord(path(), reporter);
        QCOMPARE(settings::current(), (Levels{1, 2, 3, 4}));
        QVERIFY(reporter.problems.isEmpty());
    }

    void failedSaveKeepsTheOldFile() {
        QVERIFY(writeBytes(path(), "2\r\n2\r\n2\r\n2\r\n"));
        const QByteArray before = bytes();
        // A missing folder fails for every user, root included.
        const QString missing = dir_.path() + QStringLiteral("/gone/設定.dat");
        QVERIFY(!settings::writeFile(missing, Levels{1, 1, 1, 1}).isEmpty());
        QVERIFY(!QFile::exists(missing));
        // A folder where the file should be cannot be replaced by a file.
        const QString blocked = dir_.path() + QStringLiteral("/blocked");
        QVERIFY(QDir().mkpath(blocked + QStringLiteral("/inside")));
        QVERIFY(!settings::writeFile(blocked, Levels{1, 1, 1, 1}).isEmpty());
        QVERIFY(QFileInfo(blocked).isDir());
        QCOMPARE(bytes(), before);
    }

    // A folder that is not writable refuses the new file an atomic replace needs. Where the
    // file itself may be written (its owner opened up only the settings of a shared copy),
    // it is written in place; otherwise nothing changes.
    void aReadOnlyFolderTakesTheSaveInPlaceOnlyWhenTheFileIsWritable_data() {
        QTest::addColumn<bool>("fileWritable");
        QTest::newRow("file writable") << true;
        QTest::newRow("file read-only") << false;
    }
    void aReadOnlyFolderTakesTheSaveInPlaceOnlyWhenTheFileIsWritable() {
        QFETCH(bool, fileWritable);
        QVERIFY(writeBytes(path(), "2,2,2,2\r\n"));
        if (!fileWritable)
            QVERIFY(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup));
        const ReadOnlyFolder readOnly(dir_.path());
        if (!readOnly.refusesWrites())
            QSKIP("permissions do not stop this user from writing");
        const QString failure = settings::writeFile(path(), Levels{5, 4, 3, 2});
        QCOMPARE(failure.isEmpty(), fileWritable);
        QCOMPARE(bytes(), QByteArray(fileWritable ? "5,4,3,2\r\n" : "2,2,2,2\r\n"));
        QCOMPARE(QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("設定.dat")});
        QFile::setPermissions(path(), QFile::ReadOwner | QFile::WriteOwner);
    }
};

QTEST_GUILESS_MAIN(SettingsFileTest)
#include "tst_settings_file.moc"
