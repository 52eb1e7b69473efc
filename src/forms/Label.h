#pragma once

#include <QLabel>

namespace forms {

struct LabelStyle {
    QColor back{};
    QColor fore = Qt::black;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    QString fontFamily{};  // empty: the default font
    int fontPixelSize = 0; // 0: the default size
    bool bold = false;
    bool border = false; // a fixed single border
};

// A text label; Caption is the text it shows.
class Label final : public QLabel {
    Q_OBJECT
public:
    Label(QWidget* parent, const LabelStyle& style);

    void setCaption(const QString& caption);
    QString caption() const { return text(); }
    // The words that tell a screen reader what the caption is (a value's row in a table
    // painted beside it); the label's accessible name is then these words and its caption.
    void setTitle(const QString& title);
    bool shown() const { return !isHidden(); }

private:
    void nameForScreenReader();

    QString title_;
};

// A borderless, captionless container with a flat back colour.
class Frame final : public QWidget {
    Q_OBJECT
public:
    Frame(QWidget* parent, const QColor& back);
    bool shown() const { return !isHidden(); }
};

} // namespace forms
