#pragma once

#include <QScrollBar>

namespace forms {

// A horizontal slider with arrows: an arrow click moves by the small change, a click in
// the trough by the large change.
class Slider final : public QScrollBar {
    Q_OBJECT
public:
    Slider(QWidget* parent, int min, int max, int value, int smallChange, int largeChange);
};

} // namespace forms
