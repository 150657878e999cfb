#pragma once

#include "data/limits.h"
#include "data/measurement.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The detail view of one record: one row per channel (or fibre), four columns: number, ITU
// channel or test wavelength, label or polarity, power text.
namespace Detail {

// "High" above 16 dBm (Tarnex-10 meters have no high limit), "Low" below -50 dBm, else the
// shortest form with at most six significant digits.
QString powerText(double dbm, bool highLimit = true);

// "850nm", "1310nm", "1550nm", else "-nm".
QString mpoModeText(int mode);
// "Straight", "Rollover", "Flipped", else empty.
QString mpoPolarText(int polar);

// The rows of a record, in channel order; none for a record of no kind. `productName` is the
// meter's: some meters' optics are told by their product name.
QList<QStringList> rows(const Measurement& record, bool displayFreq, const QString& productName);

// For each of those rows, in the same order, the reading that limits judge: the channel's
// position in the kind's channel table and its value, or none for a total row.
QList<std::optional<Limits::Reading>> judgedReadings(const Measurement& record);

// Whether the rows of `kind` are labelled by frequency (THz) rather than by wavelength (nm): some
// kinds have no frequency table, some label their rows in nm whatever the display unit.
bool labelsInFrequency(int kind, bool displayFreq, const QString& productName);

// The label of the channel at `position` (from 1) as the rows show it, without its unit: "1390",
// "193.10"; empty for an MPO fibre and a position past the kind's table.
QString channelLabel(int kind, int position, bool displayFreq, const QString& productName);

// For each of those rows, in the same order, the index in the record of the reading it shows;
// an index from the kind's channel count on is a total row.
QList<int> rowReadings(const Measurement& record);

} // namespace Detail
