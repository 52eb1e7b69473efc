#include "forms/Slider.h"

#include <QStyle>
#include <QStyleOptionSlider>
#include <QTouchEvent>

namespace forms {

Slider::Slider(QWidget* parent, int min, int max, int value, int smallChange, int largeChange)
    : QScrollBar(Qt::Horizontal, parent) {
    setRange(min, max);
    setSingleStep(smallChange);
    setPageStep(largeChange);
    setValue(value);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_AcceptTouchEvents);
}

bool Slider::event(QEvent* event) {
    switch (event->type()) {
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd: {
        QStyleOptionSlider option;
        initStyleOption(&option);
        for (const QEventPoint& point : static_cast<QTouchEvent*>(event)->points()) {
            if (point.state() != QEventPoint::Pressed)
                continue;
            switch (style()->hitTestComplexControl(QStyle::CC_ScrollBar, &option,
                                                   point.position().toPoint(), this)) {
            case QStyle::SC_ScrollBarSubLine:
                triggerAction(SliderSingleStepSub);
                break;
            case QStyle::SC_ScrollBarAddLine:
                triggerAction(SliderSingleStepAdd);
                break;
            case QStyle::SC_ScrollBarSubPage:
                triggerAction(SliderPageStepSub);
                break;
            case QStyle::SC_ScrollBarAddPage:
                triggerAction(SliderPageStepAdd);
                break;
            default:
                break;
            }
        }
        // Accepted, so Qt makes no mouse press of the touch, which would repeat while held.
        event->accept();
        return true;
    }
    case QEvent::TouchCancel:
        event->accept();
        return true;
    default:
        return QScrollBar::event(event);
    }
}

} // namespace forms
