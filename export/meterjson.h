#pragma once

#include "data/identity.h"
#include "data/limits.h"
#include "protocol/download.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

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

QByteArray document(const MeterIdentity& identity, int kind, const Download& download,
                    const QList<QStringList>& listRows, bool displayFreq,
                    const Limits::LimitSet& limits);

} // namespace MeterJson
