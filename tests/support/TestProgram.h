#pragma once

#include "game/GameScreen.h"
#include "menu/MenuScreen.h"
#include "program/Navigation.h"
#include "program/Services.h"
#include "settings/SettingsScreen.h"
#include "support/Fakes.h"

#include <QTemporaryDir>

#include <memory>

// The three screens on fakes, as the unit suites see the program, registered with the
// navigation under their names as the program registers its own.
struct TestProgram {
    fakes::FakeClock clock;
    fakes::VirtualTimers timers{clock};
    fakes::ScriptedRandom random;
    fakes::RecordingPlayers players;
    fakes::RecordingReporter reporter;
    data::DataFolder dataFolder = data::DataFolder::portable(QString());
    int quits = 0;
    program::Navigation navigation{[this] { ++quits; }};
    program::Services services{clock, random, timers, players, dataFolder, navigation, reporter};
    MenuScreen menu{services};
    GameScreen game{services};
    SettingsScreen settings{services};

    TestProgram();
};

TestProgram& testProgram();

// A program folder of its own for a test: a data folder with a settings file holding the
// given bytes (or none at all when settingsFile is null). The test program's data folder is
// the portable one beside it while it lives.
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
