#pragma once

#include <QString>

namespace forms {

// Gives the application the name a screen reader reads out for it. Qt names the
// application by QCoreApplication::applicationName(), which must stay the desktop entry's
// id (it is the X11 window class), and the display name would be appended to every window
// title; so the application's accessible object alone is named.
void setApplicationAccessibleName(const QString& name);

} // namespace forms
