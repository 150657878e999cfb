#pragma once

#include "data/limits.h"
#include "data/records.h"

#include <QList>
#include <QString>
#include <QStringList>

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

Source source(const CWDM18Record& r);
Source source(const DWDM48Record& r);
Source source(const DWDM96Record& r);
Source source(const Vendral8Record& r);
Source source(const Tarnex8Record& r);
Source source(const Tarnex56Record& r);
Source source(const Tarnex64Record& r);
Source source(const DWDM49TOTALRecord& r);
Source source(const MPO24Record& r);
template <int N> Source source(const MpoRecord<N>& r)
{
    Source s;
    s.powers = r.mpoData.data();
    s.powerCount = N;
    s.mode = r.mode;
    s.polar = r.polar;
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

} // namespace Detail
