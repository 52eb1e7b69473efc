// Holding the screens together: the program ends when a handler leaves no screen loaded or
// a window is closed by its frame, and unloading a screen stops its timers and players.
// The screens here are plain ones of the program's own kind.
#include "program/Navigation.h"
#include "program/Screen.h"
#include "program/Screens.h"
#include "support/Child.h"
#include "support/Fakes.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTest>

namespace {

// A screen with one timer and two players on its form, as the game screen has.
class PlainScreen final : public program::Screen {
public:
    PlainScreen(program::Navigation& navigation, forms::TimerService& timers,
                forms::WavePlayerFactory& players)
        : program::Screen(navigation), timers_(timers), players_(players) {}

    forms::Timer* timer = nullptr;
    int loads = 0;

protected:
    std::unique_ptr<forms::Form> createForm() override {
        auto form = std::make_unique<forms::Form>(QStringLiteral("画面"), QSize(120, 80),
                                                  [this] { afterEvent(); });
        form->addTimer(QStringLiteral("Timer1"), 0, timers_);
        form->addPlayer(QStringLiteral("MediaPlayer1"), players_.create());
        form->addPlayer(QStringLiteral("MediaPlayer2"), players_.create());
        return form;
    }
    void bindControls(forms::Form& form) override { timer = &form.timer(QStringLiteral("Timer1")); }
    void releaseControls() override { timer = nullptr; }
    void Form_Load() override { ++loads; }

private:
    forms::TimerService& timers_;
    forms::WavePlayerFactory& players_;
};

} // namespace

class ProgramTest : public QObject {
    Q_OBJECT

    // The fakes outlive every window, which goes only once the event loop deletes it.
    fakes::FakeClock clock_;
    fakes::VirtualTimers timers_{clock_};
    fakes::RecordingPlayers players_;
    int quits_ = 0;

    struct Program {
        Program(std::function<void()> quit, forms::TimerService& timers,
                forms::WavePlayerFactory& players)
            : navigation(std::move(quit)), first(navigation, timers, players),
              second(navigation, timers, players) {
            navigation.add(program::メニュー, first);
            navigation.add(program::設定, second);
        }
        program::Navigation navigation;
        PlainScreen first;
        PlainScreen second;
    };
    std::unique_ptr<Program> program_;

private slots:
    void init() {
        quits_ = 0;
        players_.clear();
        program_ = std::make_unique<Program>([this] { ++quits_; }, timers_, players_);
    }
    void cleanup() {
        program_->navigation.unload(program_->first);
        program_->navigation.unload(program_->second);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        program_.reset();
    }

    void programEndsWhenAHandlerLeavesNoScreenLoaded() {
        auto& [navigation, first, second] = *program_;
        navigation.show(first);
        QCOMPARE(navigation.loadedCount(), 1);
        QCOMPARE(first.loads, 1);
        // An unload followed by a show in the same handler keeps the program running.
        first.form()->dispatch([&] {
            navigation.unload(first);
            navigation.show(second);
        });
        QCOMPARE(quits_, 0);
        QVERIFY(second.isLoaded());
        second.form()->dispatch([&] { navigation.unload(second); });
        QCOMPARE(quits_, 1);
        QCOMPARE(navigation.loadedCount(), 0);
    }

    void closingAWindowByItsFrameUnloadsItsScreenAndEndsTheProgram() {
        auto& [navigation, first, second] = *program_;
        navigation.show(first);
        first.form()->close();
        QVERIFY(!first.isLoaded());
        QCOMPARE(quits_, 1);
    }

    void screensAreShownByTheirNames() {
        auto& [navigation, first, second] = *program_;
        navigation.show(program::設定);
        QVERIFY(second.isLoaded() && !first.isLoaded());
    }

    // Showing a screen that was never added is a fault in the program: it stops at once,
    // naming the screen, in optimised builds too (watched from a child of this suite).
    void showingAScreenNeverAddedStopsTheProgramNamingIt() {
        constexpr char Row[] = "POKO_PROGRAM_CHILD";
        if (childValue(Row) == QLatin1String("never added")) {
            expectToStop();
            program_->navigation.show(program::ゲーム);
            return;
        }
        const ChildEnd end = runInChild(Row, QStringLiteral("never added"),
                                        QString::fromLatin1(QTest::currentTestFunction()));
        QVERIFY2(end.crashed, qPrintable(end.output + end.errors));
        QVERIFY2(end.errors.contains(QStringLiteral("no screen was added under the name ゲーム")),
                 qPrintable(end.errors));
    }

    void unloadingStopsTimersAndSilencesPlayers() {
        auto& [navigation, first, second] = *program_;
        navigation.show(first);
        first.timer->setInterval(500);
        QCOMPARE(timers_.runningCount(), 1);
        navigation.unload(first);
        QCOMPARE(timers_.runningCount(), 0);
        QVERIFY(first.timer == nullptr);
        // Both players go with the form.
        QCOMPARE(players_.log.filter(QRegularExpression(QStringLiteral(" gone$"))).size(), 2);
    }
};

QTEST_MAIN(ProgramTest)
#include "tst_program.moc"
