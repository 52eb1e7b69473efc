// The menu screen: loading, the title spelled out on virtual time, the three background
// moles and their scheduler, the how-to-play view, and the ways out of the menu.

#include "support/TestProgram.h"
#include "support/Widgets.h"

#include "forms/Random.h"

#include <QSet>
#include <QtTest>

#include <initializer_list>

namespace {

using Int = MenuScreen::Int;

// One scheduler tick's draws: mole 1 steps every 300 ms and shows its hit; moles 2 and 3 get
// 699 ms, longer than the tick, so they never move.
constexpr std::initializer_list<double> MoleOneHits{0.9, 0.0, 0.0, 0.0, 0.9975, 0.9975};

// A random source that writes down the order of re-seeds and draws.
class LoggingRandom final : public forms::Random {
public:
    void reseed() override { log << QStringLiteral("reseed"); }
    double next() override {
        log << QStringLiteral("next");
        return 0.5;
    }
    QStringList log;
};

// A menu of its own, for the checks that need a random source other than the test
// program's scripted one. Nothing in these checks leaves the menu.
struct OwnMenu {
    fakes::FakeClock& clock;
    fakes::VirtualTimers timers{clock};
    fakes::RecordingPlayers players;
    fakes::RecordingReporter reporter;
    data::DataFolder dataFolder = data::DataFolder::portable(QString());
    program::Navigation navigation{[] {}};
    program::Services services;
    MenuScreen menu{services};

    OwnMenu(fakes::FakeClock& clockToUse, forms::Random& random)
        : clock(clockToUse), services{clock,      random,     timers,  players,
                                      dataFolder, navigation, reporter} {
        navigation.add(program::メニュー, menu);
        navigation.show(menu);
    }
    ~OwnMenu() {
        navigation.unload(menu);
        // The window holds timers of this menu's scheduler: it must go before they do.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

bool shownCharacters(const MenuScreen::Controls& c, int count) {
    for (int i = 1; i <= 6; ++i)
        if (c.Image1[i].shown() != (i <= count))
            return false;
    return true;
}

} // namespace

class MenuTest : public QObject {
    Q_OBJECT

    TestProgram& program = testProgram();
    double loadedAt = 0;

    MenuScreen& menu() { return program.menu; }
    const MenuScreen::Controls& c() { return program.menu.controls(); }

    void loadMenu() {
        program.navigation.show(program.menu);
        loadedAt = program.clock.now();
    }
    // Loads the menu and lets the title run until the buttons are up and the mole
    // scheduler has just been started. False when the buttons did not come up.
    [[nodiscard]] bool loadMenuWithButtons() {
        loadMenu();
        program.timers.advanceTo(loadedAt + 3.5);
        return c().Command1.shown();
    }
    // Mole 1 up with its hit mark, 0.3 s into the second scheduler tick. Callers return on a
    // failure.
    void raiseMoleOneWithItsHit() {
        QVERIFY(loadMenuWithButtons());
        program.random.script(MoleOneHits);
        program.random.script(MoleOneHits);
        program.timers.advanceTo(loadedAt + 3.5 + 1.0 + 0.3);
        QCOMPARE(menu().moleState[1], Int(2));
    }

private slots:
    void init() { resetProgram(); }
    void cleanup() { resetProgram(); }

    // --- loading ----------------------------------------------------------------------

    void loadingStartsTheTitleAtItsFirstCharacterWithEverythingHidden() {
        loadMenu();
        QVERIFY(menu().isLoaded());
        QCOMPARE(menu().titleStep, Int(1));
        QCOMPARE(menu().animationStopped, Int(0));
        QCOMPARE(c().Timer1.interval(), 500);
        QCOMPARE(c().Timer2.interval(), 0);
        for (int i = 1; i <= 3; ++i) {
            QCOMPARE(c().Timer3[i].interval(), 0);
            QCOMPARE(menu().moleState[i], Int(0));
        }
        const QList<QWidget*> widgets = menu().form()->findChildren<QWidget*>();
        QVERIFY(widgets.size() >= 25);
        for (QWidget* widget : widgets)
            QVERIFY2(widget->isHidden(), qPrintable(widget->objectName()));
        // Before the title is complete its hidden buttons do nothing, however pressed.
        for (auto* button : {&c().Command1, &c().Command2, &c().Command3})
            button->click();
        QVERIFY(menu().isLoaded());
        QVERIFY(!program.game.isLoaded());
        QCOMPARE(program.quits, 0);
        QCOMPARE(menu().animationStopped, Int(0));
    }

