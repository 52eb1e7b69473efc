#include "forms/PictureButton.h"

#include <QKeyEvent>
#include <QPainter>
#include <QTouchEvent>

namespace forms {

PictureButton::PictureButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_AcceptTouchEvents);
}

bool PictureButton::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        // Accepted, so Qt makes no mouse click of the touch beside it.
        for (const QEventPoint& point : static_cast<QTouchEvent*>(event)->points()) {
            if (point.state() == QEventPoint::Pressed && finger_ < 0 && isEnabled()) {
                finger_ = point.id();
                setDown(true);
            } else if (point.state() == QEventPoint::Released && point.id() == finger_) {
                finger_ = -1;
                setDown(false);
                if (rect().contains(point.position().toPoint()))
                    click();
            } else if (point.id() == finger_) {
                setDown(rect().contains(point.position().toPoint())); // as the mouse slides
            }
        }
        event->accept();
        return true;
    case QEvent::TouchCancel:
        finger_ = -1;
        setDown(false);
        event->accept();
        return true;
    default:
        return QAbstractButton::event(event);
    }
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
