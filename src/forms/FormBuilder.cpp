#include "forms/FormBuilder.h"

#include "assets/Captions.h"

#include "forms/Label.h"
#include "forms/PictureBox.h"
#include "forms/PictureButton.h"
#include "forms/Slider.h"
#include "forms/Twips.h"

#include <QGuiApplication>

namespace design {

namespace {

qreal ratio() {
    return qApp ? qApp->devicePixelRatio() : 1.0;
}

std::function<QPixmap()> drawing(assets::Picture picture) {
    return [picture, ratio = ratio()] { return assets::pixmap(picture, ratio); };
}

// A label or frame whose design gives it no style is a fault in the program: it stops at
// once, naming the control, in every build.
const forms::LabelStyle& styleOf(const Screen& screen, const Control& control) {
    if (!control.style)
        qFatal("design %s gives %s no style", screen.caption, control.name);
    return *control.style;
}

QWidget* createWidget(const Screen& screen, const Control& control, QWidget* parent) {
    switch (control.kind) {
    case Kind::Picture: {
        auto* picture = new forms::PictureBox(parent);
        if (control.picture != assets::Picture::None)
            picture->setPicture(assets::pictureSize(control.picture), drawing(control.picture));
        if (control.boardPointer)
            picture->setCursor(assets::boardPointer());
        return picture;
    }
    case Kind::Button: {
        auto* button = new forms::PictureButton(parent);
        button->setPicture(drawing(control.picture));
        return button;
    }
    case Kind::Label: {
        auto* label = new forms::Label(parent, styleOf(screen, control));
        if (control.caption)
            label->setCaption(QString::fromUtf8(control.caption));
        return label;
    }
    case Kind::Frame:
        return new forms::Frame(parent, styleOf(screen, control).back);
    case Kind::Slider:
        return new forms::Slider(parent, 1, 5, 3, 1, 1);
    case Kind::Timer:
    case Kind::Player:
        break;
    }
    return nullptr;
}

// What a screen reader calls the control: the words painted on it or named for it, from the
// same table the painting takes them from.
void nameForScreenReader(const Control& control, QWidget& widget) {
    const assets::Picture words = control.kind == Kind::Button ? control.picture : control.namedBy;
    const QString name = assets::captions(words).value(control.line);
    if (name.isEmpty())
        return;
    if (auto* label = qobject_cast<forms::Label*>(&widget))
        label->setTitle(name);
    else
        widget.setAccessibleName(name);
}

bool isWindowed(Kind kind) {
    return kind == Kind::Button || kind == Kind::Frame || kind == Kind::Slider;
}

} // namespace

std::unique_ptr<forms::Form> buildForm(const Screen& screen, forms::TimerService& timers,
                                       forms::WavePlayerFactory& players,
                                       std::function<void()> afterEvent) {
    auto form = std::make_unique<forms::Form>(
        QString::fromUtf8(screen.caption),
        QSize(forms::toPixels(screen.clientWidth), forms::toPixels(screen.clientHeight)),
        std::move(afterEvent));
    form->setWindowIcon(assets::programIcon());
    if (screen.backColour.isValid())
        form->setBackColour(screen.backColour);
    if (screen.background != assets::Picture::None)
        form->setBackground(assets::pixmap(screen.background, ratio()));

    // Containers come first in the table, so a control's frame always exists already.
    for (const Control& control : screen.controls) {
        const QString name = QString::fromUtf8(control.name);
        if (control.kind == Kind::Timer) {
            form->addTimer(name, control.index, timers);
            continue;
        }
        if (control.kind == Kind::Player) {
            form->addPlayer(name, players.create());
            continue;
        }
        QWidget* parent = control.container
                              ? &form->control<QWidget>(QString::fromUtf8(control.container))
                              : form.get();
        QWidget* widget = createWidget(screen, control, parent); // owned by its parent
        const QRect place =
            forms::pixelRect(control.left, control.top, control.width, control.height);
        if (control.kind == Kind::Picture && control.picture != assets::Picture::None)
            widget->move(place.topLeft()); // a picture keeps its natural size
        else
            widget->setGeometry(place);
        widget->setVisible(control.visible);
        nameForScreenReader(control, *widget);
        form->registerControl(name, control.index, widget);
    }

    // Stack the windowless controls back to front, then lift every windowed control over
    // them, keeping the windowed controls' own order (later in the table is further front).
    for (auto it = screen.frontToBack.rbegin(); it != screen.frontToBack.rend(); ++it)
        form->control<QWidget>(QString::fromUtf8(it->name), it->index).raise();
    for (const Control& control : screen.controls)
        if (isWindowed(control.kind))
            form->control<QWidget>(QString::fromUtf8(control.name), control.index).raise();

    QWidget* previous = nullptr;
    for (const ControlRef& ref : screen.tabOrder) {
        QWidget* widget = &form->control<QWidget>(QString::fromUtf8(ref.name), ref.index);
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    for (const Control& control : screen.controls)
        if (control.kind == Kind::Picture || control.kind == Kind::Label ||
            control.kind == Kind::Frame)
            if (QWidget* widget = form->findControl(QString::fromUtf8(control.name), control.index))
                widget->setFocusPolicy(Qt::NoFocus);
    return form;
}

} // namespace design
