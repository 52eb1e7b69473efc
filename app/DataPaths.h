#pragma once

#include "app/DataLocations.h"
#include "app/ProgramFolder.h"

#include <QString>

// Every file of the data folder, as a path relative to the folder that holds "データ":
// the program folder in the portable layout, the installed data folder otherwise (see
// app/DataLocations.h). The full path is formed anew at each use.
namespace data {

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

inline QString path(const char16_t* relative) {
    const QString& root =
        app::Locations.layout == app::Layout::Portable ? ProgramFolder : app::Locations.dataRoot;
    return root + QString::fromUtf16(relative);
}

// The settings file a screen reads: the player's own once anything stands at its path (a
// damaged or special file is then reported, not skipped), else the delivered one.
QString settingsToRead();
// The settings file a save replaces: the player's own.
QString settingsToSave();

} // namespace data
