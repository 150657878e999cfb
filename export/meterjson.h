#pragma once

#include "data/identity.h"
#include "data/limits.h"
#include "data/measurement.h"

#include <QList>
#include <QStringList>

#include <functional>

class QIODevice;

// The JSON document of a download: the meter's identity, and every record with its channels as
// the detail view lists them:
//   {"meter": {"product", "serial", "hardware", "firmware", "kind"},
//    "records": [{"index", "name", "date", "time", ["verdict"],
//                 "channels": [{"number", "position", "label", "unit", "value", "text",
//                               ["total"], ["verdict"]}]}]}
// "number" is the detail view's No; "position" the channel's place in the kind's channel table
// (the CSV report's Channel row), the same in every record; "unit" that of "label": "THz", or
// "nm" (an MPO fibre's label is its test wavelength). "verdict" keys appear only where `limits`
// are on, and on a channel only where they check it.
namespace MeterJson {

// Writes the document to `out` one record at a time: a download of any size costs the memory of
// one record. `carryOn(done, total)` is asked after each record; false stops the writing. False
// when a write failed or the writing was stopped.
bool write(QIODevice& out, const MeterIdentity& identity, int kind,
           const QList<Measurement>& records, bool displayFreq, const Limits::LimitSet& limits,
           const std::function<bool(int done, int total)>& carryOn = {});

} // namespace MeterJson
