#include "files/archive.h"

#include "data/settingsstore.h"

#include <QDir>
#include <QStandardPaths>
#include <QSysInfo>

namespace Archive {

namespace {
const QString archiveKey = QStringLiteral("archive");
const QString jobKey = QStringLiteral("archiveJob");
const QString teamKey = QStringLiteral("teamArchive");
} // namespace

QString location()
{
    const QString fromEnvironment = qEnvironmentVariable("VELUMIN_ARCHIVE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString fromSettings = openSettingsStore().value(archiveKey).toString();
    if (!fromSettings.isEmpty())
        return fromSettings;
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
        .filePath(QStringLiteral("archive.sqlite"));
}

QString teamLocation()
{
    const QString fromEnvironment = qEnvironmentVariable("VELUMIN_TEAM_ARCHIVE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment.trimmed();
    return openSettingsStore().value(teamKey).toString().trimmed();
}

QString nextJob()
{
    return openSettingsStore().value(jobKey).toString();
}

void setNextJob(const QString& job)
{
    QSettings store = openSettingsStore();
    if (job.isEmpty())
        store.remove(jobKey);
    else
        store.setValue(jobKey, job);
}

QString userName()
{
    QString name = qEnvironmentVariable("USER");
    if (name.isEmpty())
        name = qEnvironmentVariable("USERNAME");
    return name;
}

QString hostName()
{
    return QSysInfo::machineHostName();
}

} // namespace Archive
