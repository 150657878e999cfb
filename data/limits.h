#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>
#include <QtGlobal>

#include <optional>

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

// Pass/fail limits for the readings of a record, and the verdicts they give. Pure: values in,
// verdicts out; the limits file is bytes in, bytes out.
namespace Limits {

// What one channel number is held to instead of the global limits.
struct Override {
    bool check = true; // false: the channel is dark on purpose and never fails
    std::optional<double> min;
    std::optional<double> max;
};

struct LimitSet {
    bool enabled = false;
    QString name;
    std::optional<double> min;       // dBm
    std::optional<double> max;       // dBm
    std::optional<double> maxSpread; // dB between the strongest and the weakest checked channel
    // By position in the kind's channel table, from 1: the same channel in every record, as
    // the CSV report's "Channel" row numbers it. Kept for any position.
    QMap<int, Override> channels;
    int kind = 0; // the kind code the limits were made for; 0 for limits made for any kind
};

enum class Verdict { Pass, Low, High };

// "PASS", "LOW", "HIGH".
QString verdictText(Verdict v);

// A reading that limits apply to: a channel the record carries, not a total row.
struct Reading {
    int number; // the channel's position in the kind's channel table, from 1
    double dbm;
};

struct ChannelResult {
    int number = 0;
    Verdict verdict = Verdict::Pass;
    // Distance to the nearer limit, positive inside the limits, negative outside.
    double margin = 0;
};

struct RecordResult {
    bool pass = true;
    QList<ChannelResult> channels; // the checked channels only, in reading order
    std::optional<double> spread;  // over the checked channels, when there are two or more
    bool spreadHolds = true;
    QList<int> failing; // positions of the channels that failed
};

// The limits that hold for channel `number`, or none when it is not checked (switched off, or
// without any limit).
struct ChannelLimits {
    std::optional<double> min;
    std::optional<double> max;
};
std::optional<ChannelLimits> limitsFor(const LimitSet& limits, int number);

// Why `limits` cannot judge records of `kind`, in a phrase ("the limits check no channel of
// CWDM-18"), or an empty text when they can: limits made for another kind, and limits that
// give no channel of the kind a minimum or a maximum, would pass every record unjudged.
QString notApplicable(const LimitSet& limits, int kind);

// The positions with an override that `kind` has no channel at, in order.
QList<int> foreignChannels(const LimitSet& limits, int kind);

// A reading equal to a limit passes, and so does a spread equal to the maximum spread; a record
// without a single checked reading does not pass.
RecordResult judge(const LimitSet& limits, const QList<Reading>& readings);

// A limits file: a JSON object, every key optional:
//   {"enabled": true, "name": "8-channel mux", "kind": "CWDM18", "min": -30, "max": 3,
//    "maxSpread": 6, "channels": {"1": {"check": false}, "7": {"min": -25, "max": 0}}}
// None, with the problem in `error`, for text that is not such an object, a key the format
// does not know, a value of the wrong type, a kind that names none, a minimum above its
// maximum, or a channel position that is not a positive integer.
std::optional<LimitSet> fromJson(const QByteArray& json, QString* error);
QByteArray toJson(const LimitSet& limits);

} // namespace Limits
