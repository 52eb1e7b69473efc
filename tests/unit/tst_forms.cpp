// The window runtime under the screens: time stamps, timers on virtual time, control
// arrays, random re-seeding, twips, clicks and touches on pictures, buttons and sliders, the
// application's accessible name, and lookups by name.
#include "forms/AccessibleName.h"
#include "forms/ControlArray.h"
#include "forms/Form.h"
#include "forms/FormBuilder.h"
#include "forms/Label.h"
#include "forms/OneBased.h"
#include "forms/PictureBox.h"
#include "forms/PictureButton.h"
#include "forms/Random.h"
#include "forms/Slider.h"
#include "forms/Timer.h"
#include "forms/Twips.h"
#include "support/Child.h"
#include "support/Fakes.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QSignalSpy>
#include <QTest>

namespace {

// Set in a child of the lookup test: the row it runs.
constexpr char ChildRow[] = "POKO_FORMS_LOOKUP_ROW";

// A form with one of each kind of thing a screen looks up, then the row's lookup. A lookup
// that stops the program never returns; one that returns fails the child.
void lookUpInChild(const QString& row) {
    expectToStop();

    fakes::FakeClock clock;
    fakes::VirtualTimers timers(clock);
    fakes::RecordingPlayers players;
    forms::Form form(QStringLiteral("試し"), QSize(200, 100), {});
    form.registerControl(QStringLiteral("Image1"), 1, new forms::PictureBox(&form));
    form.registerControl(QStringLiteral("Label1"), 0, new forms::Label(&form, {}));
    form.registerControl(QStringLiteral("Command1"), 0, new forms::PictureButton(&form));
    form.addTimer(QStringLiteral("Timer1"), 0, timers);
    form.addPlayer(QStringLiteral("MediaPlayer1"), players.create());
    // A design of a frame holding a label, both styled unless the row leaves one bare.
    const forms::LabelStyle style;
    using design::Kind;
    design::Control designed[] = {
        {Kind::Frame, "Frame1", 0, 0, 0, 1500, 1500, true, assets::Picture::None, nullptr, &style},
        {Kind::Label, "Label1", 0, 150, 150, 600, 300, true, assets::Picture::None, "Frame1",
         &style}};
    const auto build = [&] {
        design::buildForm({"設計", 3000, 1500, assets::Picture::None, {}, designed, {}, {}}, timers,
                          players, {});
    };

    if (row == QLatin1String("right names")) {
        form.control<forms::PictureBox>(QStringLiteral("image1"), 1);
        form.control<forms::Label>(QStringLiteral("Label1"));
        QCOMPARE(form.controlArray<forms::PictureBox>(QStringLiteral("Image1")).count(), 1);
        form.onClick(QStringLiteral("Command1"), 0, [] {});
        form.onClick(QStringLiteral("Image1"), 1, [] {});
        form.onTimer(QStringLiteral("Timer1"), 0, [] {});
        form.timer(QStringLiteral("TIMER1"));
        form.player(QStringLiteral("MediaPlayer1"));
        // The first and last elements of an array and of a table are there.
        form.controlArray<forms::PictureBox>(QStringLiteral("Image1"))[1].hide();
        forms::OneBased<int, 9> table;
        table[1] = table[9] = 1;
        build();
        return;
    }
    if (row == QLatin1String("control"))
        form.control<forms::PictureBox>(QStringLiteral("Imagel"), 1);
    else if (row == QLatin1String("control of another kind"))
        form.control<forms::PictureBox>(QStringLiteral("Label1"));
    else if (row == QLatin1String("control array"))
        form.controlArray<forms::PictureBox>(QStringLiteral("Image2"));
    else if (row == QLatin1String("click"))
        form.onClick(QStringLiteral("Comand1"), 0, [] {});
    else if (row == QLatin1String("click on a label"))
        form.onClick(QStringLiteral("Label1"), 0, [] {});
    else if (row == QLatin1String("timer handler"))
        form.onTimer(QStringLiteral("Timer1"), 1, [] {});
    else if (row == QLatin1String("timer"))
        form.timer(QStringLiteral("Tmer1"));
    else if (row == QLatin1String("timer array"))
        form.timerArray(QStringLiteral("Timer2"));
    else if (row == QLatin1String("control array element"))
        form.controlArray<forms::PictureBox>(QStringLiteral("Image1"))[2].hide();
    else if (row == QLatin1String("table index 0") || row == QLatin1String("table index 10")) {
        forms::OneBased<int, 9> table;
        table[row.endsWith(QLatin1String(" 0")) ? 0 : 10] = 1;
    } else if (row == QLatin1String("player"))
        form.player(QStringLiteral("MediaPlayer3"));
    else if (row.endsWith(QLatin1String("without a style"))) {
        designed[row.startsWith(QLatin1String("label")) ? 1 : 0].style = nullptr;
        build();
    }
    QFAIL("the lookup returned");
}

} // namespace

class FormsTest : public QObject {
    Q_OBJECT

private slots:
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

