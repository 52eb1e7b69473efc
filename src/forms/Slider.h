#pragma once

#include <QScrollBar>

namespace forms {

// A horizontal slider with arrows: an arrow click moves by the small change, a click in
// the trough by the large change. Each finger that comes down on an arrow or the trough
// acts once, as a click there; dragging the box stays the mouse's.
class Slider final : public QScrollBar {
    Q_OBJECT
public:
    Slider(QWidget* parent, int min, int max, int value, int smallChange, int largeChange);

protected:
    bool event(QEvent* event) override;
};

} // namespace forms