    void loadingNamesTheMolePictureArraysImage2ToImage4() {
        loadMenu();
        QCOMPARE(menu().moleImageName[1], QStringLiteral("image2"));
        QCOMPARE(menu().moleImageName[2], QStringLiteral("image3"));
        QCOMPARE(menu().moleImageName[3], QStringLiteral("image4"));
        for (int mole = 1; mole <= 3; ++mole) {
            QCOMPARE(c().moles[mole].count(), 3);
            for (int element = 1; element <= 3; ++element)
                QCOMPARE(c().moles[mole][element].objectName(),
                         QStringLiteral("Image%1(%2)").arg(mole + 1).arg(element));
        }
    }

    // --- the title --------------------------------------------------------------------

    void aTickAtTheSixthStepShowsTheLastCharacterAndMovesToSeven() {
        loadMenu();
        menu().titleStep = 6;
        menu().Timer1_Timer();
        QVERIFY(c().Image1[6].shown());
        QCOMPARE(menu().titleStep, Int(7));
        QVERIFY(!c().Command1.shown());
        QCOMPARE(c().Timer1.interval(), 500);
    }

    void theTickAfterTheTitleShowsTheButtonsAndHandsOverToTheMoles() {
        loadMenu();
        menu().titleStep = 7;
        menu().Timer1_Timer();
        QVERIFY(c().Command1.shown());
        QVERIFY(c().Command2.shown());
        QVERIFY(c().Command3.shown());
        QVERIFY(!c().Command4.shown());
        QCOMPARE(c().Timer1.interval(), 0);
        QCOMPARE(c().Timer2.interval(), 500);
        QCOMPARE(menu().titleStep, Int(7));
    }

    void titleTimeline_data() {
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<int>("characters");
        QTest::addColumn<bool>("buttons");
        QTest::newRow("just loaded") << 0.0 << 0 << false;
        QTest::newRow("0.49 s") << 0.49 << 0 << false;
        QTest::newRow("0.5 s") << 0.5 << 1 << false;
        QTest::newRow("1.0 s") << 1.0 << 2 << false;
        QTest::newRow("1.5 s") << 1.5 << 3 << false;
        QTest::newRow("2.0 s") << 2.0 << 4 << false;
        QTest::newRow("2.5 s") << 2.5 << 5 << false;
        QTest::newRow("2.99 s") << 2.99 << 5 << false;
        QTest::newRow("3.0 s") << 3.0 << 6 << false;
        QTest::newRow("3.49 s") << 3.49 << 6 << false;
        QTest::newRow("3.5 s") << 3.5 << 6 << true;
        QTest::newRow("10 s") << 10.0 << 6 << true;
    }
    void titleTimeline() {
        QFETCH(double, elapsed);
        QFETCH(int, characters);
        QFETCH(bool, buttons);
        loadMenu();
        program.timers.advanceTo(loadedAt + elapsed);
        QVERIFY(shownCharacters(c(), characters));
        QCOMPARE(c().Command1.shown(), buttons);
        QCOMPARE(c().Command2.shown(), buttons);
        QCOMPARE(c().Command3.shown(), buttons);
        QCOMPARE(c().Timer1.interval(), buttons ? 0 : 500);
        QCOMPARE(c().Timer2.interval(), buttons ? 500 : 0);
    }

