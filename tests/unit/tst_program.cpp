// Holding the screens together: the program ends when a handler leaves no screen loaded or
// a window is closed by its frame, and unloading a screen stops its timers and players.
#include "program/Navigation.h"
#include "support/TestProgram.h"

#include <QRegularExpression>
#include <QTest>

class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void init() { resetProgram(); }
    // No window may outlive the application, which goes before the test program does.
    void cleanupTestCase() { resetProgram(); }

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

QTEST_MAIN(ProgramTest)
#include "tst_program.moc"
