#pragma once

#include "files/reportformats.h"

// The JSON document of a report: the meter's identity, and every record with its channels as
// the detail view lists them:
//   {"meter": {"product", "serial", "hardware", "firmware", "kind"},
//    "records": [{"index", "name", "date", "time", ["verdict"],
//                 "channels": [{"number", "position", "label", "unit", "value", "text",
//                               ["total"], ["verdict"]}]}]}
// "number" is the detail view's No; "position" the channel's place in the kind's channel table
// (the CSV report's Channel row), the same in every record; "unit" that of "label": "THz", or
// "nm" (an MPO fibre's label is its test wavelength). "verdict" keys appear only where the
// report's limits are on, and on a channel only where they check it.
namespace JsonReport {

// Writes the document to `out` one record at a time: a report of any size costs the memory of
// one record. `progress` is asked after each record; false cancels the writing.
ReportFormats::Outcome write(const Report& report, QIODevice& out, QString* error,
                             const ReportFormats::Progress& progress);

} // namespace JsonReport
