#include "export/reportfiles.h"

#include "data/kinds.h"

#include <QFileInfo>
#include <QRegularExpression>

namespace ReportFiles {

namespace {

const QString standardOutput = QStringLiteral("-");
const QString recordPattern = QStringLiteral("%n");

} // namespace

QString target(const QString& path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

QString clash(const ExportOptions& o)
{
    struct Named {
        QString option;
        QString path;
    };
    const bool mpo = isMpoKind(o.kind);
    // One CSV file per record: its name with %n stands for every record index.
    const bool perRecord = mpo && !o.record && o.csv.contains(recordPattern);
    QList<Named> named;
    for (const Named& n :
         {Named{QStringLiteral("--csv"), mpo && o.record ? o.csvFileFor(*o.record) : o.csv},
          Named{QStringLiteral("--pdf"), o.pdf}, Named{QStringLiteral("--json"), o.json},
          Named{QStringLiteral("--limits"), o.limitsFile}}) {
        if (!n.path.isEmpty() && n.path != standardOutput)
            named << Named{n.option, target(n.path)};
    }
    QRegularExpression records;
    if (perRecord) {
        QStringList parts = named.first().path.split(recordPattern);
        for (QString& part : parts)
            part = QRegularExpression::escape(part);
        records.setPattern(
            QRegularExpression::anchoredPattern(parts.join(QStringLiteral("(0|[1-9][0-9]*)"))));
    }
    for (int a = 0; a < named.size(); ++a) {
        for (int b = a + 1; b < named.size(); ++b) {
            const bool same = perRecord && a == 0 ? records.match(named.at(b).path).hasMatch()
                                                  : named.at(a).path == named.at(b).path;
            if (same)
                return QStringLiteral("%1 and %2 name one file, %3: give each a file of its own")
                    .arg(named.at(a).option, named.at(b).option, named.at(b).path);
        }
    }
    return {};
}

} // namespace ReportFiles
