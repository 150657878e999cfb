#include "data/measurement.h"

#include "data/catalogue.h"
#include "data/metertext.h"

double Measurement::dbm(int i) const
{
    return i >= 0 && i < readings.size() ? readings.at(i) / 100.0 : FillerDbm;
}

std::vector<double> Measurement::dbms() const
{
    std::vector<double> out;
    out.reserve(std::size_t(readings.size()));
    for (qint16 raw : readings)
        out.push_back(raw / 100.0);
    return out;
}

QDate Measurement::date() const
{
    // A null date until the word has been split, so no record holds a half-built one.
    QDate d;
    d.setDate(int(dateWord >> 16), int((dateWord >> 8) & 0xFF), int(dateWord & 0xFF));
    return d;
}

QTime Measurement::time() const
{
    QTime t;
    t.setHMS(int(timeWord >> 16), int((timeWord >> 8) & 0xFF), int(timeWord & 0xFF), 0);
    return t;
}

QString Measurement::nameText() const
{
    // A 16-character name fills every byte and has no terminating zero.
    QByteArray text = name.left(NameSize);
    const qsizetype end = text.indexOf('\0');
    if (end >= 0)
        text.truncate(end);
    return QString::fromLatin1(MeterText::printable(text));
}

QString Measurement::totalLabel() const
{
    return ::totalLabel(totalIndex);
}
