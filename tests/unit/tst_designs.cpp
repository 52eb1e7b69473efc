// The screens as built from their designs: window sizes and captions, the sliders' scale,
// where the controls lie in pixels, how they stack and take focus, the result labels'
// looks, the pointers, and where real mouse clicks on the game board end up.

#include "support/TestProgram.h"
#include "support/Widgets.h"

#include "forms/FormBuilder.h"
#include "forms/Label.h"
#include "forms/Slider.h"
#include "forms/Twips.h"
#include "game/GameDesign.h"
#include "menu/MenuDesign.h"
#include "settings/SettingsDesign.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QFontDatabase>
#include <QFontInfo>
#include <QScrollBar>
#include <QtTest>

#include <memory>

namespace {

const design::Screen& designOf(const QString& screen) {
    if (screen == QLatin1String("game"))
        return design::gameScreen();
    if (screen == QLatin1String("menu"))
        return design::menuScreen();
    return design::settingsScreen();
}

QString nameOf(const char* name, int index) {
    const QString base = QString::fromLatin1(name);
    return index ? QStringLiteral("%1(%2)").arg(base).arg(index) : base;
}

// The form itself for an empty name, otherwise the named container in it.
QWidget* containerIn(forms::Form* form, const QString& container) {
    return container.isEmpty() ? form : form->findChild<QWidget*>(container);
}

// The names of `parent`'s child controls, back to front.
QStringList childNames(const QWidget* parent) {
    QStringList names;
    for (const QObject* child : parent->children())
        if (child->isWidgetType())
            names << child->objectName();
    return names;
}

// The same, keeping only those in `names`.
QStringList stackingOf(const QWidget* parent, const QStringList& names) {
    QStringList order = childNames(parent);
    order.removeIf([&names](const QString& name) { return !names.contains(name); });
    return order;
}

QStringList reversed(QStringList list) {
    std::reverse(list.begin(), list.end());
    return list;
}

// Counts the double-click events a control receives.
class DoubleClickCounter final : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MouseButtonDblClick)
            ++count;
        return false;
    }
};

} // namespace

class DesignsTest : public QObject {
    Q_OBJECT

    TestProgram& program = testProgram();

    std::unique_ptr<forms::Form> build(const QString& screen) {
        return design::buildForm(designOf(screen), program.timers, program.players, {});
    }
    GameScreen& game() { return program.game; }
    const GameScreen::Controls& g() { return program.game.controls(); }
    // Shows the game on a folder of its own, its window on screen. Callers return on a
    // failure.
    void loadGame(const QByteArray& settingsFile) {
        folder_ = showGameOn(settingsFile);
        QVERIFY(game().isLoaded());
        QVERIFY(QTest::qWaitForWindowExposed(game().form()));
    }
    std::unique_ptr<TestFolder> folder_;

private slots:
    void initTestCase() {
        // As the program does at start-up: the design's Mincho face stands for IPAMincho.
        QFont::insertSubstitution(QString::fromUtf8(design::MinchoFamily),
                                  QStringLiteral("IPAMincho"));
    }
    void init() { resetProgram(); }
    void cleanup() {
        resetProgram();
        folder_.reset();
    }

    // --- windows ----------------------------------------------------------------------

