#include "settings/SettingsDesign.h"
#include "forms/Design.h"

// The settings screen 設定 as designed. Places in twips (15 to a pixel); inside a group
// they are measured from the group's frame.
namespace design {

namespace {

using P = assets::Picture;

const forms::LabelStyle groupStyle{.back = QColor(255, 128, 128)};
const forms::LabelStyle endLabelStyle{.back = QColor(255, 0, 0),
                                      .fore = Qt::white,
                                      .alignment = Qt::AlignCenter,
                                      .fontFamily = MinchoFamily,
                                      .fontPixelSize = pointsToPixels(14.25),
                                      .bold = true};

const Control controls[] = {
    // kind, name, index, left, top, width, height, visible, picture, container, style, pointer,
    // caption
    {Kind::Frame, "Frame1", 0, 300, 150, 3975, 1065, true, P::None, nullptr, &groupStyle},
    {Kind::Picture, "Image1", 0, 750, 105, 2400, 405, true, P::SettingTimeTitle, "Frame1"},
    {Kind::Label, "Label1", 0, 355, 540, 360, 300, true, P::None, "Frame1", &endLabelStyle, false,
     "短"},
    {Kind::Label, "Label2", 0, 3165, 540, 360, 300, true, P::None, "Frame1", &endLabelStyle, false,
     "長"},
    {Kind::Slider, "HScroll1", 0, 750, 555, 2400, 300, true, P::None, "Frame1", nullptr, false,
     nullptr, P::SettingTimeTitle},
    {Kind::Frame, "Frame2", 0, 300, 1320, 3975, 1065, true, P::None, nullptr, &groupStyle},
    {Kind::Picture, "Image2", 0, 750, 105, 2400, 405, true, P::SettingSpeedTitle, "Frame2"},
    {Kind::Label, "Label3", 0, 355, 540, 360, 300, true, P::None, "Frame2", &endLabelStyle, false,
     "遅"},
    {Kind::Label, "Label4", 0, 3165, 540, 360, 300, true, P::None, "Frame2", &endLabelStyle, false,
     "速"},
    {Kind::Slider, "HScroll2", 0, 750, 555, 2400, 300, true, P::None, "Frame2", nullptr, false,
     nullptr, P::SettingSpeedTitle},
    {Kind::Frame, "Frame3", 0, 300, 2490, 3975, 1065, true, P::None, nullptr, &groupStyle},
    {Kind::Picture, "Image3", 0, 750, 105, 2400, 405, true, P::SettingAreaTitle, "Frame3"},
    {Kind::Label, "Label6", 0, 355, 540, 360, 300, true, P::None, "Frame3", &endLabelStyle, false,
     "広"},
    {Kind::Label, "Label5", 0, 3165, 540, 360, 300, true, P::None, "Frame3", &endLabelStyle, false,
     "狭"},
    {Kind::Slider, "HScroll3", 0, 750, 555, 2400, 300, true, P::None, "Frame3", nullptr, false,
     nullptr, P::SettingAreaTitle},
    {Kind::Frame, "Frame4", 0, 300, 3675, 3975, 1065, true, P::None, nullptr, &groupStyle},
    {Kind::Picture, "Image4", 0, 750, 105, 2400, 405, true, P::SettingCountTitle, "Frame4"},
    {Kind::Label, "Label8", 0, 355, 540, 360, 300, true, P::None, "Frame4", &endLabelStyle, false,
     "少"},
    {Kind::Label, "Label7", 0, 3165, 540, 360, 300, true, P::None, "Frame4", &endLabelStyle, false,
     "多"},
    {Kind::Slider, "HScroll4", 0, 750, 555, 2400, 300, true, P::None, "Frame4", nullptr, false,
     nullptr, P::SettingCountTitle},
    {Kind::Button, "Command1", 0, 720, 5070, 1335, 405, true, P::ButtonSetteiChushi},
    {Kind::Button, "Command2", 0, 2430, 5070, 1335, 405, true, P::ButtonSetteiKanryo},
};

const ControlRef tabOrder[] = {
    {"HScroll1", 0}, {"HScroll2", 0}, {"HScroll3", 0},
    {"HScroll4", 0}, {"Command1", 0}, {"Command2", 0},
};

} // namespace

const Screen& settingsScreen() {
    // Nothing overlaps inside a group, so the windowless controls need no stacking order.
    static const Screen screen{"設定",   4560, 5655,    P::None, QColor(128, 128, 255),
                               controls, {},   tabOrder};
    return screen;
}

} // namespace design
