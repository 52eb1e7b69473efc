#pragma once

#include <QPoint>
#include <QStringList>

class QWidget;

// A left click at a point of the window, delivered to the window so that Qt routes it to
// whatever control lies under the pointer.
void clickAt(QWidget* window, QPoint position);

// The names of the controls that take Tab focus, in the order Tab reaches them, going once
// round the focus chain from `first`.
QStringList tabChain(QWidget* first);
