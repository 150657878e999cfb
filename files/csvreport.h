#pragma once

#include "files/reportformats.h"

#include <QByteArray>
#include <QString>

// The CSV report that Save Data writes: a heading, label rows from the channel tables, and the
// readings with "Low" and "High" beyond the kind's limits. Nothing here touches a widget.
namespace CsvReport {

// The file name Save Data proposes for a meter's product text: path separators, the other
// characters that Windows or Linux file names cannot hold and control characters become "_",
// and a name of dots alone ("..") becomes underscores, so the name stays in its folder.
QString proposedFileName(const QString& product);

// A reading as the file writes it: "Low" below the low limit, else "High" above 16 dBm, else
// the number with at most six significant digits and "." whatever the locale.
QByteArray readingCell(double dbm, double lowLimit);

// The kind's low limit in the file: -50 or -40 dBm; 0 for a code that names no kind.
double lowLimit(int kind);

// The file Save Data writes of `report`: every record one line, or for the fibre-row kinds the
// report's first record one line per fibre (Save Data and velumin-export write a report of the
// one record). A code that names no kind gives an empty file.
QByteArray bytes(const Report& report);

// Those bytes to `out`, all at once.
ReportFormats::Outcome write(const Report& report, QIODevice& out, QString* error,
                             const ReportFormats::Progress&);

} // namespace CsvReport