    // A finger presses a button as the mouse does, while another finger holds another
    // button down; a finger lifted away from its button clicks nothing, and no touch is
    // also taken as a mouse click.
    void eachFingerPressesItsOwnButton() {
        static QPointingDevice* const touchScreen = QTest::createTouchDevice();
        QWidget window;
        window.resize(200, 100);
        forms::PictureButton left(&window), right(&window);
        left.setGeometry(10, 10, 60, 30);
        right.setGeometry(100, 10, 60, 30);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QSignalSpy leftClicks(&left, &QAbstractButton::clicked);
        QSignalSpy rightClicks(&right, &QAbstractButton::clicked);
        auto touch = QTest::touchEvent(&window, touchScreen, false);
        touch.press(0, {20, 20}, &window).commit();
        QVERIFY(left.isDown());
        touch.stationary(0).press(1, {110, 20}, &window).commit();
        touch.stationary(0).release(1, {110, 20}, &window).commit();
        QCOMPARE(rightClicks.count(), 1);
        QCOMPARE(leftClicks.count(), 0);
        touch.release(0, {20, 20}, &window).commit();
        QCOMPARE(leftClicks.count(), 1);
        QVERIFY(!left.isDown());
        // Pressed on the button, lifted beside it.
        touch.press(2, {110, 20}, &window).commit();
        touch.move(2, {110, 80}, &window).commit();
        QVERIFY(!right.isDown());
        touch.release(2, {110, 80}, &window).commit();
        QCOMPARE(rightClicks.count(), 1);
    }

    // A finger on an arrow moves the level by one, on the trough by the large change (here
    // two), once however long it stays; two fingers on two sliders move both.
    void fingersOnSliderArrowsMoveTheLevelOnceEach_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("x"); // where the finger lands on a slider 160 pixels long
        QTest::addColumn<int>("level");
        QTest::newRow("right arrow") << 3 << 155 << 4;
        QTest::newRow("right arrow at the top level") << 5 << 155 << 5;
        QTest::newRow("left arrow") << 3 << 4 << 2;
        QTest::newRow("left arrow at the bottom level") << 1 << 4 << 1;
        QTest::newRow("trough right of the box") << 1 << 120 << 3;
        QTest::newRow("trough left of the box") << 5 << 40 << 3;
    }
    void fingersOnSliderArrowsMoveTheLevelOnceEach() {
        QFETCH(int, start);
        QFETCH(int, x);
        QFETCH(int, level);
        static QPointingDevice* const touchScreen = QTest::createTouchDevice();
        QWidget window;
        window.resize(200, 100);
        forms::Slider first(&window, 1, 5, start, 1, 2), second(&window, 1, 5, 3, 1, 2);
        first.setGeometry(0, 10, 160, 20);
        second.setGeometry(0, 50, 160, 20);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        auto touch = QTest::touchEvent(&window, touchScreen, false);
        touch.press(0, {x, 20}, &window).commit();
        touch.stationary(0).press(1, {155, 60}, &window).commit();
        QTest::qWait(600); // longer than a held mouse press takes to repeat
        touch.release(0, {x, 20}, &window).release(1, {155, 60}, &window).commit();
        QCOMPARE(first.value(), level);
        QCOMPARE(second.value(), 4);
    }

    // A screen reader reads the application's own name, while the application name, which
    // X11 gives the windows as their class, stays what it was.
    void theApplicationIsReadByItsAccessibleName() {
        const QString id = QCoreApplication::applicationName();
        forms::setApplicationAccessibleName(QStringLiteral("ぽこぺんぱん"));
        QCOMPARE(QAccessible::queryAccessibleInterface(qApp)->text(QAccessible::Name),
                 QStringLiteral("ぽこぺんぱん"));
        QCOMPARE(QCoreApplication::applicationName(), id);
    }

    // A name the form does not have, an element past either end of an array, or a design's
    // label or frame without a style is a fault in the program: every lookup stops it at once,
    // naming what was asked for, in optimised builds too. Each lookup runs in a child, this
    // suite again with only that row; the row with right names runs on.
    void aLookupOfWhatIsNotThereStopsTheProgramNamingIt_data() {
        QTest::addColumn<QString>("message"); // empty: the child ends normally
        QTest::newRow("right names") << QString();
        QTest::newRow("control") << "form 試し has no forms::PictureBox named Imagel(1)";
        QTest::newRow("control of another kind")
            << "form 試し has no forms::PictureBox named Label1";
        QTest::newRow("control array") << "form 試し has no forms::PictureBox named Image2(1)";
        QTest::newRow("click") << "form 試し has no picture or button named Comand1";
        QTest::newRow("click on a label") << "form 試し has no picture or button named Label1";
        QTest::newRow("timer handler") << "form 試し has no timer named Timer1(1)";
        QTest::newRow("timer") << "form 試し has no timer named Tmer1";
        QTest::newRow("timer array") << "form 試し has no timer named Timer2(1)";
        QTest::newRow("player") << "form 試し has no player named MediaPlayer3";
        QTest::newRow("label without a style") << "design 設計 gives Label1 no style";
        QTest::newRow("frame without a style") << "design 設計 gives Frame1 no style";
        // Numbered elements: a control array's and a per-hole table's.
        QTest::newRow("control array element") << "element 2 of a control array of 1";
        QTest::newRow("table index 0") << "index 0 of a table numbered 1 to 9";
        QTest::newRow("table index 10") << "index 10 of a table numbered 1 to 9";
    }
    void aLookupOfWhatIsNotThereStopsTheProgramNamingIt() {
        QFETCH(QString, message);
        const QString row = QString::fromUtf8(QTest::currentDataTag());
        if (childValue(ChildRow) == row) {
            lookUpInChild(row);
            return;
        }
        const ChildEnd end = runInChild(
            ChildRow, row, QStringLiteral("%1:%2").arg(QTest::currentTestFunction(), row));
        if (message.isEmpty()) {
            QVERIFY2(!end.crashed && end.exitCode == 0, qPrintable(end.output + end.errors));
            QVERIFY2(end.output.contains(QStringLiteral("PASS   : FormsTest::")),
                     qPrintable(end.output));
            return;
        }
        QVERIFY2(end.crashed, qPrintable(end.output + end.errors));
        QVERIFY2(end.errors.contains(message), qPrintable(end.errors));
    }
};

QTEST_MAIN(FormsTest)
#include "tst_forms.moc"
