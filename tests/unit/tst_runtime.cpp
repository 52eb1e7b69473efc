// The small runtime under the screens: time stamps, timers on virtual time, control arrays,
// random re-seeding, the program folder and the two data layouts, and ending the program
// when no screen is left.
#include "app/DataPaths.h"
#include "app/Navigation.h"
#include "app/ProgramFolder.h"
#include "forms/ControlArray.h"
#include "forms/DataFile.h"
#include "forms/Form.h"
#include "forms/PictureBox.h"
#include "forms/PictureButton.h"
#include "forms/Random.h"
#include "forms/Slider.h"
#include "forms/Timer.h"
#include "forms/Twips.h"
#include "support/Files.h"
#include "support/TestProgram.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

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

class RuntimeTest : public QObject {
    Q_OBJECT

private slots:
    void init() { resetProgram(); }

    void stampsRoundToTheNearestSecondHalvesToEven_data() {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<int>("stamp");
        QTest::newRow("100.2") << 100.2 << 100;
        QTest::newRow("100.5") << 100.5 << 100;
        QTest::newRow("100.7") << 100.7 << 101;
        QTest::newRow("101.5") << 101.5 << 102;
        QTest::newRow("86399.6 past midnight") << 86399.6 << 86400;
        QTest::newRow("0.5") << 0.5 << 0;
    }
    void stampsRoundToTheNearestSecondHalvesToEven() {
        QFETCH(double, seconds);
        QFETCH(int, stamp);
        QCOMPARE(forms::Clock::stampOf(seconds), stamp);
    }

    void steadyClockNeverGoesBack() {
        forms::SteadyClock clock;
        double previous = clock.now();
        for (int i = 0; i < 1000; ++i) {
            const double now = clock.now();
            QVERIFY(now >= previous);
            previous = now;
        }
    }

    void timerIntervalZeroStopsAndAnyOtherRestartsFromNow() {
        fakes::FakeClock clock;
        fakes::VirtualTimers timers(clock);
        QList<double> ticks;
        forms::Timer timer(timers, [&] { ticks << clock.now(); });
        clock.set(10.0);
        timer.setInterval(500);
        timers.advanceTo(10.4);
        timer.setInterval(500); // restarted: counts from 10.4
        timers.advanceTo(11.45);
        QCOMPARE(ticks, (QList<double>{10.9, 11.4}));
        timer.setInterval(0);
        timers.advanceTo(20.0);
        QCOMPARE(ticks.size(), 2);
        QCOMPARE(timer.interval(), 0);
    }

    void dueTimersFireInTimeOrderThenInOrderOfStarting() {
        fakes::FakeClock clock;
        fakes::VirtualTimers timers(clock);
        QStringList fired;
        forms::Timer a(timers,
                       [&] { fired << QStringLiteral("a@%1").arg(clock.now(), 0, 'f', 1); });
        forms::Timer b(timers,
                       [&] { fired << QStringLiteral("b@%1").arg(clock.now(), 0, 'f', 1); });
        forms::Timer c(timers,
                       [&] { fired << QStringLiteral("c@%1").arg(clock.now(), 0, 'f', 1); });
        clock.set(0);
        c.setInterval(300);
        b.setInterval(200);
        a.setInterval(300); // due with c, but started after it
        timers.advanceTo(0.65);
        QCOMPARE(fired,
                 (QStringList{"b@0.2", "c@0.3", "a@0.3", "b@0.4", "c@0.6", "a@0.6", "b@0.6"}));
    }

    void aTimerStoppedByAnEarlierTickAtTheSameMomentDoesNotFire() {
        fakes::FakeClock clock;
        fakes::VirtualTimers timers(clock);
        int laterTicks = 0;
        forms::Timer later(timers, [&] { ++laterTicks; });
        forms::Timer stopper(timers, [&] { later.setInterval(0); });
        clock.set(0);
        stopper.setInterval(100);
        later.setInterval(100);
        timers.advanceTo(1.0);
        QCOMPARE(laterTicks, 0);
    }

    void controlArraysCountFromOne() {
        int a = 1, b = 2, c = 3;
        forms::ControlArray<int> array({&a, &b, &c});
        QCOMPARE(array.count(), 3);
        QCOMPARE(array[1], 1);
        QCOMPARE(array[3], 3);
        QVERIFY(!array.contains(0));
        QVERIFY(!array.contains(4));
    }

