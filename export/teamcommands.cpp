#include "export/teamcommands.h"

#include "export/exporter.h"
#include "files/archive.h"
#include "files/archivepush.h"
#include "files/archivestore.h"

#include <QFileInfo>

#include <cstdio>

namespace TeamCommands {

namespace {

void say(const QString& line)
{
    std::fprintf(stderr, "velumin-export: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

} // namespace

QString noTeamText()
{
    return QStringLiteral("no team archive is set: set VELUMIN_TEAM_ARCHIVE, or teamArchive in "
                          "Velumin's settings, to its PostgreSQL connection string");
}

int init()
{
    const QString location = Archive::teamLocation();
    if (location.isEmpty()) {
        say(noTeamText());
        return Exporter::Usage;
    }
    ArchiveStore team(ArchiveStore::Backend::Team, location);
    if (!team.isOpen()) {
        say(QStringLiteral("the team archive %1 cannot be used: %2")
                .arg(Archive::shownLocation(location), team.errorText()));
        return Exporter::TeamUnusable;
    }
    std::printf("the team archive %s is ready (schema version %d)\n",
                qPrintable(Archive::shownLocation(location)), ArchiveStore::TeamSchemaVersion);
    return std::fflush(stdout) == 0 ? int(Exporter::Done) : int(Exporter::WriteFailed);
}

int push(bool quiet)
{
    const QString location = Archive::teamLocation();
    if (location.isEmpty()) {
        say(noTeamText());
        return Exporter::Usage;
    }
    const QString path = Archive::location();
    // Nothing archived yet: nothing waits.
    if (!QFileInfo::exists(path))
        return Exporter::Done;
    ArchiveStore local(path);
    if (!local.isOpen()) {
        say(QStringLiteral("the archive %1 cannot be read: %2").arg(path, local.errorText()));
        return Exporter::ArchiveUnreadable;
    }
    const Archive::PushResult result = Archive::push(local, location);
    if (result.waiting > 0) {
        say(QStringLiteral("%1 of %2 downloads were pushed to the team archive; %3 wait: %4")
                .arg(result.pushed)
                .arg(result.pushed + result.waiting)
                .arg(result.waiting)
                .arg(result.error));
        return Exporter::TeamUnusable;
    }
    // Nothing waits, and the team archive could not be reached to say so.
    if (!result.error.isEmpty()) {
        say(result.error);
        return Exporter::TeamUnusable;
    }
    if (!quiet)
        say(QStringLiteral("%1 downloads pushed to the team archive %2")
                .arg(result.pushed)
                .arg(Archive::shownLocation(location)));
    return Exporter::Done;
}

void pushAfterDownload()
{
    const QString location = Archive::teamLocation();
    if (location.isEmpty())
        return;
    ArchiveStore local(Archive::location());
    const Archive::PushResult result = Archive::push(local, location);
    if (result.waiting > 0)
        say(QStringLiteral("warning: %1 to be pushed to the team archive (%2)")
                .arg(result.waiting == 1 ? QStringLiteral("1 download waits")
                                         : QStringLiteral("%1 downloads wait").arg(result.waiting),
                     result.error));
}

} // namespace TeamCommands
