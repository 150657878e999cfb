#include "data/records.h"

#include "data/catalogue.h"
#include "data/metertext.h"

namespace RecordValues {

QDate date(uint word)
{
    // A null date until the word has been split, so no record holds a half-built one.
    QDate d;
    d.setDate(int(word >> 16), int((word >> 8) & 0xFF), int(word & 0xFF));
    return d;
}

QTime time(uint word)
{
    QTime t;
    t.setHMS(int(word >> 16), int((word >> 8) & 0xFF), int(word & 0xFF), 0);
    return t;
}

RecordName name(const QByteArray& raw)
{
    RecordName out{};
    for (int i = 0; i < RecordNameSize && i < raw.size(); ++i)
        out[std::size_t(i)] = MeterText::isControl(raw[i]) ? ' ' : raw[i];
    return out;
}

QString nameText(const RecordName& name)
{
    // A 16-character name fills every byte and has no terminating zero.
    std::size_t n = 0;
    while (n < name.size() && name[n] != '\0')
        ++n;
    return QString::fromLatin1(name.data(), qsizetype(n));
}

} // namespace RecordValues

using namespace RecordValues;

CWDM18Record::CWDM18Record(const QVector<qint16>& raw, uint dateWord, uint timeWord,
                           const QByteArray& name)
    : cwdmData(powers<18>(raw))
    , date(RecordValues::date(dateWord))
    , time(RecordValues::time(timeWord))
    , name(RecordValues::name(name))
{
}

DWDM48Record::DWDM48Record(const QVector<qint16>& raw, const QByteArray& onOff, uint dateWord,
                           uint timeWord, const QByteArray& name, int totalIndex)
    : dwdmData(powers<50>(raw))
    , onOff(bytes<52>(onOff))
    , date(RecordValues::date(dateWord))
    , time(RecordValues::time(timeWord))
    , name(RecordValues::name(name))
    , totalIndex(totalIndex)
{
}

DWDM96Record::DWDM96Record(const QVector<qint16>& raw, uint dateWord, uint timeWord,
                           const QByteArray& name)
    : dwdmData(powers<96>(raw))
    , date(RecordValues::date(dateWord))
    , time(RecordValues::time(timeWord))
    , name(RecordValues::name(name))
{
}

Vendral8Record::Vendral8Record(const QVector<qint16>& raw, uint dateWord, uint timeWord)
    : data(powers<5>(raw))
    , date(RecordValues::date(dateWord))
    , time(RecordValues::time(timeWord))
{
}

Tarnex8Record::Tarnex8Record(const QVector<qint16>& raw, uint dateWord, uint timeWord,
                             const QByteArray& name)
    : data(powers<10>(raw))
    , date(RecordValues::date(dateWord))
    , time(RecordValues::time(timeWord))
    , name(RecordValues::name(name))
{
}

Tarnex56Record::Tarnex56Record(const QVector<qint16>& raw, const QByteArray& onOff, uint dateWord,
                               uint timeWord, const QByteArray& name, int totalIndex)
    : data(powers<58>(raw))
    , onOff(bytes<60>(onOff))
    , date(RecordValues::date(dateWord))
    , time(RecordValues::time(timeWord))
    , name(RecordValues::name(name))
    , totalIndex(totalIndex)
{
}

Tarnex64Record::Tarnex64Record(const QVector<qint16>& raw, const QByteArray& onOff, uint dateWord,
                               uint timeWord, const QByteArray& name, int totalIndex)
    : data(powers<65>(raw))
    , onOff(bytes<68>(onOff))
    , date(RecordValues::date(dateWord))
    , time(RecordValues::time(timeWord))
    , name(RecordValues::name(name))
    , totalIndex(totalIndex)
{
}

DWDM49TOTALRecord::DWDM49TOTALRecord(const QVector<qint16>& raw, const QByteArray& onOff,
                                     uint dateWord, uint timeWord, const QByteArray& name,
                                     int totalWav)
    : dwdmData(powers<50>(raw))
    , onOff(bytes<52>(onOff))
    , totalWav(totalWav)
    , totalLabel(::totalLabel(totalWav))
    , date(RecordValues::date(dateWord))
    , time(RecordValues::time(timeWord))
    , name(RecordValues::name(name))
{
}

MPO24Record::MPO24Record(const QVector<qint16>& raw, ushort mode, ushort polar, uint dateWord,
                         uint timeWord)
    : mpoData(powers<24>(raw))
    , mode(mode)
    , polar(polar)
    , date(RecordValues::date(dateWord))
    , time(RecordValues::time(timeWord))
{
}
