#pragma once

#include "data/detail.h"
#include "data/limits.h"

#include <QString>
#include <QStringList>

#include <optional>

// What a record's report says, from its values and the limits in force: the reports, the
// window's verdict marks and velumin-export's exit status take their verdicts and texts here.
namespace ReportContent {

// "+2.50 dB", "-1.25 dB".
QString marginText(double margin);

// The lines that describe the limits in a report: "name: -30 to 3 dBm, spread at most 6 dB, ...".
QStringList limitsLines(const Limits::LimitSet& limits);

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