    void noButtonCanBeClickedBeforeTheTitleIsComplete() {
        loadMenu();
        program.timers.advanceTo(loadedAt + 3.49);
        forms::Form* form = menu().form();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        for (forms::PictureButton* button : {&c().Command1, &c().Command2, &c().Command3}) {
            QVERIFY(!button->isVisible());
            const QPoint centre = button->geometry().center();
            QVERIFY(form->childAt(centre) != button);
            clickAt(form, centre);
            QVERIFY(menu().isLoaded());
        }
        QCOMPARE(program.quits, 0);
        QVERIFY(!program.game.isLoaded());
        QCOMPARE(c().Timer1.interval(), 500);

        // Once they are up, the same spot reaches the button.
        program.timers.advanceTo(loadedAt + 3.5);
        QVERIFY(c().Command2.isVisible());
        QCOMPARE(form->childAt(c().Command2.geometry().center()), &c().Command2);
        clickAt(form, c().Command2.geometry().center());
        QCOMPARE(program.quits, 1);
    }

    // --- the mole scheduler -----------------------------------------------------------

    void theSchedulerReseedsBeforeEachOfItsSixDraws() {
        fakes::FakeClock clock;
        LoggingRandom random;
        OwnMenu own(clock, random);
        random.log.clear();
        own.menu.Timer2_Timer();
        QStringList expected;
        for (int i = 0; i < 6; ++i)
            expected << QStringLiteral("reseed") << QStringLiteral("next");
        QCOMPARE(random.log, expected);
    }

    void oneSchedulerTickDoesNotGiveEveryMoleTheSamePace() {
        fakes::FakeClock clock;
        clock.set(43200.0);
        forms::ClockSeededRandom random(clock);
        OwnMenu own(clock, random);
        // Several ticks, all at the same clock value: each re-seeds six times in between.
        for (int tick = 0; tick < 4; ++tick) {
            own.menu.Timer2_Timer();
            QSet<int> intervals;
            for (int i = 1; i <= 3; ++i) {
                const int interval = own.menu.controls().Timer3[i].interval();
                QVERIFY(interval >= 300 && interval <= 699);
                intervals.insert(interval);
            }
            QVERIFY2(intervals.size() > 1, "three equal intervals from one tick");
        }
    }

    void hitDraws_data() {
        QTest::addColumn<double>("draw");
        QTest::addColumn<int>("showHit");
        QTest::newRow("0.0") << 0.0 << 0;
        QTest::newRow("0.4999") << 0.4999 << 0;
        QTest::newRow("0.5") << 0.5 << 1;
        QTest::newRow("0.9999") << 0.9999 << 1;
    }
    void hitDraws() {
        QFETCH(double, draw);
        QFETCH(int, showHit);
        loadMenu();
        // The draw goes to the middle mole; the others get the opposite outcome.
        const double other = showHit ? 0.0 : 0.75;
        program.random.script({other, draw, other, 0.0, 0.0, 0.0});
        menu().Timer2_Timer();
        QCOMPARE(menu().showHit[1], Int(1 - showHit));
        QCOMPARE(menu().showHit[2], Int(showHit));
        QCOMPARE(menu().showHit[3], Int(1 - showHit));
    }

    void intervalDraws_data() {
        QTest::addColumn<double>("draw");
        QTest::addColumn<int>("interval");
        QTest::newRow("0.0") << 0.0 << 300;
        QTest::newRow("0.25") << 0.25 << 400;
        QTest::newRow("0.5") << 0.5 << 500;
        QTest::newRow("0.9975") << 0.9975 << 699;
        QTest::newRow("0.99999") << 0.99999 << 699;
    }
    void intervalDraws() {
        QFETCH(double, draw);
        QFETCH(int, interval);
        loadMenu();
        program.random.script({0.0, 0.0, 0.0, 0.1, 0.1, draw});
        const int drawnBefore = program.random.drawn;
        const int reseedsBefore = program.random.reseeds;
        menu().Timer2_Timer();
        QCOMPARE(program.random.drawn - drawnBefore, 6);
        QCOMPARE(program.random.reseeds - reseedsBefore, 6);
        QCOMPARE(c().Timer3[1].interval(), 340);
        QCOMPARE(c().Timer3[2].interval(), 340);
        QCOMPARE(c().Timer3[3].interval(), interval);
    }

