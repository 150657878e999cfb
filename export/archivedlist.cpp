#include "export/archivedlist.h"

#include "data/kinds.h"
#include "export/exporter.h"
#include "export/teamcommands.h"
#include "files/archivestore.h"

#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace ArchivedList {

namespace {
QJsonValue timeText(const QDateTime& t)
{
    return t.isValid() ? QJsonValue(t.toOffsetFromUtc(t.offsetFromUtc()).toString(Qt::ISODateWithMs))
                       : QJsonValue();
}
} // namespace

QByteArray line(const Archive::Download& d, bool pushState)
{
    const QJsonObject meter{{QStringLiteral("product"), d.meter.product},
                            {QStringLiteral("serial"), d.meter.serial},
                            {QStringLiteral("hardware"), d.meter.hardware},
                            {QStringLiteral("firmware"), d.meter.firmware},
                            {QStringLiteral("kind"), kindName(d.kind)}};
    QJsonObject o{{QStringLiteral("id"), d.id.toString(QUuid::WithoutBraces)},
                        {QStringLiteral("started"), timeText(d.started)},
                        {QStringLiteral("ended"), timeText(d.ended)},
                        {QStringLiteral("complete"), d.complete},
                        {QStringLiteral("job"), d.job},
                        {QStringLiteral("meter"), meter},
                        {QStringLiteral("records"), d.records},
                        {QStringLiteral("user"), d.user},
                        {QStringLiteral("host"), d.host}};
    if (pushState) {
        o.insert(QStringLiteral("pushed"), timeText(d.pushed));
        if (!d.pushError.isEmpty())
            o.insert(QStringLiteral("pushError"), d.pushError);
    }
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

int print(bool team)
{
    const QString path = team ? Archive::teamLocation() : Archive::location();
    if (team && path.isEmpty()) {
        std::fprintf(stderr, "velumin-export: %s\n", qPrintable(TeamCommands::noTeamText()));
        return Exporter::Usage;
    }
    // Nothing archived yet: an empty list, and no file made for it.
    if (!team && !QFileInfo::exists(path))
        return Exporter::Done;
    ArchiveStore store(team ? ArchiveStore::Backend::Team : ArchiveStore::Backend::File, path);
    if (!store.isOpen()) {
        std::fprintf(stderr, "velumin-export: the %s %s cannot be read: %s\n",
                     team ? "team archive" : "archive", qPrintable(Archive::shownLocation(path)),
                     qPrintable(store.errorText()));
        return team ? Exporter::TeamUnusable : Exporter::ArchiveUnreadable;
    }
    const QList<Archive::Download> downloads = store.downloads();
    const bool pushState = !team && !Archive::teamLocation().isEmpty();
    for (const Archive::Download& d : downloads) {
        const QByteArray text = line(d, pushState);
        if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size()))
            return Exporter::WriteFailed;
    }
    return std::fflush(stdout) == 0 ? int(Exporter::Done) : int(Exporter::WriteFailed);
}

} // namespace ArchivedList
