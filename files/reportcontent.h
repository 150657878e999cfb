#pragma once

#include "data/detail.h"
#include "data/limits.h"
#include "data/loss.h"

#include <QString>
#include <QStringList>

#include <optional>

// What a record's report says, from its values and the limits in force: the reports, the
// window's verdict marks and velumin-export's exit status take their verdicts and texts here.
namespace ReportContent {

// "+2.50 dB", "-1.25 dB".
QString marginText(double margin);

// "-7.87", "0.00": two decimals, never "-0.00".
QString twoDecimals(double value);

// "Channel 7 (1390 nm)", "Fibre 3" for MPO kinds, "Channel 20" where `kind` has no label for it.
QString channelName(int kind, int position, bool displayFreq, const QString& productName);

// What a report needs to name the channels of its kind.
struct Channels {
    int kind = 0;
    bool displayFreq = false;
    QString productName;
};

// The limits spelled out: "8-channel mux: min -30.00 dBm, max 3.00 dBm, max spread 6.00 dB",
// then a line for every override with the limits its channel is held to:
// "Channel 7 (1390 nm): min -25.00 dBm, max 0.00 dBm", "Channel 1 (1270 nm): not checked".
QStringList limitsLines(const Limits::LimitSet& limits, const Channels& channels);

// "Launch 2026-03, Ruvo730 RV7300999, 2026-03-01 09:00:00": the reference's name and where it
// came from, as far as it says.
QString referenceText(const Loss::Reference& reference);

// "12.5 km × 0.35 dB/km + 2 connector pairs × 0.75 dB + 3 splices × 0.30 dB = 6.78 dB".
QString linkText(const Loss::Link& link);

// The budget spelled out: its name and maximum loss, the link that maximum is computed from on a
// line of its own, then a line for every override: "Channel 4 (1330 nm): max loss 2.00 dB".
QStringList budgetLines(const Loss::Budget& budget, const Channels& channels);

// The verdict of one reading alone; none when the limits are off or do not check its channel.
std::optional<Limits::ChannelResult> channelVerdict(const Limits::LimitSet& limits,
                                                    const Limits::Reading& reading);

// Whether `limits` judge records of `kind`: on, and able to (Limits::notApplicable).
bool judges(const Limits::LimitSet& limits, int kind);

// The verdict of a whole record; none when the limits do not judge its kind.
std::optional<Limits::RecordResult> recordVerdict(const Limits::LimitSet& limits,
                                                  const Measurement& record);

// The detail view's column titles for `kind`.
QStringList detailHeaders(int kind, bool displayFreq, const QString& productName = QString());

} // namespace ReportContent
