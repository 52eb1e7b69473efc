#pragma once

#include <QString>

// Where the game finds its sounds, pictures and settings. One program, two layouts, told
// apart by one rule: the game is installed when nothing named "データ" stands beside the
// executable and the installed data folder, "../share/pokopenpan/データ" from the
// executable's folder, exists; otherwise it is portable.
//
//   portable   an unpacked archive or a build tree: everything is read from "データ"
//              beside the executable and the settings are saved there, exactly as the
//              program-folder rules say, even when that folder is missing or damaged (a
//              portable copy never falls back on a player's own settings).
//   installed  the program sits in PREFIX/bin (or PREFIX/games), its sounds, pictures and
//              delivered settings in PREFIX/share/pokopenpan/データ (found from the
//              executable's folder, so a moved prefix still works), and each player's
//              settings in $XDG_CONFIG_HOME/pokopenpan/設定.dat (~/.config/pokopenpan/設定.dat
//              when that variable is unset or not an absolute path). Until a player first
//              saves, the delivered file is read.
namespace app {

enum class Layout { Portable, Installed };

struct DataLocations {
    Layout layout = Layout::Portable;
    // The folder that holds "データ"; empty means the program folder itself.
    QString dataRoot;
    // The player's own settings file; empty in the portable layout.
    QString playerSettings;
};

// The folder of the installed data relative to the executable's folder, as configured
// when the program was built ("../share/pokopenpan" for the usual bin/ and share/).
QString installedDataFromProgramFolder();

// What the layout rule looks at.
struct Surroundings {
    QString programFolder;
    bool dataBeside = false;    // anything named "データ" in the program folder
    bool installedData = false; // the installed data folder exists
    QString configHome;         // $XDG_CONFIG_HOME
    QString home;
};

// The layout rule, with everything it looks at given.
DataLocations locate(const Surroundings& around);

// The rule applied to this process: looks beside ProgramFolder and at the installed data
// folder, and reads the environment. Called once at start-up, after ProgramFolder is set.
DataLocations locateFromEnvironment();

// Whether anything, even a dangling link, stands at the path.
bool anythingAt(const QString& path);

// The locations in force; by default the portable layout under ProgramFolder.
extern DataLocations Locations;

// In the installed layout, creates the folder that will hold the player's settings file if
// it is missing, so that the first save has somewhere to go; whether saving then works is
// the save's to report. The portable layout creates nothing: its data folder is delivered.
void prepareSettingsFolder();

} // namespace app
