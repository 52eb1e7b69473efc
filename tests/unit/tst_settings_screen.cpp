// The settings screen: sliders from the file, leaving with and without saving, what the
// game screen that follows makes of the new levels, failed saves, and the screen's labels
// and focus order.

#include "support/Files.h"
#include "support/TestProgram.h"
#include "support/Widgets.h"

#include "data/DataFolder.h"
#include "forms/Label.h"
#include "forms/Slider.h"
#include "forms/Twips.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QRegularExpression>
#include <QTimer>
#include <QtTest>

#include <array>

namespace {

using Sliders = std::array<int, 4>;

bool containsJapanese(const QString& text) {
    static const QRegularExpression japanese(
        QStringLiteral("[\\x{3040}-\\x{30ff}\\x{4e00}-\\x{9fff}]"));
    return text.contains(japanese);
}

} // namespace

class SettingsScreenTest : public QObject {
    Q_OBJECT

    TestProgram& program = testProgram();

    SettingsScreen& screen() { return program.settings; }
    const SettingsScreen::Controls& c() { return program.settings.controls(); }

    Sliders sliders() {
        return {c().HScroll1.value(), c().HScroll2.value(), c().HScroll3.value(),
                c().HScroll4.value()};
    }
    void setSliders(const Sliders& values) {
        c().HScroll1.setValue(values[0]);
        c().HScroll2.setValue(values[1]);
        c().HScroll3.setValue(values[2]);
        c().HScroll4.setValue(values[3]);
    }
    forms::PictureButton& button(const char* name) {
        return screen().form()->control<forms::PictureButton>(QString::fromLatin1(name));
    }
    [[nodiscard]] bool load() {
        program.navigation.show(program.settings);
        return screen().isLoaded();
    }
    // The player's failed save: the screen stays with the sliders as set, one problem in
    // Japanese is reported, and the game screen is not shown. Callers return on a failure.
    void verifyFailedSave(const Sliders& set) {
        QVERIFY(screen().isLoaded());
        QVERIFY(screen().form()->isVisible());
        QVERIFY(!program.game.isLoaded());
        QCOMPARE(sliders(), set);
        QCOMPARE(program.reporter.problems.size(), 1);
        QVERIFY2(containsJapanese(program.reporter.problems.first()),
                 qPrintable(program.reporter.problems.first()));
        QCOMPARE(program.quits, 0);
    }

private slots:
    void init() { resetProgram(); }
    void cleanup() { resetProgram(); }

    // --- the sliders ------------------------------------------------------------------