    void twipsBecomeTheNearestPixel() {
        QCOMPARE(forms::toPixels(15), 1);
        QCOMPARE(forms::toPixels(3965), 264); // 264.33
        QCOMPARE(forms::toPixels(5470), 365); // 364.67
        QCOMPARE(forms::toPixels(9585), 639);
        QCOMPARE(forms::pixelRect(600, 195, 1335, 405), QRect(40, 13, 89, 27));
    }

    void reseedingAtAnUnchangedClockDoesNotRepeatDraws() {
        fakes::FakeClock clock;
        clock.set(12345.0);
        forms::ClockSeededRandom random(clock);
        random.reseed();
        const double first = random.next();
        random.reseed();
        const double second = random.next();
        QVERIFY(first != second);
        for (int i = 0; i < 10000; ++i) {
            const double draw = random.next();
            QVERIFY(draw >= 0.0 && draw < 1.0);
        }
    }

    void programFolderDropsOneTrailingSeparator() {
        QCOMPARE(app::programFolderFrom(QStringLiteral("/opt/games")),
                 QStringLiteral("/opt/games"));
        QCOMPARE(app::programFolderFrom(QStringLiteral("/opt/games/")),
                 QStringLiteral("/opt/games"));
        // At the root the folder is empty, so the data path has a single separator.
        QCOMPARE(app::programFolderFrom(QStringLiteral("/")), QString());
        QCOMPARE(app::programFolderFrom(QStringLiteral("/")) + QStringLiteral("/データ/設定.dat"),
                 QStringLiteral("/データ/設定.dat"));
    }

