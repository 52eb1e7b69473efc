// A round on the game screen with a fake clock and scripted draws: the countdown, the mole
// cycle, hits and misses, the end of the round, the rating, and the closing sequence.
#include "support/TestProgram.h"

#include <QFile>
#include <QPointer>
#include <QPointingDevice>
#include <QTest>

#include <array>

namespace {

// Draws that steer the scheduling tick: Int(draw × 4) = 1 picks a hole, Int(draw × 6) = 1
// makes a feint, Int(draw × 6) <= 4 makes a reappearance.
constexpr double Pick = 0.3, Skip = 0.0;
constexpr double Feint = 0.2, NoFeint = 0.0;
constexpr double Reappear = 0.0, NoReappear = 0.9;

} // namespace

class GameRoundTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestFolder> folder_;
    TestProgram& program = testProgram();
    GameScreen& game = program.game;

    // Shows the game on its own folder; the middle levels unless told otherwise.
    void load(const QByteArray& settingsFile = settingsLine(3, 3, 3, 3)) {
        folder_ = showGameOn(settingsFile);
        program.players.clear();
    }
    const GameScreen::Controls& c() const { return program.game.controls(); }

    // Loads the game, starts a round at the given clock time and runs the countdown to the
    // start of play, before any mole. False when play never starts.
    [[nodiscard]] bool startPlay(const QByteArray& settingsFile = settingsLine(3, 3, 3, 3),
                                 double pressedAt = 100.2) {
        load(settingsFile);
        program.clock.set(pressedAt);
        game.Command1_Click();
        for (int tick = 0; tick < 50 && !c().Image12.shown(); ++tick)
            program.timers.advanceBy(0.1);
        return c().Image12.shown();
    }

    // Two stage ticks take a mole from hidden through peeking to out.
    void bringOut(int hole) {
        game.Timer2_Timer(hole);
        game.Timer2_Timer(hole);
    }

    // The scheduling tick a second after the end of a 30-second round (time level 1).
    void endRound() {
        program.clock.set(game.roundStartTime + 31);
        game.Timer1_Timer();
    }

    // Every visible control agrees with the stage of its hole. Callers return on a failure.
    void checkBoardMatchesStages() {
        for (int i = 1; i <= 9; ++i) {
            const int stage = game.holeState[i];
            QCOMPARE(c().holes[i][1].shown(), stage == 1);
            QCOMPARE(c().holes[i][2].shown(), stage == 2);
            QCOMPARE(c().holes[i][3].shown(), stage == 3);
            QCOMPARE(c().Image13[i].shown(), stage == 2);
            if (c().Image10[i].shown())
                QVERIFY(stage == 2 && game.holeHit[i] == 1);
        }
    }