    void slidersStandAtTheFileValues_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Sliders>("expected");
        QTest::newRow("one line") << QByteArray("2,3,4,5\r\n") << Sliders{2, 3, 4, 5};
        QTest::newRow("four lines") << QByteArray("2\r\n3\r\n4\r\n5\r\n") << Sliders{2, 3, 4, 5};
        QTest::newRow("extremes") << QByteArray("5,1,5,1\r\n") << Sliders{5, 1, 5, 1};
    }
    void slidersStandAtTheFileValues() {
        QFETCH(QByteArray, file);
        QFETCH(Sliders, expected);
        TestFolder folder(file);
        QVERIFY(load());
        QCOMPARE(sliders(), expected);
        QVERIFY(program.reporter.problems.isEmpty());
        QCOMPARE(folder.settingsBytes(), file);
    }

    void badValuesAreClampedOntoTheSlidersAndReported_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Sliders>("expected");
        QTest::newRow("out of range") << QByteArray("7,0,-3,99999\r\n") << Sliders{5, 1, 1, 5};
        QTest::newRow("huge") << QByteArray("99999999999999999999,-99999999999999999999,2,6\r\n")
                              << Sliders{5, 1, 2, 5};
        QTest::newRow("not numbers") << QByteArray("x,2,,4\r\n") << Sliders{3, 2, 3, 4};
        QTest::newRow("too few") << QByteArray("1,2\r\n") << Sliders{1, 2, 3, 3};
        QTest::newRow("empty") << QByteArray() << Sliders{3, 3, 3, 3};
    }
    void badValuesAreClampedOntoTheSlidersAndReported() {
        QFETCH(QByteArray, file);
        QFETCH(Sliders, expected);
        TestFolder folder(file);
        QVERIFY(load());
        QCOMPARE(sliders(), expected);
        QCOMPARE(program.reporter.problems.size(), 1);
        QVERIFY(containsJapanese(program.reporter.problems.first()));
        QCOMPARE(folder.settingsBytes(), file);
    }

    // --- leaving ----------------------------------------------------------------------

    void cancelLeavesTheFileAsItWasAndShowsAFreshGameScreen() {
        const QByteArray original("2,3,4,5\r\n");
        TestFolder folder(original);
        program.game.hitCount = 17; // a value the game's loading sets back to 0
        QVERIFY(load());
        setSliders({1, 5, 1, 5});
        button("Command1").click();

        QCOMPARE(folder.settingsBytes(), original);
        QVERIFY(!screen().isLoaded());
        QVERIFY(program.game.isLoaded());
        QCOMPARE(program.navigation.loadedCount(), 1);
        QVERIFY(program.game.form()->isVisible());
        QCOMPARE(program.game.hitCount, GameScreen::Int(0));
        QCOMPARE(program.game.launchLimit, GameScreen::Int(7)); // count 5
        QVERIFY(program.reporter.problems.isEmpty());
        QCOMPARE(program.quits, 0);
    }

    void saveWritesTheSlidersAndTheGameUsesThem_data() {
        QTest::addColumn<Sliders>("set");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<int>("launchLimit");
        QTest::addColumn<int>("highMark");
        QTest::addColumn<int>("lowMark");
        QTest::addColumn<int>("targetWidthTwips");
        QTest::addColumn<int>("targetHeightTwips");
        QTest::newRow("1,5,2,4") << Sliders{1, 5, 2, 4} << QByteArray::fromHex("312C352C322C340D0A")
                                 << 6 << 74 << 44 << 1350 << 795;
        QTest::newRow("5,1,5,1") << Sliders{5, 1, 5, 1} << QByteArray("5,1,5,1\r\n") << 3 << 87
                                 << 57 << 450 << 315;
        QTest::newRow("3,3,3,3") << Sliders{3, 3, 3, 3} << QByteArray("3,3,3,3\r\n") << 5 << 81
                                 << 51 << 1050 << 635;
        QTest::newRow("2,5,1,5") << Sliders{2, 5, 1, 5} << QByteArray("2,5,1,5\r\n") << 7 << 74
                                 << 44 << 1650 << 955;
        QTest::newRow("1,5,5,5") << Sliders{1, 5, 5, 5} << QByteArray("1,5,5,5\r\n") << 7 << 55
                                 << 25 << 450 << 315;
    }
    void saveWritesTheSlidersAndTheGameUsesThem() {
        QFETCH(Sliders, set);
        QFETCH(QByteArray, written);
        QFETCH(int, launchLimit);
        QFETCH(int, highMark);
        QFETCH(int, lowMark);
        QFETCH(int, targetWidthTwips);
        QFETCH(int, targetHeightTwips);
        TestFolder folder(QByteArray("4,4,4,4\r\n"));
        QVERIFY(load());
        setSliders(set);
        button("Command2").click();

        QCOMPARE(folder.settingsBytes(), written);
        QVERIFY(!screen().isLoaded());
        QVERIFY(program.game.isLoaded());
        QCOMPARE(program.navigation.loadedCount(), 1);
        QVERIFY(program.reporter.problems.isEmpty());
        const GameScreen& game = program.game;
        QCOMPARE(game.launchLimit, GameScreen::Int(launchLimit));
        QCOMPARE(game.highMark, GameScreen::Int(highMark));
        QCOMPARE(game.lowMark, GameScreen::Int(lowMark));
        const QSize targetSize(forms::toPixels(targetWidthTwips),
                               forms::toPixels(targetHeightTwips));
        for (int hole = 1; hole <= 9; ++hole)
            QCOMPARE(game.controls().Image13[hole].size(), targetSize);
    }

    void aSaveWithoutChangesRewritesAFourLineFileAsOneLine() {
        TestFolder folder(QByteArray("2\r\n3\r\n4\r\n5\r\n"));
        QVERIFY(load());
        button("Command2").click();
        QCOMPARE(folder.settingsBytes(), QByteArray("2,3,4,5\r\n"));
        QVERIFY(program.game.isLoaded());
    }

    void aSaveIntoAReadOnlyFolderAndFileFailsAndKeepsTheScreen() {
        const QByteArray original("2,3,4,5\r\n");
        TestFolder folder(original);
        const QString dataFolder = folder.path() + QStringLiteral("/データ");
        QVERIFY(load());
        QVERIFY(QFile::setPermissions(folder.settingsPath(), QFile::ReadOwner));
        const ReadOnlyFolder readOnly(dataFolder);
        QVERIFY(readOnly.permissionsChanged());
        if (!readOnly.refusesWrites())
            QSKIP("permissions do not stop this user from writing");
        setSliders({1, 5, 2, 4});
        button("Command2").click();
        verifyFailedSave({1, 5, 2, 4});
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(folder.settingsBytes(), original);
        QCOMPARE(QDir(dataFolder).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("設定.dat")});
    }

    void aSaveIntoAMissingFolderFailsAndKeepsTheScreen() {
        TestFolder folder(QByteArray("2,3,4,5\r\n"));
        const QString dataFolder = folder.path() + QStringLiteral("/データ");
        QVERIFY(load());
        QVERIFY(QDir(dataFolder).removeRecursively());
        setSliders({1, 5, 2, 4});
        button("Command2").click();
        verifyFailedSave({1, 5, 2, 4});
        if (QTest::currentTestFailed())
            return;
        QVERIFY(!QFileInfo::exists(dataFolder));

        // The player can still leave without saving.
        button("Command1").click();
        QVERIFY(!screen().isLoaded());
        QVERIFY(program.game.isLoaded());
    }

    // Installed: the delivered file is read until the first save, which creates the
    // player's folder and file; the delivered file is never written.
    void installedTheFirstSaveCreatesThePlayersOwnFile() {
        const QByteArray delivered("2,3,4,5\r\n");
        TestFolder shared(delivered);
        QTemporaryDir home;
        const QString own = home.path() + QStringLiteral("/conf/pokopenpan/設定.dat");
        program.dataFolder = data::DataFolder::installed(shared.path(), own);
        QVERIFY(load());
        QCOMPARE(sliders(), (Sliders{2, 3, 4, 5}));
        setSliders({1, 5, 2, 4});
        button("Command2").click();

        QVERIFY(program.reporter.problems.isEmpty());
        QCOMPARE(fileBytes(own), QByteArray("1,5,2,4\r\n"));
        QCOMPARE(shared.settingsBytes(), delivered);
        QVERIFY(program.game.isLoaded());
        QCOMPARE(program.game.launchLimit, GameScreen::Int(6)); // the player's count, 4

        // Saved once, the player's file is what both screens read.
        program.navigation.unload(program.game);
        QVERIFY(load());
        QCOMPARE(sliders(), (Sliders{1, 5, 2, 4}));
    }

    void installedASaveWhereNoFolderCanBeMadeFailsAndSaysWhy() {
        TestFolder shared(QByteArray("2,3,4,5\r\n"));
        QTemporaryDir home;
        const QString blocker = home.path() + QStringLiteral("/conf");
        QFile file(blocker); // a file where the settings folder would go
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        program.dataFolder = data::DataFolder::installed(
            shared.path(), blocker + QStringLiteral("/pokopenpan/設定.dat"));
        QVERIFY(load());
        setSliders({1, 5, 2, 4});
        button("Command2").click();
        verifyFailedSave({1, 5, 2, 4});
        if (QTest::currentTestFailed())
            return;
        QVERIFY(program.reporter.problems.constFirst().contains(QStringLiteral("pokopenpan")));
        QCOMPARE(shared.settingsBytes(), QByteArray("2,3,4,5\r\n"));
    }

    // --- labels and focus -------------------------------------------------------------

    void eachSliderHasItsEndLabelsOnEitherSide_data() {
        QTest::addColumn<QString>("frame");
        QTest::addColumn<QString>("slider");
        QTest::addColumn<QString>("leftLabel");
        QTest::addColumn<QString>("leftCaption");
        QTest::addColumn<QString>("rightLabel");
        QTest::addColumn<QString>("rightCaption");
        QTest::newRow("time") << "Frame1"
                              << "HScroll1"
                              << "Label1"
                              << "短"
                              << "Label2"
                              << "長";
        QTest::newRow("speed") << "Frame2"
                               << "HScroll2"
                               << "Label3"
                               << "遅"
                               << "Label4"
                               << "速";
        QTest::newRow("area") << "Frame3"
                              << "HScroll3"
                              << "Label6"
                              << "広"
                              << "Label5"
                              << "狭";
        QTest::newRow("count") << "Frame4"
                               << "HScroll4"
                               << "Label8"
                               << "少"
                               << "Label7"
                               << "多";
    }
    void eachSliderHasItsEndLabelsOnEitherSide() {
        QFETCH(QString, frame);
        QFETCH(QString, slider);
        QFETCH(QString, leftLabel);
        QFETCH(QString, leftCaption);
        QFETCH(QString, rightLabel);
        QFETCH(QString, rightCaption);
        TestFolder folder(QByteArray("3,3,3,3\r\n"));
        QVERIFY(load());
        const forms::Form& form = *screen().form();
        QWidget* group = form.findControl(frame);
        QWidget* bar = form.findControl(slider);
        auto* left = qobject_cast<forms::Label*>(form.findControl(leftLabel));
        auto* right = qobject_cast<forms::Label*>(form.findControl(rightLabel));
        QVERIFY(group && bar && left && right);
        QCOMPARE(left->caption(), leftCaption);
        QCOMPARE(right->caption(), rightCaption);
        QCOMPARE(bar->parentWidget(), group);
        QCOMPARE(left->parentWidget(), group);
        QCOMPARE(right->parentWidget(), group);
        QVERIFY(left->isVisible() && right->isVisible() && bar->isVisible());
        QVERIFY2(left->geometry().right() < bar->geometry().left(), qPrintable(leftLabel));
        QVERIFY2(right->geometry().left() > bar->geometry().right(), qPrintable(rightLabel));
        // Side by side on one line, not above or below it.
        QVERIFY(left->geometry().top() < bar->geometry().bottom());
        QVERIFY(left->geometry().bottom() > bar->geometry().top());
        QVERIFY(right->geometry().top() < bar->geometry().bottom());
        QVERIFY(right->geometry().bottom() > bar->geometry().top());
    }

    void tabGoesThroughTheSlidersThenCancelThenSave() {
        TestFolder folder(QByteArray("3,3,3,3\r\n"));
        QVERIFY(load());
        QCOMPARE(
            tabChain(screen().form()->findControl(QStringLiteral("HScroll1"))),
            (QStringList{"HScroll1", "HScroll2", "HScroll3", "HScroll4", "Command1", "Command2"}));
    }

    void noControlOffersTheToolkitsEnglishContextMenu() {
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
};

QTEST_MAIN(SettingsScreenTest)
#include "tst_settings_screen.moc"