    // Every data file is read through one reader that never blocks: only a regular file
    // within its bound is read, and every other thing at the path says why it was refused.
    void dataFilesAreReadOnlyWhenRegularAndWithinTheirBound_data() {
        using forms::DataFileError;
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
        QFETCH(forms::DataFileError, error);
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

        const forms::DataFile file = forms::readDataFile(path, limit);
        QCOMPARE(file.error, error);
        QCOMPARE(file.ok(), error == forms::DataFileError::Read);
        if (file.ok())
            QCOMPARE(file.bytes, kind == QLatin1String("empty") ? QByteArray() : content);
        else
            QVERIFY(file.bytes.isEmpty() && !forms::describe(file).isEmpty());
        // Opened without blocking, but once known to be regular it is read as files are:
        // waiting for a slow disk, never failing with EAGAIN.
        if (file.ok()) {
            const forms::OpenDataFile open = forms::openDataFile(path, limit);
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
        const app::DataLocations found = app::locate(
            {programFolder, dataBeside, installedData, configHome, QStringLiteral("/home/a")});
        QCOMPARE(found.layout, dataRoot.isEmpty() ? app::Layout::Portable : app::Layout::Installed);
        QCOMPARE(found.dataRoot, dataRoot);
        QCOMPARE(found.playerSettings, playerSettings);
    }

    // The rule as the program applies it at start-up, on real folders.
    void layoutIsFoundFromTheFoldersAroundTheProgram() {
        QTemporaryDir root;
        const QString bin = root.path() + QStringLiteral("/bin");
        const QString installed = root.path() + QStringLiteral("/share/pokopenpan/データ");
        QVERIFY(QDir().mkpath(bin));
        ProgramFolder = bin;
        QCOMPARE(app::locateFromEnvironment().layout, app::Layout::Portable);
        QVERIFY(QDir().mkpath(installed));
        QCOMPARE(app::locateFromEnvironment().layout, app::Layout::Installed);
        QCOMPARE(app::locateFromEnvironment().dataRoot,
                 root.path() + QStringLiteral("/share/pokopenpan"));
        // Even a file or a dangling link named データ beside the program means portable.
        QVERIFY(
            QFile::link(root.path() + QStringLiteral("/nowhere"), bin + QStringLiteral("/データ")));
        QCOMPARE(app::locateFromEnvironment().layout, app::Layout::Portable);
    }

    // Installed: the delivered file is read until something stands at the player's path,
    // which is then read whatever it is, so a broken file is reported rather than skipped.
    void installedLayoutReadsTheDeliveredSettingsUntilThePlayerHasAFile() {
        QTemporaryDir root;
        const QString prefix = root.path() + QStringLiteral("/prefix");
        QVERIFY(QDir().mkpath(prefix + QStringLiteral("/bin")));
        ProgramFolder = prefix + QStringLiteral("/bin");
        app::Locations = app::locate(
            {ProgramFolder, false, true, root.path() + QStringLiteral("/conf"), root.path()});
        const QString delivered = prefix + QStringLiteral("/share/pokopenpan/データ/設定.dat");
        const QString own = root.path() + QStringLiteral("/conf/pokopenpan/設定.dat");
        QCOMPARE(data::path(data::HitSound),
                 prefix + QStringLiteral("/share/pokopenpan/データ/音/o.wav"));
        QCOMPARE(data::settingsToSave(), own);
        QCOMPARE(data::settingsToRead(), delivered);

        app::prepareSettingsFolder();
        QVERIFY(QFileInfo(own).absoluteDir().exists());
        QCOMPARE(data::settingsToRead(), delivered); // a folder alone is not a file

        QVERIFY(QFile::link(root.path() + QStringLiteral("/nowhere"), own));
        QCOMPARE(data::settingsToRead(), own);
        QVERIFY(QFile::remove(own));
        QVERIFY(QDir().mkdir(own));
        QCOMPARE(data::settingsToRead(), own);
        QVERIFY(QDir().rmdir(own));
        QFile file(own);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QCOMPARE(data::settingsToRead(), own);
    }

    void portableLayoutKeepsEverythingInTheProgramFolderAndCreatesNothing() {
        QTemporaryDir root;
        ProgramFolder = root.path();
        app::Locations = app::locate({ProgramFolder, true, true, QString(), root.path()});
        const QString beside = root.path() + QStringLiteral("/データ/設定.dat");
        QCOMPARE(data::settingsToRead(), beside);
        QCOMPARE(data::settingsToSave(), beside);
        QCOMPARE(data::path(data::CrowPicture),
                 root.path() + QStringLiteral("/データ/絵/からす.gif"));
        // A missing data folder stays missing: the save reports it instead.
        app::prepareSettingsFolder();
        QVERIFY(!QFileInfo::exists(root.path() + QStringLiteral("/データ")));
    }

    void pictureClickIsOnReleaseInsideAndNeverOnTheSecondClickOfADoubleClick() {
        QWidget window;
        window.resize(200, 200);
        forms::PictureBox area(&window);
        area.setGeometry(10, 10, 50, 50);
        QSignalSpy clicks(&area, &forms::PictureBox::clicked);
        QTest::mouseClick(&area, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks.count(), 1);
        // Pressed inside, released outside: no click.
        QTest::mousePress(&area, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&area, Qt::LeftButton, {}, QPoint(80, 80));
        QCOMPARE(clicks.count(), 1);
        // A double-click: press, release, double-click press, release.
        QTest::mousePress(&area, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseRelease(&area, Qt::LeftButton, {}, QPoint(5, 5));
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, QPointF(5, 5),
                                area.mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::LeftButton,
                                {});
        QCoreApplication::sendEvent(&area, &doubleClick);
        QTest::mouseRelease(&area, Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(clicks.count(), 2);
    }

    // スタート and おわり hide all three board buttons. Qt leaves the keyboard focus on the
    // last one hidden, so a key pressed by accident must not reach it, or 設定 would open
    // and the round or the goodbye be lost. Keys arrive through the window, as a player's do.
    void keysForHiddenButtonsGoNowhereWhileShownOnesAnswerSpaceAndEnter_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("phase");
        const std::pair<Qt::Key, const char*> keys[] = {
            {Qt::Key_Space, "Space"}, {Qt::Key_Return, "Return"}, {Qt::Key_Enter, "keypad Enter"}};
        for (const auto& [key, name] : keys)
            for (const char* phase : {"countdown", "play", "closing"})
                QTest::addRow("%s in %s", name, phase) << int(key) << QString::fromLatin1(phase);
    }
    void keysForHiddenButtonsGoNowhereWhileShownOnesAnswerSpaceAndEnter() {
        QFETCH(int, key);
        QFETCH(QString, phase);
        TestProgram& program = testProgram();
        const auto folder = showGameOn(settingsLine(1, 3, 3, 3));
        forms::Form& form = *program.game.form();
        form.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        // A key that reached a hidden button may have unloaded the screen, window and all.
        const QPointer<QWindow> window = form.windowHandle();
        const auto press = [&] {
            if (window)
                QTest::keyClick(window, Qt::Key(key));
        };
        auto& start = form.control<forms::PictureButton>(QStringLiteral("Command1"));
        auto& quit = form.control<forms::PictureButton>(QStringLiteral("Command2"));
        auto& toSettings = form.control<forms::PictureButton>(QStringLiteral("Command3"));
        const bool closing = phase == QLatin1String("closing");

        // The focused, shown button answers the key.
        (closing ? quit : start).setFocus();
        press();
        QVERIFY(!start.shown() && !quit.shown() && !toSettings.shown());
        QCOMPARE(
            form.timer(closing ? QStringLiteral("Timer4") : QStringLiteral("Timer3")).interval(),
            100);
        if (phase == QLatin1String("play")) {
            program.timers.advanceBy(4.0);
            QCOMPARE(form.timer(QStringLiteral("Timer1")).interval(), 1000);
        }

        for (int i = 0; i < 3; ++i)
            press();
        QVERIFY(program.game.isLoaded());
        toSettings.click(); // nor does a hidden button's click act
        QVERIFY(program.game.isLoaded());
        QVERIFY(!program.settings.isLoaded());
        QCOMPARE(program.navigation.loadedCount(), 1);

        // The round or the goodbye runs to its end.
        program.timers.advanceBy(closing ? 5.0 : 40.0);
        if (closing) {
            QCOMPARE(program.quits, 1);
            QVERIFY(!program.game.isLoaded());
        } else {
            QCOMPARE(program.quits, 0);
            QVERIFY(start.shown());
            QVERIFY(form.findControl(QStringLiteral("Frame1"))->isVisible());
        }
    }

    void noControlOffersTheToolkitsEnglishContextMenu() {
        TestProgram& program = testProgram();
        TestFolder folder(QByteArray("3,3,3,3\r\n"));
        program.navigation.show(program.settings);
        forms::Form& form = *program.settings.form();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QList<QWidget*> controls = form.findChildren<QWidget*>();
        QVERIFY(!form.findChildren<forms::Slider*>().isEmpty());
        for (QWidget* control : controls + QList<QWidget*>{&form})
            QVERIFY2(control->contextMenuPolicy() == Qt::NoContextMenu,
                     qPrintable(control->objectName()));
        // A right click on a slider opens no menu (one that opened is closed again at once,
        // or its event loop would hold the test).
        auto* slider = form.findChildren<forms::Slider*>().first();
        bool menuOpened = false;
        QTimer::singleShot(0, [&] {
            if (QWidget* popup = QApplication::activePopupWidget()) {
                menuOpened = true;
                popup->close();
            }
        });
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, QPoint(5, 5),
                                    slider->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(slider, &menuEvent);
        QCoreApplication::processEvents();
        QVERIFY(!menuOpened);
    }

    void programEndsWhenAHandlerLeavesNoScreenLoaded() {
        TestFolder folder(QByteArray("3,3,3,3\r\n"));
        TestProgram& program = testProgram();
        program.navigation.show(program.game);
        QCOMPARE(program.navigation.loadedCount(), 1);
        // An unload followed by a show in the same handler keeps the program running.
        program.game.form()->dispatch([&] {
            program.navigation.unload(program.game);
            program.navigation.show(program.settings);
        });
        QCOMPARE(program.quits, 0);
        QVERIFY(program.settings.isLoaded());
        program.settings.form()->dispatch([&] { program.navigation.unload(program.settings); });
        QCOMPARE(program.quits, 1);
        QCOMPARE(program.navigation.loadedCount(), 0);
    }

    void closingAWindowByItsFrameUnloadsItsScreenAndEndsTheProgram() {
        TestFolder folder(QByteArray("3,3,3,3\r\n"));
        TestProgram& program = testProgram();
        program.navigation.show(program.settings);
        program.settings.form()->close();
        QVERIFY(!program.settings.isLoaded());
        QCOMPARE(program.quits, 1);
    }

    void unloadingStopsTimersAndSilencesPlayers() {
        TestFolder folder(QByteArray("3,3,3,3\r\n"));
        TestProgram& program = testProgram();
        program.navigation.show(program.game);
        program.game.Command1_Click(); // the countdown timer runs
        QVERIFY(program.timers.runningCount() > 0);
        program.navigation.unload(program.game);
        QCOMPARE(program.timers.runningCount(), 0);
        // Both of the game screen's players go with it.
        QCOMPARE(program.players.log.filter(QRegularExpression(QStringLiteral(" gone$"))).size(),
                 2);
    }
};

QTEST_MAIN(RuntimeTest)
#include "tst_runtime.moc"
