// The composition root: the real clock, timers, sound output and data folder, the three
// screens on them, registered with the navigation under their names; then the menu.
#include "assets/Captions.h"
#include "data/DataFolder.h"
#include "forms/AccessibleName.h"
#include "forms/Design.h"
#include "forms/Reporter.h"
#include "game/GameScreen.h"
#include "menu/MenuScreen.h"
#include "program/Navigation.h"
#include "program/Screens.h"
#include "program/Services.h"
#include "program/Termination.h"
#include "settings/SettingsScreen.h"
#include "sound/PulseAudio.h"

#include <QApplication>
#include <QFont>
#include <QTimer>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    // A desktop ties the running windows to the launcher they came from by the desktop
    // entry's name: the Wayland app id, and on X11 the window class (the application's
    // name), which the entry repeats as StartupWMClass. Neither may follow a renamed file.
    QGuiApplication::setDesktopFileName(QStringLiteral(POKO_APP_ID));
    QCoreApplication::setApplicationName(QStringLiteral(POKO_APP_ID));
    // A screen reader names the application by the game's name, not by that id.
    forms::setApplicationAccessibleName(assets::gameTitle());
    // The program ends when no screen is left, not when the last window closes: a screen
    // move closes one window before the next is shown.
    QApplication::setQuitOnLastWindowClosed(false);
    program::quitOnTerminationSignal();
    QFont::insertSubstitution(QString::fromUtf8(design::MinchoFamily), QStringLiteral("IPAMincho"));

    forms::SteadyClock clock;
    forms::ClockSeededRandom random{clock};
    forms::QtTimerService timers;
    sound::PulseAudio audio;
    // The benchmarks and scenarios ask how the sound streams fared.
    if (const QString report = qEnvironmentVariable("POKO_SOUND_REPORT"); !report.isEmpty())
        audio.reportTo(report);
    forms::MessageBoxReporter reporter;
    const data::DataFolder dataFolder =
        data::DataFolder::fromEnvironment(QCoreApplication::applicationDirPath());
    program::Navigation navigation{[] { QCoreApplication::quit(); }};
    const program::Services services{clock,      random,     timers,  audio,
                                     dataFolder, navigation, reporter};
    MenuScreen メニュー{services};
    GameScreen ゲーム{services};
    SettingsScreen 設定{services};
    navigation.add(program::メニュー, メニュー);
    navigation.add(program::ゲーム, ゲーム);
    navigation.add(program::設定, 設定);

    navigation.show(program::メニュー);
    // Opening the sound device takes longer than painting the menu; nothing sounds before
    // the title is complete, so the menu comes first.
    QTimer::singleShot(100, &application, [&audio] { audio.open(); });

    const int status = application.exec();
    navigation.endProgram();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return status;
}
