#include "menu/MenuDesign.h"
#include "forms/Design.h"

// The menu screen メニュー as designed. Places in twips (15 to a pixel).
namespace design {

namespace {

using P = assets::Picture;

const forms::LabelStyle backdropStyle{.back = QColor(0, 0, 192)};

const Control controls[] = {
    // kind, name, index, left, top, width, height, visible, picture, container, style
    // The title characters ぽこぺんぱん in the holes of the top and bottom rows.
    {Kind::Picture, "Image1", 1, 1500, 1230, 630, 705, false, P::Title1},
    {Kind::Picture, "Image1", 2, 4500, 1230, 630, 705, false, P::Title2},
    {Kind::Picture, "Image1", 3, 7500, 1230, 630, 705, false, P::Title3},
    {Kind::Picture, "Image1", 4, 1500, 4980, 630, 705, false, P::Title4},
    {Kind::Picture, "Image1", 5, 4500, 4980, 630, 705, false, P::Title5},
    {Kind::Picture, "Image1", 6, 7500, 4980, 630, 705, false, P::Title6},
    // The three background moles in the middle row: green, pink, blue.
    {Kind::Picture, "Image2", 1, 600, 2820, 2400, 1005, false, P::MolePeekGreen},
    {Kind::Picture, "Image2", 2, 600, 2085, 2400, 1740, false, P::MoleOutGreen},
    {Kind::Picture, "Image2", 3, 600, 2085, 2400, 1740, false, P::MoleSinkGreen},
    {Kind::Picture, "Image3", 1, 3600, 2820, 2400, 1005, false, P::MolePeekPink},
    {Kind::Picture, "Image3", 2, 3600, 2085, 2400, 1740, false, P::MoleOutPink},
    {Kind::Picture, "Image3", 3, 3600, 2085, 2400, 1740, false, P::MoleSinkPink},
    {Kind::Picture, "Image4", 1, 6600, 2820, 2400, 1005, false, P::MolePeekBlue},
    {Kind::Picture, "Image4", 2, 6600, 2085, 2400, 1740, false, P::MoleOutBlue},
    {Kind::Picture, "Image4", 3, 6600, 2085, 2400, 1740, false, P::MoleSinkBlue},
    // Their hit marks.
    {Kind::Picture, "Image5", 1, 1500, 2325, 450, 315, false, P::HitMarkGreen},
    {Kind::Picture, "Image5", 2, 4500, 2325, 450, 315, false, P::HitMarkPink},
    {Kind::Picture, "Image5", 3, 7500, 2325, 450, 315, false, P::HitMarkBlue},
    // The how-to-play view.
    {Kind::Label, "Label1", 0, 225, 195, 9225, 5520, false, P::None, nullptr, &backdropStyle},
    {Kind::Picture, "Image7", 0, 540, 870, 5205, 4200, false, P::HowToPlay},
    {Kind::Picture, "Image6", 0, 5940, 900, 3225, 2220, false, P::PointArea},
    // The buttons; the later in this table, the further in front.
    {Kind::Button, "Command3", 0, 600, 195, 1335, 405, false, P::ButtonAsobikata},
    {Kind::Button, "Command2", 0, 6150, 195, 1335, 405, false, P::ButtonOwari},
    {Kind::Button, "Command1", 0, 7680, 195, 1335, 405, false, P::ButtonGame},
    {Kind::Button, "Command4", 0, 6960, 4635, 1335, 405, false, P::ButtonModoru},
    {Kind::Timer, "Timer1", 0, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer2", 0, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer3", 1, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer3", 2, 0, 0, 0, 0, false},
    {Kind::Timer, "Timer3", 3, 0, 0, 0, 0, false},
    {Kind::Player, "MediaPlayer1", 0, 9105, 5655, 165, 165, false},
};

const ControlRef frontToBack[] = {
    {"Image7", 0}, {"Image6", 0}, {"Label1", 0}, {"Image5", 3}, {"Image5", 2}, {"Image5", 1},
    {"Image2", 2}, {"Image3", 2}, {"Image4", 2}, {"Image4", 3}, {"Image4", 1}, {"Image3", 3},
    {"Image3", 1}, {"Image2", 3}, {"Image2", 1}, {"Image1", 6}, {"Image1", 5}, {"Image1", 4},
    {"Image1", 3}, {"Image1", 2}, {"Image1", 1},
};

const ControlRef tabOrder[] = {
    {"Command1", 0},
    {"Command2", 0},
    {"Command3", 0},
    {"Command4", 0},
};

} // namespace

const Screen& menuScreen() {
    static const Screen screen{"メニュー", 9585,     5955,        P::Board,
                               QColor(),   controls, frontToBack, tabOrder};
    return screen;
}

} // namespace design
