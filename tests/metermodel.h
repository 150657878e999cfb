#pragma once

#include <QString>

// What the simulated meter stores when it is not given a records file, written down again from
// its documentation rather than taken from its code, so that a mistake on either side shows.
namespace MeterModel {

// Hundredths of a dBm of channel c of record r.
inline int power(int r, int c)
{
    if ((7 * r + c) % 13 == 0)
        return 100 + 10 * (c % 10);
    return -((100 * r + 37 * c + 250) % 6000) - 500;
}

inline QString name(int r)
{
    return r % 3 == 2 ? QString() : QStringLiteral("REC-%1").arg(r);
}

inline QString dateTimeText(int r)
{
    return QString::asprintf("2026-03-%02d 10:%02d:%02d", 1 + r % 28, r % 60, (13 * r) % 60);
}

inline int totalIndex(int r)
{
    return r % 5;
}
inline int totalWav(int r)
{
    return r % 4;
}
inline int mode(int r)
{
    return 1 + r % 3;
}
inline int polar(int r)
{
    return r % 3;
}
inline bool onOff(int r, int i)
{
    return (i + r) % 9 != 8;
}

// The text the window shows for a reading: "High" above 16 dBm (unless the kind has no high
// limit), "Low" below -50 dBm, else the number in shortest form.
inline QString powerText(int hundredths, bool highLimit = true)
{
    const double dbm = hundredths / 100.0;
    if (highLimit && dbm > 16)
        return QStringLiteral("High");
    if (dbm < -50)
        return QStringLiteral("Low");
    return QString::number(dbm, 'g', 6);
}

} // namespace MeterModel
