#include "forms/PictureButton.h"

#include <QPainter>

namespace forms {

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::setPicture(std::function<QPixmap()> draw) {
    picture_.set(std::move(draw));
    update();
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool down = isDown();
    painter.drawPixmap(down ? QPoint(1, 1) : QPoint(0, 0), picture_.get());
    if (down) {
        // A pressed button looks pushed in: shaded, with its top-left edge in shadow.
        painter.fillRect(rect(), QColor(0, 0, 0, 60));
        painter.setPen(QColor(0, 0, 0, 140));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.drawLine(0, 0, 0, height() - 1);
    }
    if (hasFocus()) {
        QPen pen(QColor(255, 255, 255, 200), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

} // namespace forms
