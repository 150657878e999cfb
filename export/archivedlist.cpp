#include "export/archivedlist.h"

#include "data/kinds.h"
#include "export/exporter.h"
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

QByteArray line(const Archive::Download& d)
{
    const QJsonObject meter{{QStringLiteral("product"), d.meter.product},
                            {QStringLiteral("serial"), d.meter.serial},
                            {QStringLiteral("hardware"), d.meter.hardware},
                            {QStringLiteral("firmware"), d.meter.firmware},
                            {QStringLiteral("kind"), kindName(d.kind)}};
    const QJsonObject o{{QStringLiteral("id"), d.id.toString(QUuid::WithoutBraces)},
                        {QStringLiteral("started"), timeText(d.started)},
                        {QStringLiteral("ended"), timeText(d.ended)},
                        {QStringLiteral("complete"), d.complete},
                        {QStringLiteral("job"), d.job},
                        {QStringLiteral("meter"), meter},
                        {QStringLiteral("records"), d.records}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

int print()
{
    const QString path = Archive::location();
    // Nothing archived yet: an empty list, and no file made for it.
    if (!QFileInfo::exists(path))
        return Exporter::Done;
    ArchiveStore store(path);
    if (!store.isOpen()) {
        std::fprintf(stderr, "velumin-export: the archive %s cannot be read: %s\n",
                     qPrintable(path), qPrintable(store.errorText()));
        return Exporter::ArchiveUnreadable;
    }
    const QList<Archive::Download> downloads = store.downloads();
    for (const Archive::Download& d : downloads) {
        const QByteArray text = line(d);
        if (std::fwrite(text.constData(), 1, size_t(text.size()), stdout) != size_t(text.size()))
            return Exporter::WriteFailed;
    }
    return std::fflush(stdout) == 0 ? int(Exporter::Done) : int(Exporter::WriteFailed);
}

} // namespace ArchivedList
