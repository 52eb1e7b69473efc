#include "forms/AccessibleName.h"

#include <QAccessibleApplication>
#include <QCoreApplication>

namespace forms {

namespace {

QString& applicationName() {
    static QString name;
    return name;
}

class NamedApplication final : public QAccessibleApplication {
public:
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? applicationName() : QAccessibleApplication::text(t);
    }
};

// Qt owns what a factory returns: it keeps it in its cache until the application ends.
QAccessibleInterface* namedApplication(const QString&, QObject* object) {
    if (object && object == QCoreApplication::instance())
        return new NamedApplication; // NOLINT(cppcoreguidelines-owning-memory)
    return nullptr;
}

} // namespace

void setApplicationAccessibleName(const QString& name) {
    const bool first = applicationName().isEmpty();
    applicationName() = name;
    if (first)
        QAccessible::installFactory(namedApplication);
}

} // namespace forms