    void moleSteps_data() {
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("showHit");
        QTest::addColumn<int>("nextState");
        QTest::addColumn<int>("shownElement"); // 0: none
        QTest::addColumn<bool>("markShown");
        QTest::addColumn<bool>("hitSound");
        QTest::newRow("hidden to peeking") << 0 << 0 << 1 << 1 << false << false;
        QTest::newRow("hidden to peeking, hit drawn") << 0 << 1 << 1 << 1 << false << false;
        QTest::newRow("peeking to up") << 1 << 0 << 2 << 2 << false << false;
        QTest::newRow("peeking to up with a hit") << 1 << 1 << 2 << 2 << true << true;
        QTest::newRow("up to sinking") << 2 << 0 << 3 << 3 << false << false;
        QTest::newRow("up with a hit to sinking") << 2 << 1 << 3 << 3 << false << false;
        QTest::newRow("sinking to hidden") << 3 << 0 << 0 << 0 << false << false;
        QTest::newRow("sinking to hidden, hit drawn") << 3 << 1 << 0 << 0 << false << false;
    }
    void moleSteps() {
        QFETCH(int, state);
        QFETCH(int, showHit);
        QFETCH(int, nextState);
        QFETCH(int, shownElement);
        QFETCH(bool, markShown);
        QFETCH(bool, hitSound);
        loadMenu();
        const int mole = 2;
        // The pictures as the previous steps left them; a mole that is up shows its mark
        // when it was drawn to.
        if (state >= 1)
            c().moles[mole][state].show();
        if (state == 2 && showHit == 1)
            c().Image5[mole].show();
        menu().moleState[mole] = Int(state);
        menu().showHit[mole] = Int(showHit);
        program.players.clear();

        menu().Timer3_Timer(mole);

        QCOMPARE(menu().moleState[mole], Int(nextState));
        for (int element = 1; element <= 3; ++element)
            QCOMPARE(c().moles[mole][element].shown(), element == shownElement);
        QCOMPARE(c().Image5[mole].shown(), markShown);
        QCOMPARE(program.players.played(),
                 hitSound ? QStringList{QStringLiteral("o.wav")} : QStringList{});
        // The other moles are not touched.
        for (int other : {1, 3}) {
            QCOMPARE(menu().moleState[other], Int(0));
            for (int element = 1; element <= 3; ++element)
                QVERIFY(!c().moles[other][element].shown());
            QVERIFY(!c().Image5[other].shown());
        }
    }

    void aStageOutsideTheFourIsLeftAlone_data() {
        QTest::addColumn<int>("state");
        QTest::newRow("-1") << -1;
        QTest::newRow("4") << 4;
        QTest::newRow("32767") << 32767;
    }
    void aStageOutsideTheFourIsLeftAlone() {
        QFETCH(int, state);
        loadMenu();
        menu().moleState[1] = Int(state);
        menu().showHit[1] = 1;
        c().moles[1][2].show();
        program.players.clear();
        menu().Timer3_Timer(1);
        QCOMPARE(menu().moleState[1], Int(state));
        QVERIFY(!c().moles[1][1].shown());
        QVERIFY(c().moles[1][2].shown());
        QVERIFY(!c().moles[1][3].shown());
        QVERIFY(!c().Image5[1].shown());
        QVERIFY(program.players.log.isEmpty());
    }

    void aMoleFullCycleOnVirtualTimePlaysTheHitOnce() {
        QVERIFY(loadMenuWithButtons());
        for (int tick = 0; tick < 4; ++tick)
            program.random.script(MoleOneHits);
        program.players.clear();
        const double start = loadedAt + 3.5;
        program.timers.advanceTo(start + 0.5 + 0.3); // first scheduler tick, then one step
        QCOMPARE(menu().moleState[1], Int(1));
        QVERIFY(c().moles[1][1].shown());
        program.timers.advanceTo(start + 1.0 + 0.3);
        QCOMPARE(menu().moleState[1], Int(2));
        QVERIFY(c().moles[1][2].shown() && !c().moles[1][1].shown());
        QVERIFY(c().Image5[1].shown());
        QCOMPARE(program.players.played(), QStringList{QStringLiteral("o.wav")});
        program.timers.advanceTo(start + 1.5 + 0.3);
        QCOMPARE(menu().moleState[1], Int(3));
        QVERIFY(!c().Image5[1].shown());
        program.timers.advanceTo(start + 2.0 + 0.3);
        QCOMPARE(menu().moleState[1], Int(0));
        for (int element = 1; element <= 3; ++element)
            QVERIFY(!c().moles[1][element].shown());
        QCOMPARE(program.players.played(), QStringList{QStringLiteral("o.wav")});
        QCOMPARE(menu().moleState[2], Int(0));
        QCOMPARE(menu().moleState[3], Int(0));
    }

