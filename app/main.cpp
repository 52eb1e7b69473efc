// Start-up: fix the program folder and the data layout, then show the menu. This file
// also ties the three screen instances to their classes and to the program's real clock,
// timers and sound.
#include "app/DataLocations.h"
#include "app/Navigation.h"
#include "app/ProgramFolder.h"
#include "app/PulseAudio.h"
#include "app/Reporter.h"
#include "app/Screens.h"
#include "app/Services.h"
#include "app/Termination.h"
#include "game/GameScreen.h"
#include "layouts/Layout.h"
#include "menu/MenuScreen.h"
#include "settings/SettingsScreen.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

namespace {

forms::SteadyClock clock;
forms::ClockSeededRandom random{clock};
forms::QtTimerService timers;
app::PulseAudio audio;
app::MessageBoxReporter reporter;
app::Navigation navigation{[] { QCoreApplication::quit(); }};
const app::Services services{clock, random, timers, audio, navigation, reporter};
MenuScreen menuScreen{services};
GameScreen gameScreen{services};
SettingsScreen settingsScreen{services};

} // namespace

app::Screen& メニュー = menuScreen;
app::Screen& ゲーム = gameScreen;
app::Screen& 設定 = settingsScreen;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // The program ends when no screen is left, not when the last window closes: a screen
    // move closes one window before the next is shown.
    QApplication::setQuitOnLastWindowClosed(false);
    app::quitOnTerminationSignal();
    QFont::insertSubstitution(QString::fromUtf8(layouts::MinchoFamily),
                              QStringLiteral("IPAMincho"));

    ProgramFolder = app::programFolderFrom(QCoreApplication::applicationDirPath());
    app::Locations = app::locateFromEnvironment();
    for (app::Screen* screen : {&メニュー, &ゲーム, &設定})
        navigation.add(*screen);
    navigation.show(メニュー);
    // Opening the sound device takes longer than painting the menu; nothing sounds before
    // the title is complete, so the menu comes first.
    QTimer::singleShot(100, [] { audio.open(); });

    const int status = application.exec();
    navigation.endProgram();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
