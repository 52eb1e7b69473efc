#include "forms/Reporter.h"

#include <QMessageBox>

#include <cstdio>

namespace forms {

void warn(const QString& message) {
    std::fprintf(stderr, "pokopenpan: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
}

void MessageBoxReporter::problem(const QString& message) {
    warn(message);
    auto* box = new QMessageBox(QMessageBox::Warning, QStringLiteral("ぽこぺんぱん"), message);
    box->setAttribute(Qt::WA_DeleteOnClose); // owns itself until the player closes it
    box->setModal(false);
    // Shown while a screen is loading, it must not end up behind that screen's window.
    box->setWindowFlag(Qt::WindowStaysOnTopHint);
    box->show();
}

} // namespace forms