    void aStepIntervalAboveHalfASecondNeverFiresBeforeTheNextReArm() {
        QVERIFY(loadMenuWithButtons());
        const double start = loadedAt + 3.5;
        // Mole 1: 300 ms, mole 2: 699 ms, mole 3: 502 ms; no hits.
        const int ticks = 6;
        for (int tick = 0; tick < ticks; ++tick)
            program.random.script({0.0, 0.0, 0.0, 0.0, 0.9975, 0.50501});
        program.timers.advanceTo(start + 0.5); // the first scheduler tick
        QCOMPARE(c().Timer3[1].interval(), 300);
        QCOMPARE(c().Timer3[2].interval(), 699);
        QCOMPARE(c().Timer3[3].interval(), 502);

        // Within one scheduler period the 300 ms mole steps exactly once.
        program.timers.advanceTo(start + 0.5 + 0.299);
        QCOMPARE(menu().moleState[1], Int(0));
        program.timers.advanceTo(start + 0.5 + 0.3);
        QCOMPARE(menu().moleState[1], Int(1));
        program.timers.advanceTo(start + 0.5 + 0.499);
        QCOMPARE(menu().moleState[1], Int(1));

        // Over the following ticks: one step per tick for mole 1, none for the others.
        program.timers.advanceTo(start + 0.5 * ticks + 0.499);
        QCOMPARE(menu().moleState[1], Int(ticks % 4));
        QCOMPARE(menu().moleState[2], Int(0));
        QCOMPARE(menu().moleState[3], Int(0));
        for (int element = 1; element <= 3; ++element) {
            QVERIFY(!c().moles[2][element].shown());
            QVERIFY(!c().moles[3][element].shown());
        }
    }

    void nothingMovesWhileTheAnimationIsStopped() {
        QVERIFY(loadMenuWithButtons());
        menu().moleState[1] = 1;
        c().moles[1][1].show();
        menu().moleState[2] = 2;
        c().moles[2][2].show();
        menu().showHit[3] = 1;
        menu().animationStopped = 1;
        program.players.clear();
        const int drawnBefore = program.random.drawn;
        const int reseedsBefore = program.random.reseeds;
        QList<int> intervals;
        for (int i = 1; i <= 3; ++i)
            intervals << c().Timer3[i].interval();

        menu().Timer2_Timer();
        for (int i = 1; i <= 3; ++i)
            menu().Timer3_Timer(i);

        QCOMPARE(program.random.drawn, drawnBefore);
        QCOMPARE(program.random.reseeds, reseedsBefore);
        QCOMPARE(menu().moleState[1], Int(1));
        QCOMPARE(menu().moleState[2], Int(2));
        QCOMPARE(menu().moleState[3], Int(0));
        QCOMPARE(menu().showHit[3], Int(1));
        QVERIFY(c().moles[1][1].shown() && !c().moles[1][2].shown());
        QVERIFY(c().moles[2][2].shown() && !c().moles[2][3].shown());
        QVERIFY(!c().moles[3][1].shown());
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(c().Timer3[i].interval(), intervals[i - 1]);
        QVERIFY(program.players.log.isEmpty());
    }

    // --- how to play ------------------------------------------------------------------

