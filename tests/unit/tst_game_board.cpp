// Loading the game screen: hole centres, hit targets sized by the point area, the launch
// limit, the rating marks, and the round reset.
#include "forms/Twips.h"
#include "settings/Settings.h"
#include "support/TestProgram.h"

#include <QTest>

class GameBoardTest : public QObject {
    Q_OBJECT

    GameScreen& load(const QByteArray& settingsFile) {
        folder_ = showGameOn(settingsFile);
        return testProgram().game;
    }
    std::unique_ptr<TestFolder> folder_;

private slots:
    void init() { resetProgram(); }
    void cleanup() { resetProgram(); }

    void holesAreNamedAndCentredRowByRow() {
        GameScreen& game = load(settingsLine(3, 3, 3, 3));
        for (int i = 1; i <= 9; ++i)
            QCOMPARE(game.holeImageName[i], QStringLiteral("image%1").arg(i));
        QCOMPARE(game.holeCentre[1].X, 1740);
        QCOMPARE(game.holeCentre[1].Y, 670);
        QCOMPARE(game.holeCentre[6].X, 7740);
        QCOMPARE(game.holeCentre[6].Y, 2545);
        QCOMPARE(game.holeCentre[8].X, 4740);
        QCOMPARE(game.holeCentre[8].Y, 4420);
        // Hole i's stage pictures are the array of the same number.
        QCOMPARE(game.controls().holes[7][2].objectName(), QStringLiteral("Image7(2)"));
    }

    void hitTargetsAreSizedByThePointArea_data() {
        QTest::addColumn<int>("sizeLevel");
        QTest::addColumn<QRect>("hole1Twips");
        QTest::newRow("1 wide") << 1 << QRect(915, 193, 1650, 955);
        QTest::newRow("2") << 2 << QRect(1065, 273, 1350, 795);
        QTest::newRow("3") << 3 << QRect(1215, 353, 1050, 635);
        QTest::newRow("4") << 4 << QRect(1365, 433, 750, 475);
        QTest::newRow("5 narrow") << 5 << QRect(1515, 513, 450, 315);
    }
    void hitTargetsAreSizedByThePointArea() {
        QFETCH(int, sizeLevel);
        QFETCH(QRect, hole1Twips);
        // Each hole's designed target place, holes row by row: at any point area a target
        // lies from hole 1's as its designed place does.
        const QPoint designed[] = {{1500, 450},  {4500, 450},  {7500, 450},
                                   {1500, 2325}, {4500, 2325}, {7500, 2325},
                                   {1500, 4200}, {4500, 4200}, {7500, 4200}};
        GameScreen& game = load(settingsLine(2, 2, sizeLevel, 2));
        const auto& targets = game.controls().Image13;
        for (int i = 1; i <= 9; ++i) {
            const QRect twips = hole1Twips.translated(designed[i - 1] - designed[0]);
            QCOMPARE(targets[i].geometry(),
                     forms::pixelRect(twips.x(), twips.y(), twips.width(), twips.height()));
        }
        // The mole pictures and hit marks keep their designed places whatever the area.
        QCOMPARE(game.controls().Image10[1].geometry(), QRect(100, 30, 30, 21));
        QVERIFY(!targets[1].isVisibleTo(game.form()));
    }

    // The marks by S = speed + size + count, and the launch limit by count, as tabled.
    void ratingMarksFallAsTheGameGetsHarder_data() {
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("high");
        QTest::addColumn<int>("low");
        QTest::addColumn<int>("launchLimit");
        const int highs[] = {95, 93, 92, 90, 87, 84, 81, 78, 74, 70, 65, 60, 55};
        const int lows[] = {65, 63, 62, 60, 57, 54, 51, 48, 44, 40, 35, 30, 25};
        const int launchLimits[] = {3, 4, 5, 6, 7}; // count 1 .. 5
        for (int sum = 3; sum <= 15; ++sum) {
            const int speed = std::min(5, sum - 2);
            const int size = std::min(5, sum - speed - 1);
            const int count = sum - speed - size;
            QTest::addRow("S=%d", sum) << speed << size << count << highs[sum - 3] << lows[sum - 3]
                                       << launchLimits[count - 1];
        }
    }
    void ratingMarksFallAsTheGameGetsHarder() {
        QFETCH(int, speed);
        QFETCH(int, size);
        QFETCH(int, count);
        QFETCH(int, high);
        QFETCH(int, low);
        QFETCH(int, launchLimit);
        for (int time : {1, 5}) { // the round length takes no part
            GameScreen& game = load(settingsLine(time, speed, size, count));
            QCOMPARE(int(game.highMark), high);
            QCOMPARE(int(game.lowMark), low);
            QCOMPARE(int(game.launchLimit), launchLimit);
            resetProgram();
        }
    }

    void resetRoundClearsTheRoundButKeepsTheLastRateAndHitFlags() {
        GameScreen& game = load(settingsLine(3, 3, 3, 3));
        game.hitCount = 4;
        game.greenHits = 2;
        game.pinkHits = 1;
        game.blueHits = 1;
        game.moleCount = 9;
        game.roundOver = 1;
        game.hitRate = 44;
        for (int i = 1; i <= 9; ++i) {
            game.holeState[i] = 2;
            game.feintFlag[i] = 1;
            game.reappearFlag[i] = 1;
            game.holeHit[i] = 1;
        }
        game.controls().Image16.setPicture(QPixmap(10, 10));
        game.Command1_Click(); // starts a round with the reset
        QCOMPARE(game.hitCount + game.greenHits + game.pinkHits + game.blueHits + game.moleCount,
                 0);
        QCOMPARE(game.roundOver, 0);
        for (int i = 1; i <= 9; ++i) {
            QCOMPARE(game.holeState[i], 0);
            QCOMPARE(game.feintFlag[i] + game.reappearFlag[i], 0);
            QCOMPARE(game.holeHit[i], 1);
        }
        QCOMPARE(game.hitRate, 44);
        QVERIFY(!game.controls().Image16.hasPicture());
    }

    void badSettingsFileStillLoadsTheBoardAndTellsThePlayer_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("expectedSize");
        QTest::newRow("missing") << false << QByteArray() << 3;
        QTest::newRow("garbage") << true << QByteArray("\x01\x02zz") << 3;
        QTest::newRow("out of range") << true << QByteArray("9,9,9,9\r\n") << 5;
    }
    void badSettingsFileStillLoadsTheBoardAndTellsThePlayer() {
        QFETCH(bool, present);
        QFETCH(QByteArray, content);
        QFETCH(int, expectedSize);
        folder_ = std::make_unique<TestFolder>(present ? &content : nullptr);
        TestProgram& program = testProgram();
        program.navigation.show(program.game);
        QVERIFY(program.game.isLoaded());
        QCOMPARE(int(SizeLevel), expectedSize);
        QCOMPARE(program.reporter.problems.size(), 1);
        QVERIFY(program.reporter.problems.first().contains(QStringLiteral("設定.dat")));
        QCOMPARE(folder_->settingsBytes(), present ? content : QByteArray());
    }

    void onlyTheBoardAndItsThreeButtonsShowAtLoad() {
        GameScreen& game = load(settingsLine(3, 3, 3, 3));
        QStringList shown;
        for (QWidget* child : game.form()->findChildren<QWidget*>())
            if (child->isVisibleTo(game.form()))
                shown << child->objectName();
        shown.sort();
        QCOMPARE(shown, (QStringList{"Command1", "Command2", "Command3"}));
        QCOMPARE(game.form()->size(), QSize(639, 400));
    }
};

QTEST_MAIN(GameBoardTest)
#include "tst_game_board.moc"
