#include "support/Widgets.h"

#include <QTest>
#include <QWidget>

void clickAt(QWidget* window, QPoint position) {
    QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, position);
}

QStringList tabChain(QWidget* first) {
    QStringList chain;
    QWidget* widget = first;
    // Bounded, so that a chain which never comes back to `first` still ends.
    for (int step = 0; step < 1000; ++step) {
        if (widget->focusPolicy() & Qt::TabFocus)
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
        if (widget == first)
            break;
    }
    return chain;
}
