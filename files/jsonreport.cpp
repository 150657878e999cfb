#include "files/jsonreport.h"

#include "data/kinds.h"
#include "files/report.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace JsonReport {

namespace {

QJsonArray channels(const Report::Record& record)
{
    QJsonArray out;
    for (const Report::Channel& channel : record.channels()) {
        QJsonObject c;
        bool numbered = false;
        const int number = channel.number().toInt(&numbered);
        c.insert(QStringLiteral("number"), numbered ? QJsonValue(number) : QJsonValue());
        c.insert(QStringLiteral("position"), channel.position);
        c.insert(QStringLiteral("label"), channel.label);
        c.insert(QStringLiteral("unit"), channel.unit);
        c.insert(QStringLiteral("value"), channel.dbm);
        c.insert(QStringLiteral("text"), channel.text());
        if (channel.total)
            c.insert(QStringLiteral("total"), true);
        if (channel.verdict)
            c.insert(QStringLiteral("verdict"), Limits::verdictText(channel.verdict->verdict));
        if (const auto& loss = channel.loss) {
            c.insert(QStringLiteral("loss"), loss->loss ? QJsonValue(*loss->loss) : QJsonValue());
            if (loss->verdict) {
                c.insert(QStringLiteral("lossVerdict"), Loss::verdictText(*loss->verdict));
                c.insert(QStringLiteral("lossMargin"), *loss->margin);
            }
        }
        out.append(c);
    }
    return out;
}

// An object's indented text moved `depth` levels in, without its last line end: JSON strings
// hold no raw line ends, so every line end starts a line of the object.
QByteArray nested(const QJsonObject& object, int depth)
{
    QByteArray text = QJsonDocument(object).toJson(QJsonDocument::Indented);
    text.chop(1);
    return QByteArray(4 * depth, ' ') +
           text.replace('\n', QByteArray("\n") + QByteArray(4 * depth, ' '));
}

} // namespace

ReportFormats::Outcome write(const Report& report, QIODevice& out, QString* error,
                             const ReportFormats::Progress& progress)
{
    const MeterIdentity& identity = report.identity();
    const QJsonObject meter{{QStringLiteral("product"), identity.product},
                            {QStringLiteral("serial"), identity.serial},
                            {QStringLiteral("hardware"), identity.hardware},
                            {QStringLiteral("firmware"), identity.firmware},
                            {QStringLiteral("kind"), kindName(report.kind())}};
    const auto put = [&out, error](const QByteArray& bytes) {
        if (out.write(bytes) == bytes.size())
            return true;
        *error = out.errorString();
        return false;
    };
    using ReportFormats::Outcome;
    if (!put("{\n    \"meter\": " + nested(meter, 1).trimmed() + ",\n    \"records\": ["))
        return Outcome::Failed;
    for (int i = 0; i < report.count(); ++i) {
        const Report::Record r = report.record(i);
        QJsonObject record{{QStringLiteral("index"), r.number() - 1},
                           {QStringLiteral("name"), r.name()},
                           {QStringLiteral("date"), r.dateText()},
                           {QStringLiteral("time"), r.timeText()}};
        if (const auto verdict = r.verdict())
            record.insert(QStringLiteral("verdict"),
                          verdict->pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
        if (report.judgesLoss()) {
            const std::optional<Loss::RecordLoss> loss = r.loss();
            record.insert(QStringLiteral("lossVerdict"),
                          loss && loss->verdict ? QJsonValue(Loss::verdictText(*loss->verdict))
                                                : QJsonValue());
        }
        record.insert(QStringLiteral("channels"), channels(r));
        if (!put((i == 0 ? "\n" : ",\n") + nested(record, 2)))
            return Outcome::Failed;
        if (progress && !progress(i + 1, report.count()))
            return Outcome::Cancelled;
    }
    if (report.count() > 0 && !put("\n    "))
        return Outcome::Failed;
    return put("]\n}\n") ? Outcome::Written : Outcome::Failed;
}

} // namespace JsonReport
