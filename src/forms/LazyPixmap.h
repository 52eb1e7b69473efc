#pragma once

#include <QPixmap>

#include <functional>
#include <utility>

namespace forms {

// A picture that may wait to be drawn until it is first needed: most pictures of a screen
// wait hidden, and drawing them all up front would slow the screen's opening.
class LazyPixmap {
public:
    void set(QPixmap picture) {
        draw_ = nullptr;
        picture_ = std::move(picture);
    }
    void set(std::function<QPixmap()> draw) {
        picture_ = QPixmap();
        draw_ = std::move(draw);
    }
    void clear() { set(QPixmap()); }

    bool isNull() const { return picture_.isNull() && !draw_; }
    // Draws the picture on the first call; later calls return the same pixmap.
    const QPixmap& get() const {
        if (draw_)
            picture_ = std::exchange(draw_, nullptr)();
        return picture_;
    }

private:
    mutable QPixmap picture_;
    mutable std::function<QPixmap()> draw_;
};

} // namespace forms
