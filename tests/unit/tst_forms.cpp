// The window runtime under the screens: time stamps, timers on virtual time, control
// arrays, random re-seeding, twips, clicks on pictures, keys on buttons and context menus.
#include "forms/ControlArray.h"
#include "forms/Form.h"
#include "forms/PictureBox.h"
#include "forms/PictureButton.h"
#include "forms/Random.h"
#include "forms/Slider.h"
#include "forms/Timer.h"
#include "forms/Twips.h"
#include "support/TestProgram.h"

#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

class FormsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { resetProgram(); }
    // No window may outlive the application, which goes before the test program does.
    void cleanupTestCase() { resetProgram(); }

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
};

QTEST_MAIN(FormsTest)
#include "tst_forms.moc"
