#include "app/ProgramFolder.h"

QString ProgramFolder;

namespace app {

QString programFolderFrom(const QString& reportedFolder) {
    if (reportedFolder.endsWith(u'/'))
        return reportedFolder.chopped(1);
    return reportedFolder;
}

} // namespace app
