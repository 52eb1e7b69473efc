#pragma once

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <cstdint>

// The built-in pictures of the three screens. Each is drawn in SVG at its
// natural pixel size, rendered once per device pixel ratio and cached.
namespace assets {

enum class MoleColour : std::uint8_t { Green, Pink, Blue };

enum class Picture : std::uint8_t {
    None,
    Board,
    ProgramIcon,
    BoardPointer,
    MolePeekGreen,
    MolePeekPink,
    MolePeekBlue,
    MoleOutGreen,
    MoleOutPink,
    MoleOutBlue,
    MoleSinkGreen,
    MoleSinkPink,
    MoleSinkBlue,
    HitMarkGreen,
    HitMarkPink,
    HitMarkBlue,
    OpenMouth,
    Countdown3,
    Countdown2,
    Countdown1,
    ResultsTable,
    Title1,
    Title2,
    Title3,
    Title4,
    Title5,
    Title6,
    HowToPlay,
    PointArea,
    SettingTimeTitle,
    SettingSpeedTitle,
    SettingAreaTitle,
    SettingCountTitle,
    ButtonStart,
    ButtonOwari,
    ButtonSettei,
    ButtonHantei,
    ButtonModoru,
    ButtonGame,
    ButtonAsobikata,
    ButtonSetteiChushi,
    ButtonSetteiKanryo,
};
inline constexpr int PictureCount = static_cast<int>(Picture::ButtonSetteiKanryo) + 1;

enum class MoleStage : std::uint8_t { Peek, Out, Sink };
Picture molePicture(MoleStage stage, MoleColour colour);
Picture hitMark(MoleColour colour);

// Natural size in pixels; a control that shows the picture is exactly this big.
QSize pictureSize(Picture picture);
// Short name for review sheets and diagnostics, e.g. "mole-out-green".
QString pictureName(Picture picture);
// Whether the picture lets what lies behind show through somewhere.
bool hasTransparency(Picture picture);
// Rendered at pictureSize() x ratio, with devicePixelRatio set; cached.
QPixmap pixmap(Picture picture, qreal devicePixelRatio = 1.0);

QIcon programIcon();
QCursor boardPointer(); // hot spot at the pointer picture's centre (16, 16)

} // namespace assets