    void windows_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QSize>("clientSize");
        QTest::addColumn<QString>("caption");
        QTest::newRow("game") << "game" << QSize(639, 400) << "ゲーム";
        QTest::newRow("menu") << "menu" << QSize(639, 397) << "メニュー";
        QTest::newRow("settings") << "settings" << QSize(304, 377) << "設定";
    }
    void windows() {
        QFETCH(QString, screen);
        QFETCH(QSize, clientSize);
        QFETCH(QString, caption);
        auto form = build(screen);
        QCOMPARE(form->size(), clientSize);
        QCOMPARE(form->minimumSize(), clientSize);
        QCOMPARE(form->maximumSize(), clientSize);
        QCOMPARE(form->windowTitle(), caption);
        const Qt::WindowFlags flags = form->windowFlags();
        QVERIFY(flags.testFlag(Qt::Window));
        QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!form->windowIcon().isNull());
    }

    void theDesignedSlidersStandAtThreeOnAOneToFiveScale() {
        auto form = build(QStringLiteral("settings"));
        for (const char* name : {"HScroll1", "HScroll2", "HScroll3", "HScroll4"}) {
            const auto& slider = form->control<forms::Slider>(QString::fromLatin1(name));
            QCOMPARE(slider.value(), 3);
            QCOMPARE(slider.minimum(), 1);
            QCOMPARE(slider.maximum(), 5);
            QCOMPARE(slider.singleStep(), 1);
            QCOMPARE(slider.pageStep(), 1);
            QCOMPARE(slider.orientation(), Qt::Horizontal);
        }
    }

    // --- what a screen reader meets ----------------------------------------------------

    // Each control a player presses or reads, every button and slider of the three screens
    // and the results' values, is named by the words painted on it or for it (the captions
    // of the screens' tables), with the role a screen reader announces.
    void controlsHaveTheirCaptionsAsAccessibleNames_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("role");
        QTest::addColumn<QString>("name");
        const int button = QAccessible::Button, bar = QAccessible::ScrollBar,
                  text = QAccessible::StaticText;
        QTest::newRow("menu Command1") << "menu"
                                       << "Command1" << button << "ゲーム";
        QTest::newRow("menu Command2") << "menu"
                                       << "Command2" << button << "おわり";
        QTest::newRow("menu Command3") << "menu"
                                       << "Command3" << button << "遊び方";
        QTest::newRow("menu Command4") << "menu"
                                       << "Command4" << button << "もどる";
        QTest::newRow("game Command1") << "game"
                                       << "Command1" << button << "スタート";
        QTest::newRow("game Command2") << "game"
                                       << "Command2" << button << "おわり";
        QTest::newRow("game Command3") << "game"
                                       << "Command3" << button << "設　定";
        QTest::newRow("game Command4") << "game"
                                       << "Command4" << button << "判　定";
        QTest::newRow("game Command5") << "game"
                                       << "Command5" << button << "もどる";
        QTest::newRow("game Label2") << "game"
                                     << "Label2" << text << "ポイント";
        QTest::newRow("game Label3") << "game"
                                     << "Label3" << text << "緑もぐら";
        QTest::newRow("game Label4") << "game"
                                     << "Label4" << text << "桃もぐら";
        QTest::newRow("game Label5") << "game"
                                     << "Label5" << text << "青もぐら";
        QTest::newRow("game Label6") << "game"
                                     << "Label6" << text << "ヒット率";
        QTest::newRow("settings HScroll1") << "settings"
                                           << "HScroll1" << bar << "ゲーム時間設定";
        QTest::newRow("settings HScroll2") << "settings"
                                           << "HScroll2" << bar << "もぐらスピード";
        QTest::newRow("settings HScroll3") << "settings"
                                           << "HScroll3" << bar << "ポイントエリア";
        QTest::newRow("settings HScroll4") << "settings"
                                           << "HScroll4" << bar << "同時出現数設定";
        QTest::newRow("settings Command1") << "settings"
                                           << "Command1" << button << "設定中止";
        QTest::newRow("settings Command2") << "settings"
                                           << "Command2" << button << "設定完了";
    }
    void controlsHaveTheirCaptionsAsAccessibleNames() {
        QFETCH(QString, screen);
        QFETCH(QString, control);
        QFETCH(int, role);
        QFETCH(QString, name);
        auto form = build(screen);
        auto* widget = form->findChild<QWidget*>(control);
        QVERIFY(widget);
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
        QVERIFY(accessible);
        QCOMPARE(int(accessible->role()), role);
        QCOMPARE(accessible->text(QAccessible::Name), name);
    }

    // The results read as their row and value, and a slider's value is its level.
    void resultsAndLevelsAreReadAsValues() {
        auto game = build("game");
        auto& points = *game->findChild<forms::Label*>("Label2");
        points.setCaption("12");
        QCOMPARE(QAccessible::queryAccessibleInterface(&points)->text(QAccessible::Name),
                 "ポイント 12");
        auto settings = build("settings");
        auto* speed = settings->findChild<QScrollBar*>("HScroll2");
        speed->setValue(5);
        QAccessibleValueInterface* value =
            QAccessible::queryAccessibleInterface(speed)->valueInterface();
        QVERIFY(value);
        QCOMPARE(value->currentValue().toInt(), 5);
        QCOMPARE(value->minimumValue().toInt(), 1);
        QCOMPARE(value->maximumValue().toInt(), 5);
    }

    // --- places -----------------------------------------------------------------------

    void pixelPlaces_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("control");
        QTest::addColumn<QString>("container"); // empty: the window
        QTest::addColumn<QRect>("place");
        QTest::newRow("game Command3") << "game"
                                       << "Command3"
                                       << "" << QRect(40, 13, 89, 27);
        QTest::newRow("game Command1") << "game"
                                       << "Command1"
                                       << "" << QRect(512, 13, 89, 27);
        QTest::newRow("game Image1(1) peeking") << "game"
                                                << "Image1(1)"
                                                << "" << QRect(40, 63, 160, 67);
        QTest::newRow("game Image1(2) out") << "game"
                                            << "Image1(2)"
                                            << "" << QRect(40, 14, 160, 116);
        QTest::newRow("game Image9(1) sinking") << "game"
                                                << "Image9(1)"
                                                << "" << QRect(440, 264, 160, 116);
        QTest::newRow("game Image9(2) out") << "game"
                                            << "Image9(2)"
                                            << "" << QRect(440, 264, 160, 116);
        QTest::newRow("game Image13(5) as designed") << "game"
                                                     << "Image13(5)"
                                                     << "" << QRect(300, 155, 30, 21);
        QTest::newRow("game Image10(5)") << "game"
                                         << "Image10(5)"
                                         << "" << QRect(300, 155, 30, 21);
        QTest::newRow("game Image14(9)") << "game"
                                         << "Image14(9)"
                                         << "" << QRect(503, 330, 26, 13);
        QTest::newRow("game Image11(2)") << "game"
                                         << "Image11(2)"
                                         << "" << QRect(230, 104, 180, 180);
        QTest::newRow("game Image12") << "game"
                                      << "Image12"
                                      << "" << QRect(0, 1, 640, 400);
        QTest::newRow("game Frame1") << "game"
                                     << "Frame1"
                                     << "" << QRect(0, 0, 640, 400);
        QTest::newRow("game Label6") << "game"
                                     << "Label6"
                                     << "Frame1" << QRect(240, 273, 58, 34);
        QTest::newRow("game Label2") << "game"
                                     << "Label2"
                                     << "Frame1" << QRect(215, 85, 108, 34);
        QTest::newRow("game Label1") << "game"
                                     << "Label1"
                                     << "Frame1" << QRect(352, 73, 262, 197);
        QTest::newRow("game Image16") << "game"
                                      << "Image16"
                                      << "Frame1" << QRect(365, 85, 237, 168);
        QTest::newRow("game Image15") << "game"
                                      << "Image15"
                                      << "Frame1" << QRect(27, 73, 300, 247);
        QTest::newRow("game Command4") << "game"
                                       << "Command4"
                                       << "Frame1" << QRect(438, 294, 89, 27);
        QTest::newRow("game Command5") << "game"
                                       << "Command5"
                                       << "Frame1" << QRect(525, 19, 89, 27);
        QTest::newRow("menu Image2(1)") << "menu"
                                        << "Image2(1)"
                                        << "" << QRect(40, 188, 160, 67);
        QTest::newRow("menu Image1(6)") << "menu"
                                        << "Image1(6)"
                                        << "" << QRect(500, 332, 42, 47);
        QTest::newRow("menu Label1") << "menu"
                                     << "Label1"
                                     << "" << QRect(15, 13, 615, 368);
        QTest::newRow("menu Command4") << "menu"
                                       << "Command4"
                                       << "" << QRect(464, 309, 89, 27);
        QTest::newRow("settings Frame3") << "settings"
                                         << "Frame3"
                                         << "" << QRect(20, 166, 265, 71);
        QTest::newRow("settings HScroll1") << "settings"
                                           << "HScroll1"
                                           << "Frame1" << QRect(50, 37, 160, 20);
        QTest::newRow("settings Label5") << "settings"
                                         << "Label5"
                                         << "Frame3" << QRect(211, 36, 24, 20);
        QTest::newRow("settings Command2") << "settings"
                                           << "Command2"
                                           << "" << QRect(162, 338, 89, 27);
    }
    void pixelPlaces() {
        QFETCH(QString, screen);
        QFETCH(QString, control);
        QFETCH(QString, container);
        QFETCH(QRect, place);
        auto form = build(screen);
        QWidget* widget = form->findChild<QWidget*>(control);
        QVERIFY2(widget, qPrintable(control));
        QCOMPARE(widget->parentWidget(), containerIn(form.get(), container));
        QCOMPARE(widget->geometry(), place);
    }

    // --- stacking ---------------------------------------------------------------------

    void controlsStackAsDesigned_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("container");
        QTest::newRow("game window") << "game"
                                     << "";
        QTest::newRow("game results panel") << "game"
                                            << "Frame1";
        QTest::newRow("menu window") << "menu"
                                     << "";
    }
    void controlsStackAsDesigned() {
        QFETCH(QString, screen);
        QFETCH(QString, container);
        auto form = build(screen);
        QWidget* parent = containerIn(form.get(), container);
        QVERIFY(parent);
        QStringList designed; // front to back, this container's part of the design
        for (const design::ControlRef& ref : designOf(screen).frontToBack) {
            QWidget* widget = form->findControl(QString::fromLatin1(ref.name), ref.index);
            QVERIFY2(widget, ref.name);
            if (widget->parentWidget() == parent)
                designed << nameOf(ref.name, ref.index);
        }
        QVERIFY(designed.size() >= 2);
        QCOMPARE(stackingOf(parent, designed), reversed(designed));
    }

    void theResultsPanelStacksItsValuesOverTheTable() {
        auto form = build(QStringLiteral("game"));
        const QStringList frontToBack{"Label6", "Label5",  "Label4", "Label3",
                                      "Label2", "Image16", "Label1", "Image15"};
        QCOMPARE(stackingOf(form->findChild<QWidget*>("Frame1"), frontToBack),
                 reversed(frontToBack));
    }

    void onTheBoardTargetsLieOverTheMissAreaWhichLiesOverTheMoles() {
        auto form = build(QStringLiteral("game"));
        const QStringList all = childNames(form.get());
        const auto at = [&all](const QString& name) { return all.indexOf(name); };
        const int missArea = at(QStringLiteral("Image12"));
        QVERIFY(missArea >= 0);
        for (int hole = 1; hole <= 9; ++hole) {
            QVERIFY(at(nameOf("Image13", hole)) > missArea);
            QVERIFY(at(nameOf("Image14", hole)) > at(nameOf("Image13", hole)));
            QVERIFY(at(nameOf("Image10", hole)) < missArea);
            for (int element = 1; element <= 3; ++element)
                QVERIFY(at(QStringLiteral("Image%1(%2)").arg(hole).arg(element)) < missArea);
            // A mole that is fully out stands in front of the peeking and sinking pictures.
            QVERIFY(at(QStringLiteral("Image%1(2)").arg(hole)) >
                    at(QStringLiteral("Image%1(1)").arg(hole)));
            QVERIFY(at(QStringLiteral("Image%1(2)").arg(hole)) >
                    at(QStringLiteral("Image%1(3)").arg(hole)));
        }
    }

    void windowedControlsStandInFrontOfEveryPicture_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QString>("container");
        QTest::addColumn<QStringList>("windowedBackToFront");
        QTest::newRow("game window")
            << "game"
            << "" << QStringList{"Command3", "Command2", "Command1", "Frame1"};
        QTest::newRow("game results panel") << "game"
                                            << "Frame1" << QStringList{"Command4", "Command5"};
        QTest::newRow("menu window")
            << "menu"
            << "" << QStringList{"Command3", "Command2", "Command1", "Command4"};
    }
    void windowedControlsStandInFrontOfEveryPicture() {
        QFETCH(QString, screen);
        QFETCH(QString, container);
        QFETCH(QStringList, windowedBackToFront);
        auto form = build(screen);
        QWidget* parent = containerIn(form.get(), container);
        const QStringList all = childNames(parent);
        // The windowed controls are the last ones, in the design's order.
        QVERIFY(all.size() > windowedBackToFront.size());
        QCOMPARE(all.mid(all.size() - windowedBackToFront.size()), windowedBackToFront);
        for (const QString& name : all.first(all.size() - windowedBackToFront.size())) {
            QWidget* widget = parent->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
            QVERIFY2(qobject_cast<forms::PictureBox*>(widget) ||
                         qobject_cast<forms::Label*>(widget),
                     qPrintable(name));
        }
    }

    // --- focus ------------------------------------------------------------------------

    void tabOrder_data() {
        QTest::addColumn<QString>("screen");
        QTest::addColumn<QStringList>("order");
        QTest::newRow("game") << "game"
                              << QStringList{"Command3", "Command2", "Command1", "Command4",
                                             "Command5"};
        QTest::newRow("menu") << "menu"
                              << QStringList{"Command1", "Command2", "Command3", "Command4"};
    }
    void tabOrder() {
        QFETCH(QString, screen);
        QFETCH(QStringList, order);
        auto form = build(screen);
        QCOMPARE(tabChain(form->findChild<QWidget*>(order.first())), order);
    }

    // --- looks ------------------------------------------------------------------------

    void resultValuesAreLargeBoldMinchoWhiteOnNavy_data() {
        QTest::addColumn<QString>("label");
        for (const char* name : {"Label2", "Label3", "Label4", "Label5", "Label6"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void resultValuesAreLargeBoldMinchoWhiteOnNavy() {
        QFETCH(QString, label);
        auto form = build(QStringLiteral("game"));
        auto* widget = form->findChild<forms::Label*>(label);
        QVERIFY(widget);
        const QFont font = widget->font();
        QCOMPARE(font.pixelSize(), 35);
        QVERIFY(font.bold());
        QCOMPARE(font.family(), QString::fromUtf8(design::MinchoFamily));
        if (!QFontDatabase::families().contains(QStringLiteral("IPAMincho")))
            QSKIP("IPAMincho is not installed");
        const QString resolved = QFontInfo(font).family();
        QVERIFY2(resolved.contains(QStringLiteral("Mincho")) || resolved.contains(u"明朝"),
                 qPrintable(resolved));
        QVERIFY(widget->autoFillBackground());
        QCOMPARE(widget->palette().color(QPalette::Window), QColor(0, 0, 128));
        QCOMPARE(widget->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(widget->alignment(), Qt::AlignCenter);
    }

    void onlyTheBoardAndItsTargetsHaveTheBoardPointer() {
        auto form = build(QStringLiteral("game"));
        QStringList pointed;
        for (QWidget* widget : form->findChildren<QWidget*>()) {
            const QCursor cursor = widget->cursor();
            if (cursor.shape() == Qt::ArrowCursor)
                continue;
            pointed << widget->objectName();
            QCOMPARE(cursor.shape(), Qt::BitmapCursor);
            QVERIFY(!cursor.pixmap().isNull());
            QCOMPARE(cursor.hotSpot(), QPoint(16, 16));
        }
        pointed.sort();
        QStringList expected{"Image12"};
        for (int hole = 1; hole <= 9; ++hole)
            expected << nameOf("Image13", hole);
        expected.sort();
        QCOMPARE(pointed, expected);
        QCOMPARE(form->cursor().shape(), Qt::ArrowCursor);
    }

    // --- real clicks on the game board ------------------------------------------------

    // A click on a shown target hits, to its last pixel; one beside it reaches the miss area.
    void aClickHitsOnlyInsideAShownTarget_data() {
        QTest::addColumn<QString>("side"); // of the target, or its centre
        QTest::addColumn<int>("past");     // pixels past that edge
        QTest::addColumn<bool>("hit");
        QTest::newRow("centre") << "centre" << 0 << true;
        QTest::newRow("right edge") << "right" << 0 << true;
        QTest::newRow("just right") << "right" << 1 << false;
        QTest::newRow("right") << "right" << 3 << false;
        QTest::newRow("left") << "left" << 3 << false;
        QTest::newRow("below") << "below" << 3 << false;
    }
    void aClickHitsOnlyInsideAShownTarget() {
        QFETCH(QString, side);
        QFETCH(int, past);
        QFETCH(bool, hit);
        loadGame(QByteArray("3,3,3,3\r\n"));
        if (QTest::currentTestFailed())
            return;
        game().holeHit[5] = 0;
        g().Image12.show();
        g().Image13[5].show();
        program.players.clear();
        const QRect target = g().Image13[5].geometry();
        QPoint point = target.center();
        if (side == QLatin1String("right"))
            point.setX(target.right() + past);
        else if (side == QLatin1String("left"))
            point.setX(target.left() - past);
        else if (side == QLatin1String("below"))
            point.setY(target.bottom() + past);
        const QWidget* reached = hit ? &g().Image13[5] : &g().Image12;
        QCOMPARE(game().form()->childAt(point), reached);
        clickAt(game().form(), point);
        QCOMPARE(game().hitCount, GameScreen::Int(hit ? 1 : 0));
        QCOMPARE(program.players.played(),
                 QStringList{hit ? QStringLiteral("o.wav") : QStringLiteral("x.wav")});
        QCOMPARE(g().Image10[5].shown(), hit);
    }

    void aClickOnAShownButtonNeverReachesTheBoard_data() {
        QTest::addColumn<QString>("button");
        QTest::newRow("start") << "Command1";
        QTest::newRow("end") << "Command2";
        QTest::newRow("settings") << "Command3";
    }
    void aClickOnAShownButtonNeverReachesTheBoard() {
        QFETCH(QString, button);
        loadGame(QByteArray("3,3,3,3\r\n"));
        if (QTest::currentTestFailed())
            return;
        g().Image12.show();
        program.players.clear();
        auto* pressed = game().form()->findChild<forms::PictureButton*>(button);
        QVERIFY(pressed && pressed->isVisible());
        const QPoint centre = pressed->geometry().center();
        QCOMPARE(game().form()->childAt(centre), pressed);
        clickAt(game().form(), centre);
        QVERIFY(!program.players.played().contains(QStringLiteral("x.wav")));
        QCOMPARE(game().hitCount, GameScreen::Int(0));
        // The button did what it is for.
        if (button == QLatin1String("Command1")) {
            QCOMPARE(g().Timer3.interval(), 100);
            QVERIFY(!g().Command1.isVisible());
        } else if (button == QLatin1String("Command2")) {
            QCOMPARE(g().Timer4.interval(), 100);
            QVERIFY(!g().Command2.isVisible());
        } else {
            QVERIFY(!game().isLoaded());
            QVERIFY(program.settings.isLoaded());
        }
    }

    void theSecondClickOfADoubleClickReachesNothing_data() {
        QTest::addColumn<bool>("onTarget");
        QTest::newRow("target") << true;
        QTest::newRow("miss area") << false;
    }
    void theSecondClickOfADoubleClickReachesNothing() {
        QFETCH(bool, onTarget);
        loadGame(QByteArray("3,3,3,3\r\n"));
        if (QTest::currentTestFailed())
            return;
        g().Image12.show();
        g().Image13[5].show();
        const QRect target = g().Image13[5].geometry();
        const QPoint point = onTarget ? target.center() : target.topLeft() - QPoint(20, 20);
        QWidget* window = game().form();

        // A first click, as a baseline that counts.
        game().holeHit[5] = 0;
        program.players.clear();
        clickAt(window, point);
        QCOMPARE(program.players.played().size(), 1);

        // Then a double-click: press, release, press (the double-click), release.
        game().holeHit[5] = 0;
        program.players.clear();
        DoubleClickCounter doubleClicks;
        window->childAt(point)->installEventFilter(&doubleClicks);
        QTest::mouseDClick(window->windowHandle(), Qt::LeftButton, {}, point);
        QCOMPARE(doubleClicks.count, 1); // Qt did see the second press as a double-click
        const QString sound = onTarget ? QStringLiteral("o.wav") : QStringLiteral("x.wav");
        QCOMPARE(program.players.played(), QStringList{sound});
        QCOMPARE(game().hitCount, GameScreen::Int(onTarget ? 2 : 0));
    }
};

QTEST_MAIN(DesignsTest)
#include "tst_designs.moc"
