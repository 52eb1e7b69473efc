#pragma once

#include "forms/LazyPixmap.h"

#include <QAbstractButton>
#include <QPixmap>

#include <functional>

namespace forms {

// A graphical push button whose face is its picture; pressing sinks the picture. A finger
// presses it as the mouse does: down while the finger is on it, clicked when the finger
// lifts over it. Other fingers elsewhere act on their own controls meanwhile.
class PictureButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent);

    // The face is drawn when the button is first painted.
    void setPicture(std::function<QPixmap()> draw);
    bool shown() const { return !isHidden(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    // Enter (the main key and the keypad's) presses the focused button as Space does.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    LazyPixmap picture_;
    int finger_ = -1; // the touch point that holds the button down
};

} // namespace forms
