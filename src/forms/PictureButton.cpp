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

// Hands the event on, with Space in Enter's place: the button presses on Space down and
// clicks on Space up.
template <class Forward> void enterAsSpace(QKeyEvent* event, Forward forward) {
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return forward(event);
    QKeyEvent space(event->type(), Qt::Key_Space, event->modifiers(), QStringLiteral(" "),
                    event->isAutoRepeat(), static_cast<quint16>(event->count()));
    forward(&space);
    event->setAccepted(space.isAccepted());
}

} // namespace

void PictureButton::keyPressEvent(QKeyEvent* event) {
    enterAsSpace(event, [this](QKeyEvent* key) { QAbstractButton::keyPressEvent(key); });
}

void PictureButton::keyReleaseEvent(QKeyEvent* event) {
    enterAsSpace(event, [this](QKeyEvent* key) { QAbstractButton::keyReleaseEvent(key); });
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
