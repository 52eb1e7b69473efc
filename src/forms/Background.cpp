#include "forms/Background.h"

namespace forms {

void fillBackground(QWidget& widget, const QColor& colour) {
    widget.setAutoFillBackground(true);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
}

} // namespace forms
