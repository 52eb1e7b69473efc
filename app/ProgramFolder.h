#pragma once

#include <QString>

// The folder that holds the executable, without a trailing separator; every data file is
// found from it. Set once at start-up.
extern QString ProgramFolder;

namespace app {

// The folder as the platform reports it, less one trailing separator: a program at the
// root "/" gives "", so that "/データ/設定.dat" never has a doubled separator.
QString programFolderFrom(const QString& reportedFolder);

} // namespace app
