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
namespace data {

// Every file of the data folder, as a path relative to the folder that holds "データ".
inline constexpr char16_t SettingsFile[] = u"/データ/設定.dat";

inline constexpr char16_t CountdownBeep[] = u"/データ/音/pipi.wav";
inline constexpr char16_t LastCountdownBeep[] = u"/データ/音/pipipi.wav";
inline constexpr char16_t Music[] = u"/データ/音/bgm.wav";
inline constexpr char16_t HitSound[] = u"/データ/音/o.wav";
inline constexpr char16_t MissSound[] = u"/データ/音/x.wav";
inline constexpr char16_t CrowSound[] = u"/データ/音/karasu.wav";
inline constexpr char16_t ScarecrowSound[] = u"/データ/音/kakasi.wav";
inline constexpr char16_t JizoSound[] = u"/データ/音/jizou.wav";
inline constexpr char16_t CrowFollowUpSound[] = u"/データ/音/dame.wav";
inline constexpr char16_t EndSound[] = u"/データ/音/owari.wav";

inline constexpr char16_t CrowPicture[] = u"/データ/絵/からす.gif";
inline constexpr char16_t ScarecrowPicture[] = u"/データ/絵/案山子.gif";
inline constexpr char16_t JizoPicture[] = u"/データ/絵/地蔵.gif";

enum class Layout { Portable, Installed };

// What the layout rule looks at.
struct Surroundings {
    QString programFolder;
    bool dataBeside = false;    // anything named "データ" in the program folder
    bool installedData = false; // the installed data folder exists
    QString configHome;         // $XDG_CONFIG_HOME
    QString home;
};

// The data folder of one run: its layout, and the path of every file the program reads or
// writes. Paths are formed anew at each use, from what the layout rule found at start-up.
class DataFolder {
public:
    // The portable layout beside a program in the given folder.
    static DataFolder portable(const QString& programFolder);
    // The installed layout: sounds, pictures and delivered settings under dataRoot (the
    // folder that holds "データ"), the player's own settings at playerSettings.
    static DataFolder installed(const QString& dataRoot, const QString& playerSettings);
    // The layout rule, with everything it looks at given.
    static DataFolder locate(const Surroundings& around);
    // The rule applied to this process: looks beside the program folder (as the platform
    // reports it) and at the installed data folder, and reads the environment.
    static DataFolder fromEnvironment(const QString& reportedProgramFolder);

    Layout layout() const { return layout_; }
    QString programFolder() const { return programFolder_; }
    // The folder that holds "データ".
    QString dataRoot() const;
    // The player's own settings file; empty in the portable layout.
    QString playerSettings() const { return playerSettings_; }

    // A sound or picture, given by its path relative to the folder that holds "データ".
    QString path(const char16_t* relative) const;
    // The settings file a screen reads: the player's own once anything stands at its path (a
    // damaged or special file is then reported, not skipped), else the delivered one.
    QString settingsToRead() const;
    // The settings file a save replaces: the player's own.
    QString settingsToSave() const;

    // In the installed layout, creates the folder that will hold the player's settings file
    // if it is missing, so that the first save has somewhere to go; whether saving then
    // works is the save's to report. The portable layout creates nothing: its data folder
    // is delivered.
    void prepareSettingsFolder() const;

private:
    Layout layout_ = Layout::Portable;
    QString programFolder_;
    QString installedRoot_;
    QString playerSettings_;
};

// The folder as the platform reports it, less one trailing separator: a program at the
// root "/" gives "", so that "/データ/設定.dat" never has a doubled separator.
QString programFolderFrom(const QString& reportedFolder);

// The folder of the installed data relative to the executable's folder, as configured
// when the program was built ("../share/pokopenpan" for the usual bin/ and share/).
QString installedDataFromProgramFolder();

// Whether anything, even a dangling link, stands at the path.
bool anythingAt(const QString& path);

} // namespace data