private slots:
    void init() { resetProgram(); }
    void cleanup() { resetProgram(); }

    // --- the countdown ---

    // A step needs more than half a second after the last whole-second stamp. For each step,
    // `after` is the last 100 ms tick that must not take it; the next tick does.
    void countdownStepsFallOnTheFirstTickAfterEachHalfSecond_data() {
        QTest::addColumn<double>("pressedAt");
        QTest::addColumn<QList<double>>("after");
        QTest::newRow("pressed at 100.2: ticks at each half second")
            << 100.2 << QList<double>{100.5, 101.5, 102.5, 103.5};
        QTest::newRow("pressed at 100.7: ticks at each half second")
            << 100.7 << QList<double>{101.5, 102.5, 103.5, 104.5};
        QTest::newRow("pressed at 100.201: ticks just past each half second")
            << 100.201 << QList<double>{100.401, 101.401, 102.401, 103.401};
    }
    void countdownStepsFallOnTheFirstTickAfterEachHalfSecond() {
        QFETCH(double, pressedAt);
        QFETCH(QList<double>, after);
        load();
        program.clock.set(pressedAt);
        game.Command1_Click();
        QVERIFY(!c().Command1.shown() && !c().Command2.shown() && !c().Command3.shown());
        QVERIFY(!c().Image11[1].shown());
        for (int step = 1; step <= 4; ++step) {
            const double boundary = after[step - 1];
            program.timers.advanceTo(boundary);
            QCOMPARE(int(game.countdownStep), step - 1); // not yet at the boundary itself
            program.timers.advanceTo(boundary + 0.1 + 1e-6);
            QCOMPARE(int(game.countdownStep), step);
        }
        QCOMPARE(c().Timer3.interval(), 0);
        QCOMPARE(c().Timer1.interval(), 1000);
    }

    void countdownShowsThreeTwoOneWithTheirBeepsThenStartsTheMusic() {
        load();
        QStringList seen;
        program.clock.set(100.2);
        game.Command1_Click();
        for (int tick = 0; tick < 45; ++tick) {
            program.timers.advanceBy(0.1);
            QString shown;
            for (int k = 1; k <= 3; ++k)
                if (c().Image11[k].shown())
                    shown += QString::number(4 - k);
            if (seen.isEmpty() || seen.last() != shown)
                seen << shown;
        }
        QCOMPARE(seen, (QStringList{"", "3", "2", "1", ""}));
        const QStringList log = program.players.log;
        const int music = log.indexOf(QRegularExpression(QStringLiteral("^\\d+ play bgm.wav$")));
        QVERIFY(music > 0);
        QCOMPARE(log.mid(music + 1, 1).value(0).endsWith(QStringLiteral("count 0")), true);
        QCOMPARE(program.players.played(),
                 (QStringList{"pipi.wav", "pipi.wav", "pipipi.wav", "bgm.wav"}));
        QVERIFY(c().Image12.shown());
        QCOMPARE(game.roundStartTime, 104); // stamped at 103.6
    }

    void boardTakesNoClicksAndNoMoleComesBeforePlay() {
        load();
        program.clock.set(100.2);
        game.Command1_Click();
        program.timers.advanceTo(103.55);
        QVERIFY(!c().Image12.shown()); // the miss area, and so every click, waits for play
        QCOMPARE(c().Timer1.interval(), 0);
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(c().Timer2[i].interval(), 0);
        program.timers.advanceTo(104.55); // play started at 103.6; its first tick is at 104.6
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(game.holeState[i], 0);
    }

    // --- the scheduling tick ---

    void schedulingDrawsInOrderAndSetsIntervalsByPace() {
        QVERIFY(startPlay(settingsLine(3, 2, 3, 5)));
        const int reseeds = program.random.reseeds;
        // Hole 1: picked, no feint, reappear, interval draw 0 -> 1200 ms at speed 2.
        // Hole 2: picked, feint -> no reappear draw; interval draw 0.999 -> 299 + 1200.
        // Holes 3..9 not picked.
        program.random.script({Pick, NoFeint, Reappear, 0.0, Pick, Feint, 0.999, Skip, Skip, Skip,
                               Skip, Skip, Skip, Skip});
        game.Timer1_Timer();
        QVERIFY(program.random.scriptEmpty());
        QCOMPARE(program.random.reseeds, reseeds + 1); // once per tick
        QCOMPARE(c().Timer2[1].interval(), 1200);
        QCOMPARE(int(game.feintFlag[1]), 0);
        QCOMPARE(int(game.reappearFlag[1]), 1);
        QCOMPARE(c().Timer2[2].interval(), 1499);
        QCOMPARE(int(game.feintFlag[2]), 1);
        for (int i = 3; i <= 9; ++i)
            QCOMPARE(c().Timer2[i].interval(), 0);
    }

    void aPickedHoleThatIsOutKeepsItsReappearFlagAndNeverFeints() {
        QVERIFY(startPlay(settingsLine(3, 3, 3, 5)));
        game.holeState[4] = 2;
        game.reappearFlag[4] = 1;
        game.feintFlag[4] = 1;
        program.random.script({Skip, Skip, Skip, Pick, 0.5, Skip, Skip, Skip, Skip, Skip});
        game.Timer1_Timer();
        QVERIFY(program.random.scriptEmpty()); // no feint or reappear draw for it
        QCOMPARE(int(game.feintFlag[4]), 0);
        QCOMPARE(int(game.reappearFlag[4]), 1);
        QCOMPARE(c().Timer2[4].interval(), 1050); // Int(0.5 × 300) over 900 at speed 3
    }

    void pickLimitEndsTheTickAndLeavesLaterHolesRunning_data() {
        QTest::addColumn<int>("countLevel");
        QTest::newRow("count 1: two holes at most") << 1;
        QTest::newRow("count 5: six holes at most") << 5;
    }
    void pickLimitEndsTheTickAndLeavesLaterHolesRunning() {
        QFETCH(int, countLevel);
        QVERIFY(startPlay(settingsLine(3, 3, 3, countLevel)));
        // Every hole runs with flags set, as if from earlier ticks.
        for (int i = 1; i <= 9; ++i) {
            c().Timer2[i].setInterval(1111);
            game.feintFlag[i] = 1;
            game.reappearFlag[i] = 1;
        }
        // Hole 1 is skipped; then every hole is picked until the limit.
        program.random.script({Skip});
        const int restarted = countLevel + 1;
        for (int k = 0; k < restarted; ++k)
            program.random.script({Pick, NoFeint, NoReappear, 0.0});
        program.random.script({Pick}); // reaches the limit
        game.Timer1_Timer();
        QVERIFY(program.random.scriptEmpty());
        QCOMPARE(c().Timer2[1].interval(), 0);
        QCOMPARE(int(game.feintFlag[1] + game.reappearFlag[1]), 0);
        for (int i = 2; i < 2 + restarted; ++i) {
            QCOMPARE(c().Timer2[i].interval(), 900);
            QCOMPARE(int(game.reappearFlag[i]), 0);
        }
        for (int i = 2 + restarted; i <= 9; ++i) {
            QCOMPARE(c().Timer2[i].interval(), 1111);
            QCOMPARE(int(game.feintFlag[i]), 1);
            QCOMPARE(int(game.reappearFlag[i]), 1);
        }
    }

    void anUnpickedHoleFreezesOutAndStaysHittable() {
        QVERIFY(startPlay());
        bringOut(5);
        program.random.script({Skip, Skip, Skip, Skip, Skip, Skip, Skip, Skip, Skip});
        game.Timer1_Timer();
        QCOMPARE(c().Timer2[5].interval(), 0);
        QVERIFY(c().Image13[5].shown());
        QVERIFY(c().holes[5][2].shown());
        game.Image13_Click(5);
        QCOMPARE(int(game.hitCount), 1);
    }

    // --- the stage tick ---

    void stagesRunHiddenPeekingOutSinking() {
        QVERIFY(startPlay());
        game.holeHit[3] = 1; // left over from an earlier round
        game.Timer2_Timer(3);
        QCOMPARE(int(game.holeState[3]), 1);
        QCOMPARE(int(game.holeHit[3]), 0);
        checkBoardMatchesStages();
        if (QTest::currentTestFailed())
            return;
        game.Timer2_Timer(3);
        QCOMPARE(int(game.holeState[3]), 2);
        QCOMPARE(int(game.moleCount), 1);
        checkBoardMatchesStages();
        if (QTest::currentTestFailed())
            return;
        game.Image13_Click(3);
        QVERIFY(c().Image10[3].shown());
        game.Timer2_Timer(3);
        QCOMPARE(int(game.holeState[3]), 3);
        QVERIFY(!c().Image10[3].shown());
        QCOMPARE(int(game.holeHit[3]), 0);
        checkBoardMatchesStages();
        if (QTest::currentTestFailed())
            return;
        game.Timer2_Timer(3);
        QCOMPARE(int(game.holeState[3]), 0);
        checkBoardMatchesStages();
    }

    void aFeintGoesFromPeekingStraightToSinkingAndMayStillReappear() {
        QVERIFY(startPlay());
        game.feintFlag[6] = 1;
        game.reappearFlag[6] = 1;
        game.Timer2_Timer(6);
        game.Timer2_Timer(6);
        QCOMPARE(int(game.holeState[6]), 3);
        QCOMPARE(int(game.moleCount), 0);
        checkBoardMatchesStages();
        if (QTest::currentTestFailed())
            return;
        game.Timer2_Timer(6); // the reappear flag brings it out from sinking
        QCOMPARE(int(game.holeState[6]), 2);
        QCOMPARE(int(game.moleCount), 1);
        checkBoardMatchesStages();
    }

    void hole9PeeksWithItsSinkingPicture() {
        QVERIFY(startPlay());
        game.Timer2_Timer(9);
        QCOMPARE(c().holes[9][1].geometry(), c().holes[9][3].geometry());
        QCOMPARE(c().holes[9][1].picture().toImage(), c().holes[9][3].picture().toImage());
        QVERIFY(c().holes[8][1].height() < c().holes[8][3].height());
    }

    void aStageTickAfterTheEndHidesEveryMoleAndChangesNothing() {
        QVERIFY(startPlay());
        game.roundOver = 1;
        game.holeState[2] = 1;
        for (int hole : {1, 4, 9})
            c().holes[hole][2].show();
        game.Timer2_Timer(2);
        QCOMPARE(int(game.holeState[2]), 1);
        for (int hole = 1; hole <= 9; ++hole)
            for (int element = 1; element <= 3; ++element)
                QVERIFY(!c().holes[hole][element].shown());
    }

    // --- hits and misses ---

    void hitsCountOncePerAppearanceAndByColour_data() {
        QTest::addColumn<int>("hole");
        QTest::addColumn<int>("green");
        QTest::addColumn<int>("pink");
        QTest::addColumn<int>("blue");
        const int colour[] = {0, 0, 1, 2, 2, 0, 1, 1, 2, 0}; // green, pink, blue by hole
        for (int hole = 1; hole <= 9; ++hole)
            QTest::addRow("hole %d", hole) << hole << int(colour[hole] == 0)
                                           << int(colour[hole] == 1) << int(colour[hole] == 2);
    }
    void hitsCountOncePerAppearanceAndByColour() {
        QFETCH(int, hole);
        QFETCH(int, green);
        QFETCH(int, pink);
        QFETCH(int, blue);
        QVERIFY(startPlay());
        bringOut(hole);
        program.players.clear();
        game.Image13_Click(hole);
        game.Image13_Click(hole); // the second click on the same mole counts nothing
        QCOMPARE(program.players.played(), QStringList{"o.wav"});
        QCOMPARE(int(game.hitCount), 1);
        QCOMPARE(int(game.greenHits), green);
        QCOMPARE(int(game.pinkHits), pink);
        QCOMPARE(int(game.blueHits), blue);
        QVERIFY(c().Image10[hole].shown());
        QCOMPARE(int(game.holeState[hole]), 2); // a hit does not end the mole's stay
    }

    void bothAppearancesOfAReappearingMoleCount() {
        QVERIFY(startPlay());
        game.reappearFlag[1] = 1;
        bringOut(1);
        game.Image13_Click(1);
        game.Timer2_Timer(1); // sinking
        game.Timer2_Timer(1); // out again
        game.Image13_Click(1);
        QCOMPARE(int(game.hitCount), 2);
        QCOMPARE(int(game.greenHits), 2);
        QCOMPARE(int(game.moleCount), 2);
    }

    void aMissOnlySounds() {
        QVERIFY(startPlay());
        program.players.clear();
        game.Image12_Click();
        QCOMPARE(program.players.played(), QStringList{"x.wav"});
        QCOMPARE(int(game.hitCount), 0);
    }

    // --- fingers on a touch screen ---

    // Each finger that comes down acts as a click where it lands, the first finger still
    // down or not: `fingers` lists where they land in order (a hole's mole, or 0 for the
    // bare board between the first two columns), each in a touch event of its own while the
    // earlier ones stay down, or all in one event when `together`. Holes 1, 5, 9 hold green
    // moles, 2, 6, 7 pink, 3, 4, 8 blue; only the moles in `out` are fully out.
    void fingersActAsOneClickEachWhereTheyLand_data() {
        QTest::addColumn<QList<int>>("out");
        QTest::addColumn<QList<int>>("fingers");
        QTest::addColumn<bool>("together");
        QTest::addColumn<QStringList>("sounds");
        QTest::addColumn<QList<int>>("greenPinkBlue");
        const QStringList hit{"o.wav"}, hitHit{"o.wav", "o.wav"};
        QTest::newRow("a second finger on another mole, the first still down")
            << QList{1, 2} << QList{1, 2} << false << hitHit << QList{1, 1, 0};
        QTest::newRow("two fingers on two moles at once")
            << QList{3, 5} << QList{3, 5} << true << hitHit << QList{1, 0, 1};
        QTest::newRow("one finger, one hit")
            << QList{4} << QList{4} << false << hit << QList{0, 0, 1};
        QTest::newRow("a finger on the bare board: a miss")
            << QList<int>{} << QList{0} << false << QStringList{"x.wav"} << QList{0, 0, 0};
        QTest::newRow("a finger where a mole is not out: a miss")
            << QList{2} << QList{6} << false << QStringList{"x.wav"} << QList{0, 0, 0};
        QTest::newRow("a second finger on the bare board, the first still down: two misses")
            << QList<int>{} << QList{0, 0} << false << QStringList{"x.wav", "x.wav"}
            << QList{0, 0, 0};
        QTest::newRow("two fingers on the bare board at once: two misses")
            << QList<int>{} << QList{0, 0} << true << QStringList{"x.wav", "x.wav"}
            << QList{0, 0, 0};
        QTest::newRow("a hit, then a miss beside it")
            << QList{8} << QList{8, 0} << false << QStringList{"o.wav", "x.wav"} << QList{0, 0, 1};
        QTest::newRow("two fingers on the same mole, one after the other")
            << QList{7} << QList{7, 7} << false << hit << QList{0, 1, 0};
        QTest::newRow("two fingers on the same mole at once")
            << QList{9} << QList{9, 9} << true << hit << QList{1, 0, 0};
    }
    void fingersActAsOneClickEachWhereTheyLand() {
        QFETCH(QList<int>, out);
        QFETCH(QList<int>, fingers);
        QFETCH(bool, together);
        QFETCH(QStringList, sounds);
        QFETCH(QList<int>, greenPinkBlue);
        static QPointingDevice* const touchScreen = QTest::createTouchDevice();
        QVERIFY(startPlay());
        for (const int hole : out)
            bringOut(hole);
        program.players.clear();
        QWidget* form = game.form();
        const auto place = [&](int finger, int hole) {
            // Two fingers on one place land a few pixels apart, as real ones would.
            return (hole ? c().Image13[hole].geometry().center() : QPoint(220, 200)) +
                   QPoint(3 * finger, 0);
        };
        auto touch = QTest::touchEvent(form, touchScreen, false);
        for (int finger = 0; finger < fingers.size(); ++finger) {
            touch.press(finger, place(finger, fingers[finger]), form);
            if (!together) {
                for (int earlier = 0; earlier < finger; ++earlier)
                    touch.stationary(earlier);
                touch.commit();
            }
        }
        if (together)
            touch.commit();
        for (int finger = 0; finger < fingers.size(); ++finger)
            touch.release(finger, place(finger, fingers[finger]), form);
        touch.commit();
        // No mouse click was made of any touch beside it: that would sound again.
        QCOMPARE(program.players.played(), sounds);
        QCOMPARE(int(game.hitCount), int(sounds.count("o.wav")));
        QCOMPARE((QList{int(game.greenHits), int(game.pinkHits), int(game.blueHits)}),
                 greenPinkBlue);
    }

    // --- the end of the round ---

    // The round lasts 30, 60, 90, 120 or 150 s by its time level, and ends only once more
    // than that has passed since the start stamp: at its length exactly it goes on.
    void roundEndsOnlyWhenMoreThanItsLengthHasPassed_data() {
        QTest::addColumn<int>("timeLevel");
        QTest::addColumn<double>("elapsed");
        QTest::addColumn<bool>("ends");
        QTest::newRow("30 s: 29.999") << 1 << 29.999 << false;
        QTest::newRow("30 s: at its length") << 1 << 30.0 << false;
        QTest::newRow("30 s: just past") << 1 << 30.001 << true;
        QTest::newRow("60 s: at its length") << 2 << 60.0 << false;
        QTest::newRow("60 s: just past") << 2 << 60.001 << true;
        QTest::newRow("90 s: at its length") << 3 << 90.0 << false;
        QTest::newRow("90 s: just past") << 3 << 90.001 << true;
        QTest::newRow("120 s: at its length") << 4 << 120.0 << false;
        QTest::newRow("120 s: just past") << 4 << 120.001 << true;
        QTest::newRow("150 s: at its length") << 5 << 150.0 << false;
        QTest::newRow("150 s: just past") << 5 << 150.001 << true;
    }
    void roundEndsOnlyWhenMoreThanItsLengthHasPassed() {
        QFETCH(int, timeLevel);
        QFETCH(double, elapsed);
        QFETCH(bool, ends);
        QVERIFY(startPlay(settingsLine(timeLevel, 3, 3, 3)));
        program.clock.set(game.roundStartTime + elapsed);
        game.Timer1_Timer();
        QCOMPARE(int(game.roundOver), ends ? 1 : 0);
        QCOMPARE(c().Frame1.shown(), ends);
    }

    void roundEndsOnItsThirtiethOrThirtyFirstTick() {
        QVERIFY(startPlay(settingsLine(1, 3, 3, 3))); // play starts at 103.6 with the stamp 104
        int ticks = 0;
        while (game.roundOver == 0 && ticks < 40) {
            program.timers.advanceTo(103.6 + ticks + 1 + 1e-6);
            ++ticks;
        }
        QCOMPARE(ticks, 31);
        QVERIFY(c().Frame1.shown());
        QVERIFY(c().Command1.shown() && c().Command2.shown() && c().Command3.shown());
        QVERIFY(program.players.log.last().endsWith(QStringLiteral(" stop")) ||
                program.players.log.filter(QStringLiteral(" stop")).size() == 1);
        QCOMPARE(program.timers.runningCount(), 0);
    }

    void endOfRoundHidesAnOutMoleWithItsMark() {
        QVERIFY(startPlay(settingsLine(1, 3, 3, 3)));
        bringOut(5);
        game.Image13_Click(5);
        endRound();
        QVERIFY(!c().holes[5][2].shown());
        QVERIFY(!c().Image10[5].shown());
        QVERIFY(!c().Image13[5].shown());
        QVERIFY(!c().Image12.shown());
        QCOMPARE(int(game.holeState[5]), 2); // left for the next reset
    }

    void resultsShowCountsAndTheRoundedRate_data() {
        QTest::addColumn<int>("hits");
        QTest::addColumn<int>("moles");
        QTest::addColumn<int>("rate");
        QTest::newRow("no mole came out") << 0 << 0 << 0;
        QTest::newRow("0 of 5") << 0 << 5 << 0;
        QTest::newRow("1 of 8 rounds half up") << 1 << 8 << 13;
        QTest::newRow("1 of 3") << 1 << 3 << 33;
        QTest::newRow("2 of 3") << 2 << 3 << 67;
        QTest::newRow("7 of 8") << 7 << 8 << 88;
        QTest::newRow("all") << 12 << 12 << 100;
    }
    void resultsShowCountsAndTheRoundedRate() {
        QFETCH(int, hits);
        QFETCH(int, moles);
        QFETCH(int, rate);
        QVERIFY(startPlay(settingsLine(1, 3, 3, 3)));
        game.moleCount = static_cast<GameScreen::Int>(moles);
        game.hitCount = static_cast<GameScreen::Int>(hits);
        game.greenHits = static_cast<GameScreen::Int>(hits / 2);
        game.pinkHits = static_cast<GameScreen::Int>(hits - hits / 2);
        program.clock.set(game.roundStartTime + 40);
        game.Timer1_Timer();
        QCOMPARE(int(game.hitRate), rate);
        QCOMPARE(c().Label2.caption(), QString::number(hits));
        QCOMPARE(c().Label3.caption(), QString::number(hits / 2));
        QCOMPARE(c().Label4.caption(), QString::number(hits - hits / 2));
        QCOMPARE(c().Label5.caption(), QStringLiteral("0"));
        QCOMPARE(c().Label6.caption(), QString::number(rate));
    }

    // --- the rating ---

    // The ten sounds are read when the screen loads, so that none of them, the results
    // panel's included, waits for the disk when it is due.
    void everySoundOfTheScreenIsReadWhenItLoads() {
        folder_ = showGameOn(settingsLine(3, 3, 3, 3));
        QStringList read = program.players.preloaded;
        read.sort();
        QCOMPARE(read, (QStringList{"bgm.wav", "dame.wav", "jizou.wav", "kakasi.wav", "karasu.wav",
                                    "o.wav", "owari.wav", "pipi.wav", "pipipi.wav", "x.wav"}));
    }

    void ratingFigureFollowsTheMarks_data() {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("rate");
        QTest::addColumn<QString>("sound");
        QTest::newRow("51 at marks 81/51") << 3 << 51 << "karasu.wav";
        QTest::newRow("52 at marks 81/51") << 3 << 52 << "kakasi.wav";
        QTest::newRow("80 at marks 81/51") << 3 << 80 << "kakasi.wav";
        QTest::newRow("81 at marks 81/51") << 3 << 81 << "jizou.wav";
        QTest::newRow("25 at marks 55/25") << 5 << 25 << "karasu.wav";
        QTest::newRow("26 at marks 55/25") << 5 << 26 << "kakasi.wav";
        QTest::newRow("55 at marks 55/25") << 5 << 55 << "jizou.wav";
        QTest::newRow("no mole came out: the crow") << 3 << 0 << "karasu.wav";
    }
    void ratingFigureFollowsTheMarks() {
        QFETCH(int, level);
        QFETCH(int, rate);
        QFETCH(QString, sound);
        load(settingsLine(level, level, level, level));
        folder_->addRatingFigures();
        game.hitRate = static_cast<GameScreen::Int>(rate);
        c().Frame1.show();
        game.Command4_Click();
        QCOMPARE(program.players.played(), QStringList{sound});
        QVERIFY(c().Image16.hasPicture());
        QVERIFY(c().Image16.width() <= 237 && c().Image16.height() <= 168);
        QCOMPARE(c().Image16.pos(), QPoint(365, 85)); // keeps its corner at the new size
        QCOMPARE(c().Timer5.interval(), sound == QStringLiteral("karasu.wav") ? 100 : 0);
    }

    void crowFollowUpComesBetweenHalfASecondAndASecondAndAHalfLater_data() {
        QTest::addColumn<double>("pressedAt");
        QTest::addColumn<double>("firstPossible");
        QTest::newRow("first half of a second: a tick at 1 s") << 200.3 << 201.0;
        QTest::newRow("second half of a second: a tick at 1 s") << 200.7 << 202.0;
        QTest::newRow("first half of a second: a tick just past 1 s") << 200.301 << 200.901;
    }
    void crowFollowUpComesBetweenHalfASecondAndASecondAndAHalfLater() {
        QFETCH(double, pressedAt);
        QFETCH(double, firstPossible);
        load();
        folder_->addRatingFigures();
        game.hitRate = 10;
        program.clock.set(pressedAt);
        game.Command4_Click();
        program.timers.advanceTo(firstPossible);
        QCOMPARE(program.players.played(), QStringList{"karasu.wav"});
        program.timers.advanceTo(firstPossible + 0.1 + 1e-6);
        QCOMPARE(program.players.played(), (QStringList{"karasu.wav", "dame.wav"}));
        const double delay = program.clock.now() - pressedAt;
        QVERIFY(delay >= 0.5 && delay <= 1.5 + 0.1);
        QCOMPARE(c().Timer5.interval(), 0);
    }

    void aSecondCrowPressPostponesTheFollowUp() {
        load();
        folder_->addRatingFigures();
        game.hitRate = 10;
        program.clock.set(200.3);
        game.Command4_Click();
        program.timers.advanceTo(200.8);
        game.Command4_Click(); // stamp 201
        program.timers.advanceTo(201.95);
        QCOMPARE(program.players.played(), (QStringList{"karasu.wav", "karasu.wav"}));
        program.timers.advanceTo(203.0);
        QCOMPARE(program.players.played(), (QStringList{"karasu.wav", "karasu.wav", "dame.wav"}));
        // After the follow-up, a new press plays both again.
        game.Command4_Click();
        program.timers.advanceTo(205.0);
        QCOMPARE(program.players.played().mid(3), (QStringList{"karasu.wav", "dame.wav"}));
    }

    void aMissingFigureLeavesTheBoxEmptyButStillSounds() {
        load();
        folder_->addRatingFigures();
        QFile::remove(folder_->path() + QStringLiteral("/データ/絵/地蔵.gif"));
        game.hitRate = 100;
        game.Command4_Click();
        QVERIFY(!c().Image16.hasPicture());
        QCOMPARE(program.players.played(), QStringList{"jizou.wav"});
        // A file of garbage under the right name does no better, and no worse.
        QFile garbage(folder_->path() + QStringLiteral("/データ/絵/地蔵.gif"));
        QVERIFY(garbage.open(QIODevice::WriteOnly));
        garbage.write("GIF89a not really");
        garbage.close();
        game.Command4_Click();
        QVERIFY(!c().Image16.hasPicture());
    }

    void backHidesThePanelOnly() {
        QVERIFY(startPlay(settingsLine(1, 3, 3, 3)));
        folder_->addRatingFigures();
        endRound();
        game.hitRate = 5;
        game.Command4_Click();
        game.Command5_Click();
        QVERIFY(!c().Frame1.shown());
        QVERIFY(c().Command1.shown());
        QVERIFY(c().Image16.hasPicture());
        QCOMPARE(c().Timer5.interval(), 100); // the follow-up still comes
        // 判定 went with the panel: pressed now, it does nothing.
        program.players.clear();
        c().Command4.click();
        QVERIFY(program.players.played().isEmpty());
        // The next round starts with an empty figure box.
        game.Command1_Click();
        QVERIFY(!c().Image16.hasPicture());
    }

    // --- the closing sequence and the settings button ---

    // Each phase of the closing waits at least 1.2 s after the last whole-second stamp: a
    // tick at 1.2 s takes it. `firstStep` is the tick that shows the mouths' moles; the
    // phases after it come a second apart.
    void closingSequenceShowsMolesThenMouthsThenEndsTheProgram_data() {
        QTest::addColumn<double>("pressedAt");
        QTest::addColumn<double>("firstStep");
        QTest::newRow("pressed at 50.3") << 50.3 << 51.2;
        QTest::newRow("pressed at 0.3: a tick 1.2 s after its stamp, exactly") << 0.3 << 1.2;
        QTest::newRow("pressed at 50.301: a tick just past 1.2 s") << 50.301 << 51.201;
    }
    void closingSequenceShowsMolesThenMouthsThenEndsTheProgram() {
        QFETCH(double, pressedAt);
        QFETCH(double, firstStep);
        load();
        program.clock.set(pressedAt);
        game.Command2_Click();
        QVERIFY(!c().Command1.shown() && !c().Command2.shown() && !c().Command3.shown());
        for (int hole = 1; hole <= 9; ++hole)
            QVERIFY(c().holes[hole][1].shown());
        program.timers.advanceTo(firstStep - 0.05);
        QCOMPARE(int(game.quitStep), 0);
        program.timers.advanceTo(firstStep);
        QCOMPARE(int(game.quitStep), 1);
        for (int hole = 1; hole <= 9; ++hole) {
            QVERIFY(c().holes[hole][1].shown() && c().holes[hole][2].shown());
            QVERIFY(!c().holes[hole][3].shown());
        }
        QVERIFY(program.players.played().isEmpty());
        program.timers.advanceTo(firstStep + 0.95);
        QCOMPARE(int(game.quitStep), 1);
        program.timers.advanceTo(firstStep + 1.0);
        QCOMPARE(int(game.quitStep), 2);
        QCOMPARE(program.players.played(), QStringList{"owari.wav"});
        for (int i = 1; i <= 9; ++i)
            QVERIFY(c().Image14[i].shown());
        QCOMPARE(program.quits, 0);
        program.timers.advanceTo(firstStep + 1.95);
        QVERIFY(game.isLoaded());
        program.timers.advanceTo(firstStep + 2.0);
        QVERIFY(!game.isLoaded());
        QCOMPARE(program.quits, 1);
    }

    void settingsButtonLeadsToTheSettingsScreenAndBackToAFreshBoard() {
        QVERIFY(startPlay(settingsLine(1, 3, 3, 3)));
        endRound();
        game.Command5_Click();
        game.Command3_Click();
        QVERIFY(!game.isLoaded());
        QVERIFY(program.settings.isLoaded());
        program.settings.Command1_Click();
        QVERIFY(game.isLoaded());
        QVERIFY(!c().Frame1.shown());
        QVERIFY(c().Command1.shown());
        QCOMPARE(program.navigation.loadedCount(), 1);
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

    // --- many rounds ---

    void manyRoundsKeepTheRulesAfterEveryEvent() {
        int rounds = 0;
        for (int time = 1; time <= 5; ++time)
            for (int speed = 1; speed <= 5; ++speed)
                for (int size = 1; size <= 5; size += 2)
                    for (int count = 1; count <= 5; count += 2) {
                        if ((time + speed + size + count) % 3 != 0 && time > 1)
                            continue; // keep the long rounds to a sample
                        resetProgram();
                        QVERIFY(startPlay(settingsLine(time, speed, size, count),
                                          1000.2 + rounds * 0.37));
                        // The shortest stage interval by speed, from the table of paces.
                        const int slow = std::array{1500, 1200, 900, 600, 300}[speed - 1];
                        for (int step = 0; game.roundOver == 0 && step < 4000; ++step) {
                            program.timers.advanceBy(0.05);
                            const int action = static_cast<int>(program.random.next() * 10);
                            const int hole = 1 + static_cast<int>(program.random.next() * 9);
                            if (action == 0 && c().Image13[hole].shown())
                                game.Image13_Click(hole);
                            else if (action == 1 && c().Image12.shown())
                                game.Image12_Click();
                            if (game.roundOver != 0)
                                break;
                            QVERIFY(game.hitCount <= game.moleCount);
                            QCOMPARE(game.hitCount, game.greenHits + game.pinkHits + game.blueHits);
                            for (int i = 1; i <= 9; ++i) {
                                const int interval = c().Timer2[i].interval();
                                QVERIFY(interval == 0 ||
                                        (interval >= slow && interval < slow + 300));
                            }
                            checkBoardMatchesStages();
                            if (QTest::currentTestFailed())
                                return;
                        }
                        QCOMPARE(int(game.roundOver), 1);
                        QVERIFY(game.hitRate >= 0 && game.hitRate <= 100);
                        QCOMPARE(c().Label2.caption().toInt(), c().Label3.caption().toInt() +
                                                                   c().Label4.caption().toInt() +
                                                                   c().Label5.caption().toInt());
                        ++rounds;
                    }
    }
};

QTEST_MAIN(GameRoundTest)
#include "tst_game_round.moc"
