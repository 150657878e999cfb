#include "export/meterjson.h"

#include "data/detail.h"
#include "data/intake.h"
#include "data/kinds.h"
#include "files/reportcontent.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace MeterJson {

namespace {

QJsonArray channels(const Measurement& source, bool displayFreq, const QString& productName,
                    const Limits::LimitSet& limits)
{
    const int kind = source.code();
    const QList<QStringList> shown = Detail::rows(source, displayFreq, productName);
    const QList<int> indexes = Detail::rowReadings(source);
    const QList<std::optional<Limits::Reading>> judged = Detail::judgedReadings(source);
    // The wavelength or frequency: the fibres of an MPO record carry the test wavelength.
    const int labelColumn = isMpoKind(kind) ? 1 : 2;
    const QString unit = Detail::labelsInFrequency(kind, displayFreq, productName)
                             ? QStringLiteral("THz")
                             : QStringLiteral("nm");
    const bool judging = ReportContent::judges(limits, kind);
    QJsonArray out;
    for (int r = 0; r < shown.size() && r < indexes.size(); ++r) {
        const QStringList& cells = shown.at(r);
        const int i = indexes.at(r);
        QJsonObject c;
        bool numbered = false;
        const int number = cells.value(0).toInt(&numbered);
        c.insert(QStringLiteral("number"), numbered ? QJsonValue(number) : QJsonValue());
        c.insert(QStringLiteral("position"), i + 1);
        c.insert(QStringLiteral("label"), cells.value(labelColumn));
        c.insert(QStringLiteral("unit"), unit);
        c.insert(QStringLiteral("value"), i >= 0 && i < source.readings.size() ? source.dbm(i) : 0.0);
        c.insert(QStringLiteral("text"), cells.value(3));
        if (i >= channelCount(kind))
            c.insert(QStringLiteral("total"), true);
        if (const std::optional<Limits::Reading>& reading =
                judging ? judged.value(r) : std::nullopt) {
            if (const auto verdict = ReportContent::channelVerdict(limits, *reading))
                c.insert(QStringLiteral("verdict"), Limits::verdictText(verdict->verdict));
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

bool write(QIODevice& out, const MeterIdentity& identity, int kind,
           const QList<Measurement>& records, bool displayFreq, const Limits::LimitSet& limits,
           const std::function<bool(int done, int total)>& carryOn)
{
    const QJsonObject meter{{QStringLiteral("product"), identity.product},
                            {QStringLiteral("serial"), identity.serial},
                            {QStringLiteral("hardware"), identity.hardware},
                            {QStringLiteral("firmware"), identity.firmware},
                            {QStringLiteral("kind"), kindName(kind)}};
    const auto put = [&out](const QByteArray& bytes) { return out.write(bytes) == bytes.size(); };
    bool ok = put("{\n    \"meter\": " + nested(meter, 1).trimmed() + ",\n    \"records\": [");
    for (int i = 0; i < records.size() && ok; ++i) {
        const Measurement& source = records.at(i);
        const QStringList row = Intake::rowTexts(source);
        const QString dateTime = row.value(2);
        QJsonObject record{{QStringLiteral("index"), i},
                           {QStringLiteral("name"), row.value(0)},
                           {QStringLiteral("date"), dateTime.section(QLatin1Char(' '), 0, 0)},
                           {QStringLiteral("time"), dateTime.section(QLatin1Char(' '), 1)}};
        if (const auto verdict = ReportContent::recordVerdict(limits, source))
            record.insert(QStringLiteral("verdict"),
                          verdict->pass ? QStringLiteral("PASS") : QStringLiteral("FAIL"));
        record.insert(QStringLiteral("channels"),
                      channels(source, displayFreq, identity.product, limits));
        ok = put((i == 0 ? "\n" : ",\n") + nested(record, 2)) &&
             (!carryOn || carryOn(i + 1, int(records.size())));
    }
    if (ok && !records.isEmpty())
        ok = put("\n    ");
    return ok && put("]\n}\n");
}

} // namespace MeterJson
