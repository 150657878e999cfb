#pragma once

#include "files/reportformats.h"

// The printable report of a meter's records: the job and the overall result first, then the meter,
// the limits, reference and budget spelled out and a summary of every record; then one section per
// record with its bar graph (drawn as vectors) and its channel table. Every page names the meter
// and the job. Everything it shows comes from the report; it reads no window and no record list.
namespace PdfReport {

// Writes `report` to `out` in the paper size of the user's locale. Every page says how many
// there are, so each record is read twice, once to lay out its pages and count them and once to
// draw them, and only one record's section is held at a time.
ReportFormats::Outcome write(const Report& report, QIODevice& out, QString* error,
                             const ReportFormats::Progress& progress);

} // namespace PdfReport
