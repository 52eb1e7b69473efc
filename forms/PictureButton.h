#pragma once

#include <QAbstractButton>
#include <QPixmap>

namespace forms {

// A graphical push button whose face is its picture; pressing sinks the picture.
class PictureButton final : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent);

    void setPicture(const QPixmap& picture);
    bool shown() const { return !isHidden(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap picture_;
};

} // namespace forms
