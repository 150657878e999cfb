#pragma once

#include "data/kinds.h"
#include "data/metertext.h"
#include "data/records.h"

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>

// The CSV report that Save Data writes: a heading, label rows from the channel tables, and the
// readings with "Low" and "High" beyond the kind's limits. Pure: the bytes of the file, built
// from values; nothing here touches a file or a widget.
namespace CsvReport {

// The file name Save Data proposes for a meter's product text: path separators, the other
// characters that Windows or Linux file names cannot hold and control characters become "_",
// and a name of dots alone ("..") becomes underscores, so the name stays in its folder.
QString proposedFileName(const QString& product);

// The bytes of a record name up to its first zero byte, at most 16 of them.
QByteArray nameBytes(const RecordName& name);

// One record as the report sees it, whatever its type.
struct Row {
    QDate date;
    QTime time;
    QByteArray name; // the name's bytes as the meter sent them, without padding, control
                     // characters as spaces
    const double* values = nullptr;
    int valueCount = 0;
    quint16 mode = 0;
    quint16 polar = 0;
};

// Any record whose name, where it has one, is its own.
template <typename R> Row row(const R& r)
{
    using namespace RecordFields;
    Row out;
    out.date = r.date;
    out.time = r.time;
    if constexpr (hasName<R>)
        out.name = MeterText::printable(nameBytes(r.name));
    const auto& values = readings(r);
    out.values = values.data();
    out.valueCount = int(values.size());
    if constexpr (hasMode<R>) {
        out.mode = r.mode;
        out.polar = r.polar;
    }
    return out;
}

// Vendral-8 records keep their names beside the list.
Row row(const Vendral8Record& r, const QString& name);

// A reading as the file writes it: "Low" below the low limit, else "High" above 16 dBm, else
// the number with at most six significant digits and "." whatever the locale.
QByteArray readingCell(double dbm, double lowLimit);

// The kind's low limit in the file: -50 or -40 dBm; 0 for a code that names no kind.
double lowLimit(int kind);

// The record-row report of a kind that has one: every record, one line each. Empty for other
// kinds.
QByteArray recordRows(int kind, const QList<Row>& records);

// The fibre-row report of one record of an MPO kind; empty for other kinds.
// `productName` heads the file.
QByteArray fibreRows(int kind, const QString& productName, const Row& record);

// Row i of a kind's list: Vendral-8 records keep their names beside the list, every other record
// holds its own.
template <typename R> Row rowAt(const QList<R>& list, int i, const QStringList&)
{
    return row(list.at(i));
}
inline Row rowAt(const QList<Vendral8Record>& list, int i, const QStringList& names)
{
    return row(list.at(i), names.value(i));
}

// The file Save Data writes of the records of `kind` in `list`: every record one line, or for
// the fibre-row kinds record `selected` alone. False, and no bytes, when there is no such record;
// a code that names no kind gives an empty file.
template <typename R>
bool report(int kind, const QString& productName, const QList<R>& list,
            const QStringList& vendral8Names, int selected, QByteArray* bytes)
{
    bytes->clear();
    const KindInfo* info = kindInfo(kind);
    if (!info)
        return true;
    if (info->report.form == ReportLayout::FibreRows) {
        if (selected < 0 || selected >= list.size())
            return false;
        *bytes = fibreRows(kind, productName, rowAt(list, selected, vendral8Names));
        return true;
    }
    QList<Row> rows;
    rows.reserve(list.size());
    for (int i = 0; i < list.size(); ++i)
        rows.append(rowAt(list, i, vendral8Names));
    *bytes = recordRows(kind, rows);
    return true;
}

} // namespace CsvReport
