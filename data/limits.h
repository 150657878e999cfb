#pragma once

#include <QtGlobal>

// The dBm limits that readings are shown against, and the values that stand for what a meter
// did not send. The detail view, the report, the graph and the decoder share them.
namespace Limits {
// Above this a reading shows as "High"; its bar stops at HighClamp.
constexpr double High = 16.0;
constexpr double HighClamp = 16.1;
// Below this a reading shows as "Low"; Vendral-8 and Tarnex reports, and Vendral-8's graph
// axis, stop at ShortLow instead.
constexpr double Low = -50.0;
constexpr double ShortLow = -40.0;
} // namespace Limits

// The totalIndex of a record whose meter sends neither a total nor a channel filter.
constexpr int NoTotal = 4;

// A reading the frame does not carry, in hundredths of a dBm as the meter counts them.
constexpr qint16 FillerHundredths = -9900;
