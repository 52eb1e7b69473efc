#include "forms/Slider.h"

namespace forms {

Slider::Slider(QWidget* parent, int min, int max, int value, int smallChange, int largeChange)
    : QScrollBar(Qt::Horizontal, parent) {
    setRange(min, max);
    setSingleStep(smallChange);
    setPageStep(largeChange);
    setValue(value);
    setFocusPolicy(Qt::StrongFocus);
}

} // namespace forms
