#include "records.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace metersim {

quint32 dateWord(int year, int month, int day)
{
    return quint32(year) << 16 | quint32(month) << 8 | quint32(day);
}

quint32 timeWord(int hour, int minute, int second)
{
    return quint32(hour) << 16 | quint32(minute) << 8 | quint32(second);
}

namespace {

qint16 generatedPower(int r, int c)
{
    // A sprinkling of positive readings so that both signs travel over the wire.
    if ((7 * r + c) % 13 == 0)
        return qint16(100 + 10 * (c % 10));
    return qint16(-((100 * r + 37 * c + 250) % 6000) - 500);
}

// "a-b-c" with three decimal numbers, as used by both the date and the time texts.
bool parseTriple(const QString& text, const QString& separator, int out[3])
{
    static const QRegularExpression number(QStringLiteral("^\\d{1,4}$"));
    const QStringList parts = text.split(separator);
    if (parts.size() != 3)
        return false;
    for (int i = 0; i < 3; ++i) {
        if (!number.match(parts[i]).hasMatch())
            return false;
        out[i] = parts[i].toInt();
    }
    return true;
}

bool applyJson(const QJsonObject& o, Record* rec, QString* error)
{
    if (o.contains(QLatin1String("powers"))) {
        const QJsonArray powers = o.value(QLatin1String("powers")).toArray();
        for (int c = 0; c < powers.size() && c < int(rec->powers.size()); ++c)
            rec->powers[size_t(c)] = qint16(powers[c].toInt());
    }
    if (o.contains(QLatin1String("date"))) {
        int d[3];
        if (!parseTriple(o.value(QLatin1String("date")).toString(), QStringLiteral("-"), d)) {
            *error = QStringLiteral("date must look like 2026-03-14");
            return false;
        }
        rec->date = dateWord(d[0], d[1], d[2]);
    }
    if (o.contains(QLatin1String("time"))) {
        int t[3];
        if (!parseTriple(o.value(QLatin1String("time")).toString(), QStringLiteral(":"), t)) {
            *error = QStringLiteral("time must look like 10:22:31");
            return false;
        }
        rec->time = timeWord(t[0], t[1], t[2]);
    }
    if (o.contains(QLatin1String("name"))) {
        rec->name = o.value(QLatin1String("name")).toString().toLatin1();
        if (rec->name.size() > kMaxNameLength) {
            *error = QStringLiteral("name longer than 16 characters");
            return false;
        }
    }
    if (o.contains(QLatin1String("totalIndex")))
        rec->totalIndex = o.value(QLatin1String("totalIndex")).toInt();
    if (o.contains(QLatin1String("totalWav")))
        rec->totalWav = o.value(QLatin1String("totalWav")).toInt();
    if (o.contains(QLatin1String("mode")))
        rec->mode = quint16(o.value(QLatin1String("mode")).toInt());
    if (o.contains(QLatin1String("polar")))
        rec->polar = quint16(o.value(QLatin1String("polar")).toInt());
    if (o.contains(QLatin1String("onOff"))) {
        const QJsonArray flags = o.value(QLatin1String("onOff")).toArray();
        for (int i = 0; i < flags.size() && i < int(rec->onOff.size()); ++i)
            rec->onOff[size_t(i)] = quint8(flags[i].toInt());
    }
    return true;
}

} // namespace

Record generatedRecord(int r)
{
    Record rec;
    for (int c = 0; c < int(rec.powers.size()); ++c)
        rec.powers[size_t(c)] = generatedPower(r, c);
    rec.date = dateWord(2026, 3, 1 + r % 28);
    rec.time = timeWord(10, r % 60, (13 * r) % 60);
    if (r % 3 != 2)
        rec.name = "REC-" + QByteArray::number(r);
    rec.totalIndex = r % 5;
    rec.totalWav = r % 4;
    rec.mode = quint16(1 + r % 3);
    rec.polar = quint16(r % 3);
    for (int i = 0; i < int(rec.onOff.size()); ++i)
        rec.onOff[size_t(i)] = (i + r) % 9 == 8 ? 0 : 1;
    return rec;
}

QVector<Record> generatedRecords(int count)
{
    QVector<Record> records;
    for (int r = 0; r < count; ++r)
        records.append(generatedRecord(r));
    return records;
}

bool loadRecordsFile(const QString& path, QVector<Record>* records, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = file.errorString();
        return false;
    }
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (doc.isNull()) {
        *error = parseError.errorString();
        return false;
    }
    const QJsonValue list = doc.object().value(QLatin1String("records"));
    if (!list.isArray()) {
        *error = QStringLiteral("no \"records\" array");
        return false;
    }
    records->clear();
    const QJsonArray array = list.toArray();
    for (int r = 0; r < array.size(); ++r) {
        Record rec = generatedRecord(r);
        if (!applyJson(array[r].toObject(), &rec, error)) {
            *error = QStringLiteral("record %1: %2").arg(r).arg(*error);
            return false;
        }
        records->append(rec);
    }
    return true;
}

} // namespace metersim
