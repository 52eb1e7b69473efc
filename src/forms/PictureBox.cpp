#include "forms/PictureBox.h"

#include "data/DataFile.h"

#include <QBuffer>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QTouchEvent>

namespace forms {

PictureBox::PictureBox(QWidget* parent) : QWidget(parent) {
    // A picture-less click area must still catch the mouse over its whole rectangle.
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_AcceptTouchEvents);
}

void PictureBox::setPicture(const QPixmap& picture) {
    picture_.set(picture);
    if (!picture.isNull())
        resize(picture.deviceIndependentSize().toSize());
    update();
}

void PictureBox::setPicture(QSize naturalSize, std::function<QPixmap()> draw) {
    picture_.set(std::move(draw));
    resize(naturalSize);
    update();
}

void PictureBox::clearPicture() {
    picture_.clear();
    update();
}

QString PictureBox::loadPicture(const QString& path) {
    clearPicture();
    const data::DataFile file = data::readDataFile(path, data::PictureFileLimit);
    if (!file.ok())
        return data::describe(file);
    QByteArray bytes = file.bytes;
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer);
    QImage image = reader.read();
    if (image.isNull())
        return reader.errorString();
    setPicture(QPixmap::fromImage(std::move(image)));
    return {};
}

bool PictureBox::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
        // Qt hands this control only the fingers that came down on it, in the order they
        // came; accepting them keeps Qt from making a mouse click of the first.
        for (const QEventPoint& point : static_cast<QTouchEvent*>(event)->points())
            if (point.state() == QEventPoint::Pressed)
                emit clicked();
        event->accept();
        return true;
    case QEvent::TouchCancel:
        event->accept();
        return true;
    default:
        return QWidget::event(event);
    }
}

void PictureBox::paintEvent(QPaintEvent*) {
    if (!hasPicture())
        return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, picture());
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent*) {
    // The second press of a double-click is a double-click event of its own, which no
    // screen handles: its release must not count as a click.
    pressed_ = false;
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        emit clicked();
}

} // namespace forms
