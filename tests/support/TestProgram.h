#pragma once

#include "app/Navigation.h"
#include "app/Services.h"
#include "game/GameScreen.h"
#include "menu/MenuScreen.h"
#include "settings/SettingsScreen.h"
#include "support/Fakes.h"

#include <QTemporaryDir>

#include <memory>

// The three screens on fakes, as the unit suites see the program. The screen instances
// メニュー, ゲーム and 設定 of the test executables are these.
struct TestProgram {
    fakes::FakeClock clock;
    fakes::VirtualTimers timers{clock};
    fakes::ScriptedRandom random;
    fakes::RecordingPlayers players;
    fakes::RecordingReporter reporter;
    int quits = 0;
    app::Navigation navigation{[this] { ++quits; }};
    app::Services services{clock, random, timers, players, navigation, reporter};
    MenuScreen menu{services};
    GameScreen game{services};
    SettingsScreen settings{services};

    TestProgram();
};

TestProgram& testProgram();

// A program folder of its own for a test: a data folder with a settings file holding the
// given bytes (or none at all when settingsFile is null). Sets ProgramFolder.
class TestFolder {
public:
    explicit TestFolder(const QByteArray* settingsFile);
    explicit TestFolder(const QByteArray& settingsFile) : TestFolder(&settingsFile) {}
    QString settingsPath() const;
    QByteArray settingsBytes() const;
    QString path() const { return dir_.path(); }
    // Copies the generated rating figures in, for the tests that show a rating.
    void addRatingFigures() const;

private:
    QTemporaryDir dir_;
};

// A settings file holding the four levels, as the settings screen saves it.
QByteArray settingsLine(int time, int speed, int size, int count);

// A new program folder holding the settings file, with the game screen shown on it. The
// game reads its files from the folder, so it has to outlive the test's use of the game.
std::unique_ptr<TestFolder> showGameOn(const QByteArray& settingsFile);

// Unloads every screen and resets the fakes, so each test starts from a fresh program.
void resetProgram();