    void howToPlayFreezesAMoleThatIsUpWithItsMark() {
        raiseMoleOneWithItsHit();
        if (QTest::currentTestFailed())
            return;
        QVERIFY(c().Image5[1].shown());

        c().Command3.click();

        QCOMPARE(menu().animationStopped, Int(1));
        QVERIFY(!c().Command1.shown());
        QVERIFY(!c().Command2.shown());
        QVERIFY(!c().Command3.shown());
        QVERIFY(c().Label1.shown());
        QVERIFY(c().Image7.shown());
        QVERIFY(c().Image6.shown());
        QVERIFY(c().Command4.shown());
        QCOMPARE(c().Timer2.interval(), 0);
        // The view covers the menu's buttons, which do nothing while hidden.
        c().Command1.click();
        c().Command2.click();
        QVERIFY(menu().isLoaded());
        QCOMPARE(program.quits, 0);
        for (int i = 1; i <= 3; ++i)
            QCOMPARE(c().Timer3[i].interval(), 0);

        // However long the player reads, the mole stays as it was.
        program.players.clear();
        program.timers.advanceBy(30.0);
        QCOMPARE(menu().moleState[1], Int(2));
        QVERIFY(c().moles[1][2].shown());
        QVERIFY(c().Image5[1].shown());
        QVERIFY(program.players.log.isEmpty());
        QVERIFY(menu().isLoaded());
    }

    void backFromHowToPlayTheMoleContinuesWithSinking() {
        raiseMoleOneWithItsHit();
        if (QTest::currentTestFailed())
            return;
        c().Command3.click();
        program.timers.advanceBy(5.0);

        c().Command4.click();

        QCOMPARE(menu().animationStopped, Int(0));
        QVERIFY(!c().Label1.shown());
        QVERIFY(!c().Image7.shown());
        QVERIFY(!c().Image6.shown());
        QVERIFY(!c().Command4.shown());
        QVERIFY(c().Command1.shown());
        QVERIFY(c().Command2.shown());
        QVERIFY(c().Command3.shown());
        QCOMPARE(c().Timer2.interval(), 500);

        program.random.script({0.0, 0.0, 0.0, 0.0, 0.9975, 0.9975});
        program.timers.advanceBy(0.5 + 0.3);
        QCOMPARE(menu().moleState[1], Int(3));
        QVERIFY(!c().moles[1][2].shown());
        QVERIFY(c().moles[1][3].shown());
        QVERIFY(!c().Image5[1].shown());
    }

    // --- leaving the menu -------------------------------------------------------------

    void gameButtonLeavesTheGameScreenAsTheOnlyScreen() {
        TestFolder folder(QByteArray("3,3,3,3\r\n"));
        QVERIFY(loadMenuWithButtons());
        c().Command1.click();
        QVERIFY(!menu().isLoaded());
        QVERIFY(program.game.isLoaded());
        QVERIFY(!program.settings.isLoaded());
        QCOMPARE(program.navigation.loadedCount(), 1);
        QVERIFY(program.game.form()->isVisible());
        QCOMPARE(program.quits, 0);
        QVERIFY(program.reporter.problems.isEmpty());
        // The menu's timers are gone with it: time passing does nothing to it.
        program.timers.advanceBy(5.0);
        QVERIFY(!menu().isLoaded());
        QCOMPARE(program.quits, 0);
    }

    void endButtonEndsTheProgram() {
        QVERIFY(loadMenuWithButtons());
        c().Command2.click();
        QCOMPARE(program.quits, 1);
        QCOMPARE(program.navigation.loadedCount(), 0);
        QVERIFY(program.navigation.ended());
        QVERIFY(!program.game.isLoaded());
    }

    void closingTheMenuWindowByItsFrameEndsTheProgram() {
        loadMenu();
        program.timers.advanceTo(loadedAt + 1.0);
        // The screen decides what closing means: it unloads itself, window and all.
        menu().form()->close();
        QVERIFY(!menu().isLoaded());
        QCOMPARE(program.quits, 1);
        QCOMPARE(program.navigation.loadedCount(), 0);
        // Nothing of the menu runs after it has gone.
        program.timers.advanceBy(10.0);
        QCOMPARE(program.quits, 1);
    }
};

QTEST_MAIN(MenuTest)
#include "tst_menu.moc"
