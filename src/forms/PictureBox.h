#pragma once

#include "forms/LazyPixmap.h"

#include <QPixmap>
#include <QWidget>

#include <functional>

namespace forms {

// A windowless picture control: a picture at its natural size, or, without a picture,
// a transparent click area. Click is raised when the button is released inside the
// control; the second click of a double-click raises nothing. Every finger that comes down
// on the control raises Click once, at once, as a hammer strikes: several fingers play
// together, and no mouse click is made of a touch.
class PictureBox final : public QWidget {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent);

    // Shows the picture at its natural size, keeping the control's top-left corner.
    void setPicture(const QPixmap& picture);
    // The same, for a picture drawn only when it is first painted or asked for.
    void setPicture(QSize naturalSize, std::function<QPixmap()> draw);
    void clearPicture();
    bool hasPicture() const { return !picture_.isNull(); }
    const QPixmap& picture() const { return picture_.get(); }

    // Reads a picture file, replacing the picture. On failure the control is left empty
    // and the reason is returned; an empty string means the picture is shown.
    QString loadPicture(const QString& path);

    bool shown() const { return !isHidden(); }

signals:
    void clicked();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    LazyPixmap picture_;
    bool pressed_ = false;
};

} // namespace forms
