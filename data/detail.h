#pragma once

#include "data/limits.h"
#include "data/records.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The detail view of one record: one row per channel (or fibre), four columns: number, ITU
// channel or test wavelength, label or polarity, power text.
namespace Detail {

// What the rows are made of, whatever the record type.
struct Source {
    const double* powers = nullptr;
    int powerCount = 0;
    const quint8* onOff = nullptr;
    int onOffCount = 0;
    int totalIndex = NoTotal;
    quint16 mode = 0;
    quint16 polar = 0;
    QString totalLabel;
};

// The source of any record: its readings, and its channel flags, total index, total label,
// test wavelength and polarity where its kind has them.
template <typename R> Source source(const R& r)
{
    using namespace RecordFields;
    Source s;
    const auto& values = readings(r);
    s.powers = values.data();
    s.powerCount = int(values.size());
    if constexpr (hasOnOff<R>) {
        s.onOff = r.onOff.data();
        s.onOffCount = int(r.onOff.size());
    }
    if constexpr (hasTotalIndex<R>)
        s.totalIndex = r.totalIndex;
    if constexpr (hasTotalLabel<R>)
        s.totalLabel = r.totalLabel;
    if constexpr (hasMode<R>) {
        s.mode = r.mode;
        s.polar = r.polar;
    }
    return s;
}

// "High" above 16 dBm (Tarnex-10 meters have no high limit), "Low" below -50 dBm, else the
// shortest form with at most six significant digits.
QString powerText(double dbm, bool highLimit = true);

// "850nm", "1310nm", "1550nm", else "-nm".
QString mpoModeText(int mode);
// "Straight", "Rollover", "Flipped", else empty.
QString mpoPolarText(int polar);

// The rows of a record of `kind`, in channel order; none for a code outside 1..13.
// `productName` is the connected meter's: Vendral-8 "-8N-40" meters carry CWDM-4 optics.
QList<QStringList> rows(int kind, const Source& record, bool displayFreq,
                        const QString& productName);

// For each of those rows, in the same order, the reading that limits judge: the channel's
// position in the kind's channel table and its value, or none for a total row.
QList<std::optional<Limits::Reading>> judgedReadings(int kind, const Source& record);

// Whether the rows of `kind` are labelled by frequency (THz) rather than by wavelength (nm): some
// kinds have no frequency table, some label their rows in nm whatever the display unit.
bool labelsInFrequency(int kind, bool displayFreq, const QString& productName);

// For each of those rows, in the same order, the index in the record of the reading it shows;
// an index from the kind's channel count on is a total row.
QList<int> rowReadings(int kind, const Source& record);

} // namespace Detail
