#include "forms/PictureButton.h"

#include <QKeyEvent>
#include <QPainter>

namespace forms {

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::setPicture(std::function<QPixmap()> draw) {
    picture_.set(std::move(draw));
    update();
}

namespace {

bool isEnter(const QKeyEvent* event) {
    return event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
}

// The same key event with Space in Enter's place.
QKeyEvent asSpace(const QKeyEvent* event) {
    return QKeyEvent(event->type(), Qt::Key_Space, event->modifiers(), QStringLiteral(" "),
                     event->isAutoRepeat(), static_cast<quint16>(event->count()));
}

} // namespace

void PictureButton::keyPressEvent(QKeyEvent* event) {
    if (!isEnter(event))
        return QAbstractButton::keyPressEvent(event);
    QKeyEvent space = asSpace(event);
    QAbstractButton::keyPressEvent(&space);
    event->setAccepted(space.isAccepted());
}

void PictureButton::keyReleaseEvent(QKeyEvent* event) {
    if (!isEnter(event))
        return QAbstractButton::keyReleaseEvent(event);
    QKeyEvent space = asSpace(event);
    QAbstractButton::keyReleaseEvent(&space);
    event->setAccepted(space.isAccepted());
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
