#include "app/DataLocations.h"

#include "app/DataPaths.h"
#include "app/ProgramFolder.h"

#include <QDir>
#include <QFileInfo>

namespace app {

DataLocations Locations;

QString installedDataFromProgramFolder() {
    return QStringLiteral(POKO_INSTALLED_DATA_FROM_BIN);
}

namespace {

QString installedDataRoot(const QString& programFolder) {
    return QDir::cleanPath(programFolder + u'/' + installedDataFromProgramFolder());
}

} // namespace

bool anythingAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

DataLocations locate(const Surroundings& around) {
    if (around.dataBeside || !around.installedData)
        return {};
    // The XDG base-directory rule: a relative value is ignored, as if it were unset.
    const QString configBase = QDir::isAbsolutePath(around.configHome)
                                   ? around.configHome
                                   : around.home + QStringLiteral("/.config");
    return {Layout::Installed, installedDataRoot(around.programFolder),
            QDir::cleanPath(configBase + QStringLiteral("/pokopenpan/設定.dat"))};
}

DataLocations locateFromEnvironment() {
    return locate({ProgramFolder, anythingAt(ProgramFolder + QStringLiteral("/データ")),
                   QFileInfo(installedDataRoot(ProgramFolder) + QStringLiteral("/データ")).isDir(),
                   qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath()});
}

void prepareSettingsFolder() {
    if (Locations.layout == Layout::Installed)
        QDir().mkpath(QFileInfo(Locations.playerSettings).absolutePath());
}

} // namespace app

namespace data {

QString settingsToSave() {
    if (app::Locations.layout == app::Layout::Portable)
        return path(SettingsFile);
    return app::Locations.playerSettings;
}

QString settingsToRead() {
    if (app::Locations.layout == app::Layout::Portable)
        return path(SettingsFile);
    // A dangling link counts as standing there: it is the player's file, and broken.
    if (app::anythingAt(app::Locations.playerSettings))
        return app::Locations.playerSettings;
    return path(SettingsFile);
}

} // namespace data
