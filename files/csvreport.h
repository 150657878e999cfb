#pragma once

#include "data/kinds.h"
#include "data/metertext.h"
#include "data/measurement.h"

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

// One record as the report sees it.
struct Row {
    QDate date;
    QTime time;
    QByteArray name; // the name's bytes up to the first zero, control characters as spaces
    QVector<qint16> readings; // hundredths of a dBm
    quint16 mode = 0;
    quint16 polar = 0;
};

Row row(const Measurement& record);

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

// The file Save Data writes of the records of `kind`: every record one line, or for the
// fibre-row kinds record `selected` alone. False, and no bytes, when there is no such record; a
// code that names no kind gives an empty file.
bool report(int kind, const QString& productName, const QList<Measurement>& records, int selected,
            QByteArray* bytes);

} // namespace CsvReport
