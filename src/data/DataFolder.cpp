#include "data/DataFolder.h"

#include <QDir>
#include <QFileInfo>

namespace data {

namespace {

QString installedDataRoot(const QString& programFolder) {
    return QDir::cleanPath(programFolder + u'/' + installedDataFromProgramFolder());
}

} // namespace

QString programFolderFrom(const QString& reportedFolder) {
    if (reportedFolder.endsWith(u'/'))
        return reportedFolder.chopped(1);
    return reportedFolder;
}

QString installedDataFromProgramFolder() {
    return QStringLiteral(POKO_INSTALLED_DATA_FROM_BIN);
}

bool anythingAt(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

DataFolder DataFolder::portable(const QString& programFolder) {
    DataFolder folder;
    folder.programFolder_ = programFolder;
    return folder;
}

DataFolder DataFolder::installed(const QString& dataRoot, const QString& playerSettings) {
    DataFolder folder;
    folder.layout_ = Layout::Installed;
    folder.installedRoot_ = dataRoot;
    folder.playerSettings_ = playerSettings;
    return folder;
}

DataFolder DataFolder::locate(const Surroundings& around) {
    if (around.dataBeside || !around.installedData)
        return portable(around.programFolder);
    // The XDG base-directory rule: a relative value is ignored, as if it were unset.
    const QString configBase = QDir::isAbsolutePath(around.configHome)
                                   ? around.configHome
                                   : around.home + QStringLiteral("/.config");
    DataFolder folder =
        installed(installedDataRoot(around.programFolder),
                  QDir::cleanPath(configBase + QStringLiteral("/pokopenpan/設定.dat")));
    folder.programFolder_ = around.programFolder;
    return folder;
}

DataFolder DataFolder::fromEnvironment(const QString& reportedProgramFolder) {
    const QString programFolder = programFolderFrom(reportedProgramFolder);
    return locate({programFolder, anythingAt(programFolder + QStringLiteral("/データ")),
                   QFileInfo(installedDataRoot(programFolder) + QStringLiteral("/データ")).isDir(),
                   qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath()});
}

QString DataFolder::dataRoot() const {
    return layout_ == Layout::Portable ? programFolder_ : installedRoot_;
}

QString DataFolder::path(const char16_t* relative) const {
    return dataRoot() + QString::fromUtf16(relative);
}

QString DataFolder::settingsToSave() const {
    if (layout_ == Layout::Portable)
        return path(SettingsFile);
    return playerSettings_;
}

QString DataFolder::settingsToRead() const {
    if (layout_ == Layout::Portable)
        return path(SettingsFile);
    // A dangling link counts as standing there: it is the player's file, and broken.
    if (anythingAt(playerSettings_))
        return playerSettings_;
    return path(SettingsFile);
}

void DataFolder::prepareSettingsFolder() const {
    if (layout_ == Layout::Installed)
        QDir().mkpath(QFileInfo(playerSettings_).absolutePath());
}

} // namespace data
