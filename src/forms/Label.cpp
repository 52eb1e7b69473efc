#include "forms/Label.h"

#include "forms/Background.h"

namespace forms {

Label::Label(QWidget* parent, const LabelStyle& style) : QLabel(parent) {
    fillBackground(*this, style.back);
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, style.fore);
    setPalette(palette);
    setAlignment(style.alignment);
    if (!style.fontFamily.isEmpty() || style.fontPixelSize > 0 || style.bold) {
        QFont font = this->font();
        if (!style.fontFamily.isEmpty())
            font.setFamily(style.fontFamily);
        if (style.fontPixelSize > 0)
            font.setPixelSize(style.fontPixelSize);
        font.setBold(style.bold);
        setFont(font);
    }
    if (style.border) {
        setFrameShape(QFrame::Box);
        setLineWidth(1);
    }
}

void Label::setCaption(const QString& caption) {
    setText(caption);
    nameForScreenReader();
}

void Label::setTitle(const QString& title) {
    title_ = title;
    nameForScreenReader();
}

void Label::nameForScreenReader() {
    // Without a title Qt names a label by its text, as it should.
    if (!title_.isEmpty())
        setAccessibleName(text().isEmpty() ? title_ : title_ + u' ' + text());
}

Frame::Frame(QWidget* parent, const QColor& back) : QWidget(parent) {
    fillBackground(*this, back);
}

} // namespace forms
