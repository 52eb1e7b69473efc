#pragma once

#include <QString>

// Where the game finds its sounds, pictures and settings. One program, two layouts:
//
//   portable   a folder "データ" stands beside the executable (an unpacked archive, or a
//              build tree): everything is read from it and the settings are saved in it,
//              exactly as the program-folder rules say.
//   installed  no "データ" beside the executable: the program sits in PREFIX/bin, its
//              sounds, pictures and delivered settings in PREFIX/share/pokopenpan/データ
//              (found from the executable's folder, so a moved prefix still works), and
//              each player's settings in $XDG_CONFIG_HOME/pokopenpan/設定.dat
//              (~/.config/pokopenpan/設定.dat when that variable is unset or not an
//              absolute path). Until a player first saves, the delivered file is read.
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

// The layout rule, with everything it looks at given: the program folder, whether a
// folder "データ" stands in it, $XDG_CONFIG_HOME and the home folder.
DataLocations locate(const QString& programFolder, bool dataFolderBeside, const QString& configHome,
                     const QString& home);

// The rule applied to this process: looks for "データ" beside ProgramFolder and reads the
// environment. Called once at start-up, after ProgramFolder is set.
DataLocations locateFromEnvironment();

// The locations in force; by default the portable layout under ProgramFolder.
extern DataLocations Locations;

// In the installed layout, creates the folder that will hold the player's settings file if
// it is missing, so that the first save has somewhere to go; whether saving then works is
// the save's to report. The portable layout creates nothing: its data folder is delivered.
void prepareSettingsFolder();

} // namespace app
