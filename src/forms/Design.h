#pragma once

#include "assets/Pictures.h"
#include "forms/Label.h"

#include <QColor>
#include <QString>

#include <span>

// A screen's stored design as data: every control with its place in twips, its first
// visibility and its picture, and the orders in which the controls stack and take focus.
namespace design {

enum class Kind {
    Picture, // a picture at its natural size, or a click area when it has no picture
    Button,  // a graphical push button
    Label,   // a text label
    Frame,   // a borderless container
    Slider,  // a horizontal slider, 1 to 5
    Timer,   // a window timer (no place on the screen)
    Player,  // an invisible wave-file player
};

struct Control {
    Kind kind;
    const char* name;
    int index; // 0 for a control that is not in an array
    int left, top, width, height;
    bool visible;
    assets::Picture picture = assets::Picture::None;
    const char* container = nullptr; // the frame that holds it, or the screen itself
    const forms::LabelStyle* style = nullptr;
    bool boardPointer = false;     // the board pointer instead of the arrow
    const char* caption = nullptr; // a label's text
    // The painted words that name a control showing none of its own, for a screen reader:
    // line `line` of the captions of `namedBy` (a slider's title, a result's row). A button
    // is named by its own face.
    assets::Picture namedBy = assets::Picture::None;
    int line = 0;
};

struct ControlRef {
    const char* name;
    int index = 0;
};

struct Screen {
    const char* caption;
    int clientWidth, clientHeight; // twips
    assets::Picture background;
    QColor backColour;
    std::span<const Control> controls;
    std::span<const ControlRef> frontToBack; // picture and label controls of every container
    std::span<const ControlRef> tabOrder;
};

// The font that stands in for the Mincho face of the design (see main's substitution).
inline constexpr const char* MinchoFamily = "ＭＳ 明朝";
constexpr int pointsToPixels(double points) {
    return static_cast<int>(points * 96.0 / 72.0 + 0.5);
}

} // namespace design
