#include "game/GameDesign.h"
#include "forms/Design.h"

// The game screen ゲーム as designed. Places in twips (15 to a pixel).
namespace design {

namespace {

using P = assets::Picture;

const forms::LabelStyle valueStyle{.back = QColor(0, 0, 128),
                                   .fore = Qt::white,
                                   .alignment = Qt::AlignCenter,
                                   .fontFamily = MinchoFamily,
                                   .fontPixelSize = pointsToPixels(26.25),
                                   .bold = true};
const forms::LabelStyle ratingBoxStyle{.back = QColor(192, 192, 255), .border = true};
const forms::LabelStyle panelStyle{.back = QColor(0, 0, 192)};

const Control controls[] = {
    // kind, name, index, left, top, width, height, visible, picture, container, style, pointer
    // The board buttons along the top edge.
    {Kind::Button, "Command3", 0, 600, 195, 1335, 405, true, P::ButtonSettei},
    {Kind::Button, "Command2", 0, 6150, 195, 1335, 405, true, P::ButtonOwari},
    {Kind::Button, "Command1", 0, 7680, 195, 1335, 405, true, P::ButtonStart},
    // Stage pictures: element 1 peeking (hole 9: sinking), 2 fully out, 3 sinking.
    {Kind::Picture, "Image1", 1, 600, 945, 2400, 1005, false, P::MolePeekGreen},
    {Kind::Picture, "Image1", 2, 600, 210, 2400, 1740, false, P::MoleOutGreen},
    {Kind::Picture, "Image1", 3, 600, 210, 2400, 1740, false, P::MoleSinkGreen},
    {Kind::Picture, "Image2", 1, 3600, 945, 2400, 1005, false, P::MolePeekPink},
    {Kind::Picture, "Image2", 2, 3600, 210, 2400, 1740, false, P::MoleOutPink},
    {Kind::Picture, "Image2", 3, 3600, 210, 2400, 1740, false, P::MoleSinkPink},
    {Kind::Picture, "Image3", 1, 6600, 945, 2400, 1005, false, P::MolePeekBlue},
    {Kind::Picture, "Image3", 2, 6600, 210, 2400, 1740, false, P::MoleOutBlue},
    {Kind::Picture, "Image3", 3, 6600, 210, 2400, 1740, false, P::MoleSinkBlue},
    {Kind::Picture, "Image4", 1, 600, 2820, 2400, 1005, false, P::MolePeekBlue},
    {Kind::Picture, "Image4", 2, 600, 2085, 2400, 1740, false, P::MoleOutBlue},
    {Kind::Picture, "Image4", 3, 600, 2085, 2400, 1740, false, P::MoleSinkBlue},
    {Kind::Picture, "Image5", 1, 3600, 2820, 2400, 1005, false, P::MolePeekGreen},
    {Kind::Picture, "Image5", 2, 3600, 2085, 2400, 1740, false, P::MoleOutGreen},
    {Kind::Picture, "Image5", 3, 3600, 2085, 2400, 1740, false, P::MoleSinkGreen},
    {Kind::Picture, "Image6", 1, 6600, 2820, 2400, 1005, false, P::MolePeekPink},
    {Kind::Picture, "Image6", 2, 6600, 2085, 2400, 1740, false, P::MoleOutPink},
    {Kind::Picture, "Image6", 3, 6600, 2085, 2400, 1740, false, P::MoleSinkPink},
    {Kind::Picture, "Image7", 1, 600, 4695, 2400, 1005, false, P::MolePeekPink},
    {Kind::Picture, "Image7", 2, 600, 3960, 2400, 1740, false, P::MoleOutPink},
    {Kind::Picture, "Image7", 3, 600, 3960, 2400, 1740, false, P::MoleSinkPink},
    {Kind::Picture, "Image8", 1, 3600, 4695, 2400, 1005, false, P::MolePeekBlue},
    {Kind::Picture, "Image8", 2, 3600, 3960, 2400, 1740, false, P::MoleOutBlue},
    {Kind::Picture, "Image8", 3, 3600, 3960, 2400, 1740, false, P::MoleSinkBlue},
    {Kind::Picture, "Image9", 1, 6600, 3965, 2400, 1740, false, P::MoleSinkGreen},
    {Kind::Picture, "Image9", 2, 6600, 3960, 2400, 1740, false, P::MoleOutGreen},
    {Kind::Picture, "Image9", 3, 6600, 3960, 2400, 1740, false, P::MoleSinkGreen},
    // Hit targets: picture-less click areas over the eyes, placed again by Form_Load.
    {Kind::Picture, "Image13", 1, 1500, 450, 450, 315, false, P::None, nullptr, nullptr, true},
    {Kind::Picture, "Image13", 2, 4500, 450, 450, 315, false, P::None, nullptr, nullptr, true},
    {Kind::Picture, "Image13", 3, 7500, 450, 450, 315, false, P::None, nullptr, nullptr, true},
    {Kind::Picture, "Image13", 4, 1500, 2325, 450, 315, false, P::None, nullptr, nullptr, true},
    {Kind::Picture, "Image13", 5, 4500, 2325, 450, 315, false, P::None, nullptr, nullptr, true},
    {Kind::Picture, "Image13", 6, 7500, 2325, 450, 315, false, P::None, nullptr, nullptr, true},
    {Kind::Picture, "Image13", 7, 1500, 4200, 450, 315, false, P::None, nullptr, nullptr, true},
    {Kind::Picture, "Image13", 8, 4500, 4200, 450, 315, false, P::None, nullptr, nullptr, true},
    {Kind::Picture, "Image13", 9, 7500, 4200, 450, 315, false, P::None, nullptr, nullptr, true},
    // Hit marks over the same eyes.
    {Kind::Picture, "Image10", 1, 1500, 450, 450, 315, false, P::HitMarkGreen},
    {Kind::Picture, "Image10", 2, 4500, 450, 450, 315, false, P::HitMarkPink},
    {Kind::Picture, "Image10", 3, 7500, 450, 450, 315, false, P::HitMarkBlue},
    {Kind::Picture, "Image10", 4, 1500, 2325, 450, 315, false, P::HitMarkBlue},
    {Kind::Picture, "Image10", 5, 4500, 2325, 450, 315, false, P::HitMarkGreen},
    {Kind::Picture, "Image10", 6, 7500, 2325, 450, 315, false, P::HitMarkPink},
    {Kind::Picture, "Image10", 7, 1500, 4200, 450, 315, false, P::HitMarkPink},
    {Kind::Picture, "Image10", 8, 4500, 4200, 450, 315, false, P::HitMarkBlue},
    {Kind::Picture, "Image10", 9, 7500, 4200, 450, 315, false, P::HitMarkGreen},
    // Open mouths over the beaks, for the closing sequence.
    {Kind::Picture, "Image14", 1, 1545, 1200, 390, 195, false, P::OpenMouth},
    {Kind::Picture, "Image14", 2, 4545, 1200, 390, 195, false, P::OpenMouth},
    {Kind::Picture, "Image14", 3, 7545, 1200, 390, 195, false, P::OpenMouth},
    {Kind::Picture, "Image14", 4, 1545, 3075, 390, 195, false, P::OpenMouth},
    {Kind::Picture, "Image14", 5, 4545, 3075, 390, 195, false, P::OpenMouth},
    {Kind::Picture, "Image14", 6, 7545, 3075, 390, 195, false, P::OpenMouth},
    {Kind::Picture, "Image14", 7, 1545, 4950, 390, 195, false, P::OpenMouth},
    {Kind::Picture, "Image14", 8, 4545, 4950, 390, 195, false, P::OpenMouth},
    {Kind::Picture, "Image14", 9, 7545, 4950, 390, 195, false, P::OpenMouth},
    // Countdown numerals 3, 2, 1 in the middle of the board.
    {Kind::Picture, "Image11", 1, 3450, 1560, 2700, 2700, false, P::Countdown3},
    {Kind::Picture, "Image11", 2, 3450, 1560, 2700, 2700, false, P::Countdown2},
    {Kind::Picture, "Image11", 3, 3450, 1560, 2700, 2700, false, P::Countdown1},
    // The miss area over the whole board.
    {Kind::Picture, "Image12", 0, 0, 15, 9600, 6000, false, P::None, nullptr, nullptr, true},
    {Kind::Timer, "Timer1", 0, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 1, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 2, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 3, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 4, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 5, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 6, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 7, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 8, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 9, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer3", 0, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer4", 0, 0, 0, 0, 0, false},
    {Kind::Player, "MediaPlayer1", 0, 120, 4770, 30, 30, false},
    // The results panel and what it holds.
    {Kind::Frame, "Frame1", 0, 0, 0, 9600, 6000, false, P::None, nullptr, &panelStyle},
    {Kind::Picture, "Image15", 0, 405, 1095, 4500, 3705, true, P::ResultsTable, "Frame1"},
    {Kind::Label, "Label2", 0, 3225, 1275, 1620, 510, true, P::None, "Frame1", &valueStyle, false,
     nullptr, P::ResultsTable, 0},
    {Kind::Label, "Label3", 0, 3225, 2040, 1620, 510, true, P::None, "Frame1", &valueStyle, false,
     nullptr, P::ResultsTable, 1},
    {Kind::Label, "Label4", 0, 3225, 2685, 1620, 510, true, P::None, "Frame1", &valueStyle, false,
     nullptr, P::ResultsTable, 2},
    {Kind::Label, "Label5", 0, 3225, 3345, 1620, 510, true, P::None, "Frame1", &valueStyle, false,
     nullptr, P::ResultsTable, 3},
    {Kind::Label, "Label6", 0, 3600, 4095, 870, 510, true, P::None, "Frame1", &valueStyle, false,
     nullptr, P::ResultsTable, 4},
    {Kind::Label, "Label1", 0, 5280, 1095, 3930, 2955, true, P::None, "Frame1", &ratingBoxStyle},
    {Kind::Picture, "Image16", 0, 5470, 1275, 3555, 2520, true, P::None, "Frame1"},
    {Kind::Button, "Command4", 0, 6570, 4410, 1335, 405, true, P::ButtonHantei, "Frame1"},
    {Kind::Button, "Command5", 0, 7875, 285, 1335, 405, true, P::ButtonModoru, "Frame1"},
    {Kind::Timer, "Timer5", 0, 0, 0, 0, 0, false},
    {Kind::Player, "MediaPlayer2", 0, 8535, 5565, 135, 165, false},
};

// Front to back: the picture controls of the screen, then those of the results panel.
const ControlRef frontToBack[] = {
    {"Image14", 9}, {"Image14", 8}, {"Image14", 7}, {"Image14", 6}, {"Image14", 5}, {"Image14", 4},
    {"Image14", 3}, {"Image14", 2}, {"Image14", 1}, {"Image13", 1}, {"Image13", 9}, {"Image13", 8},
    {"Image13", 7}, {"Image13", 6}, {"Image13", 5}, {"Image13", 4}, {"Image13", 3}, {"Image13", 2},
    {"Image12", 0}, {"Image11", 3}, {"Image11", 2}, {"Image11", 1}, {"Image10", 9}, {"Image10", 8},
    {"Image10", 7}, {"Image10", 6}, {"Image10", 5}, {"Image10", 4}, {"Image10", 3}, {"Image10", 2},
    {"Image10", 1}, {"Image9", 2},  {"Image8", 2},  {"Image7", 2},  {"Image6", 2},  {"Image5", 2},
    {"Image4", 2},  {"Image3", 2},  {"Image2", 2},  {"Image1", 2},  {"Image9", 3},  {"Image9", 1},
    {"Image8", 3},  {"Image8", 1},  {"Image7", 3},  {"Image7", 1},  {"Image4", 3},  {"Image4", 1},
    {"Image6", 3},  {"Image6", 1},  {"Image5", 3},  {"Image5", 1},  {"Image1", 1},  {"Image1", 3},
    {"Image2", 1},  {"Image2", 3},  {"Image3", 1},  {"Image3", 3},  {"Label6", 0},  {"Label5", 0},
    {"Label4", 0},  {"Label3", 0},  {"Label2", 0},  {"Image16", 0}, {"Label1", 0},  {"Image15", 0},
};

const ControlRef tabOrder[] = {
    {"Command3", 0}, {"Command2", 0}, {"Command1", 0}, {"Command4", 0}, {"Command5", 0},
};

} // namespace

const Screen& gameScreen() {
    static const Screen screen{"ゲーム", 9585,     6000,        P::Board,
                               QColor(), controls, frontToBack, tabOrder};
    return screen;
}

} // namespace design
