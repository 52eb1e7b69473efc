#pragma once

#include <QColor>
#include <QWidget>

namespace forms {

// Gives a widget a flat back colour, painted by Qt under whatever the widget draws.
void fillBackground(QWidget& widget, const QColor& colour);

} // namespace forms
