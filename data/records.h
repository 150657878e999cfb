#pragma once

#include "data/limits.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QTime>
#include <QVector>
#include <QtGlobal>

#include <array>
#include <type_traits>

// The in-memory measurement records, one type per device kind, built from the values the
// receiver decoded out of one answer. Plain values: immutable once stored, copied freely.

constexpr int RecordNameSize = 16;
using RecordName = std::array<char, RecordNameSize>;

// Conversions every record shares.
namespace RecordValues {
// A missing reading: what the receiver hands on where a frame carries no value.
constexpr double Filler = FillerHundredths / 100.0;

// raw / 100.0, entry by entry; entries the report does not carry get the filler.
template <std::size_t N> std::array<double, N> powers(const QVector<qint16>& raw)
{
    std::array<double, N> out;
    for (std::size_t i = 0; i < N; ++i)
        out[i] = i < std::size_t(raw.size()) ? raw[qsizetype(i)] / 100.0 : Filler;
    return out;
}

// Byte by byte, at most N of them; the rest zero.
template <std::size_t N> std::array<quint8, N> bytes(const QByteArray& raw)
{
    std::array<quint8, N> out{};
    for (std::size_t i = 0; i < N && i < std::size_t(raw.size()); ++i)
        out[i] = quint8(raw[qsizetype(i)]);
    return out;
}

// Year in bits 16..31, month 8..15, day 0..7; an impossible date gives the null date.
QDate date(uint word);
// Hour in bits 16..31, minute 8..15, second 0..7, no milliseconds; null when impossible.
QTime time(uint word);
// The 16 name bytes as reported, at most 16 of them, zero-padded; control characters become
// spaces.
RecordName name(const QByteArray& raw);
// The text of a name: up to its first zero byte, never past its 16 bytes.
QString nameText(const RecordName& name);
} // namespace RecordValues

struct CWDM18Record {
    std::array<double, 18> cwdmData;
    QDate date;
    QTime time;
    RecordName name;

    CWDM18Record(const QVector<qint16>& raw, uint dateWord, uint timeWord, const QByteArray& name);
};

struct DWDM48Record {
    std::array<double, 50> dwdmData;
    std::array<quint8, 52> onOff;
    QDate date;
    QTime time;
    RecordName name;
    qint32 totalIndex;

    // Plain DWDM48 reports carry no on/off block: they come with 52 zero bytes and NoTotal.
    DWDM48Record(const QVector<qint16>& raw, const QByteArray& onOff, uint dateWord, uint timeWord,
                 const QByteArray& name, int totalIndex);
};

struct DWDM96Record {
    std::array<double, 96> dwdmData;
    QDate date;
    QTime time;
    RecordName name;

    DWDM96Record(const QVector<qint16>& raw, uint dateWord, uint timeWord, const QByteArray& name);
};

// Vendral-8 records keep no name; the window keeps those beside the list.
struct Vendral8Record {
    std::array<double, 5> data;
    QDate date;
    QTime time;

    Vendral8Record(const QVector<qint16>& raw, uint dateWord, uint timeWord);
};

struct Tarnex8Record {
    std::array<double, 10> data;
    QDate date;
    QTime time;
    RecordName name;

    Tarnex8Record(const QVector<qint16>& raw, uint dateWord, uint timeWord, const QByteArray& name);
};

struct Tarnex56Record {
    std::array<double, 58> data;
    std::array<quint8, 60> onOff;
    QDate date;
    QTime time;
    RecordName name;
    qint32 totalIndex;

    Tarnex56Record(const QVector<qint16>& raw, const QByteArray& onOff, uint dateWord,
                   uint timeWord, const QByteArray& name, int totalIndex);
};

using Tarnex57Record = Tarnex56Record;

struct Tarnex64Record {
    std::array<double, 65> data;
    std::array<quint8, 68> onOff;
    QDate date;
    QTime time;
    RecordName name;
    qint32 totalIndex;

    Tarnex64Record(const QVector<qint16>& raw, const QByteArray& onOff, uint dateWord,
                   uint timeWord, const QByteArray& name, int totalIndex);
};

struct DWDM49TOTALRecord {
    std::array<double, 50> dwdmData;
    std::array<quint8, 52> onOff;
    qint32 totalWav;
    QString totalLabel; // "T_1310" ... "T_1610" for totalWav 0..3, else "Total"
    QDate date;
    QTime time;
    RecordName name;

    DWDM49TOTALRecord(const QVector<qint16>& raw, const QByteArray& onOff, uint dateWord,
                      uint timeWord, const QByteArray& name, int totalWav);
};

// The MPO kinds: one reading per fibre, one test wavelength and one polarity per record.
template <int Fibres> struct MpoRecord {
    std::array<double, Fibres> mpoData;
    quint16 mode;
    quint16 polar;
    QDate date;
    QTime time;
    RecordName name;

    MpoRecord(const QVector<qint16>& raw, ushort mode, ushort polar, uint dateWord, uint timeWord,
              const QByteArray& name)
        : mpoData(RecordValues::powers<Fibres>(raw))
        , mode(mode)
        , polar(polar)
        , date(RecordValues::date(dateWord))
        , time(RecordValues::time(timeWord))
        , name(RecordValues::name(name))
    {
    }
};

using MPO12Record = MpoRecord<12>;
using MPO16Record = MpoRecord<16>;
using MPO32Record = MpoRecord<32>;

// MPO-24 meters send a name, but their records keep none.
struct MPO24Record {
    std::array<double, 24> mpoData;
    quint16 mode;
    quint16 polar;
    QDate date;
    QTime time;

    MPO24Record(const QVector<qint16>& raw, ushort mode, ushort polar, uint dateWord,
                uint timeWord);
};

// What code written once for every record type needs of a type: where its readings are, and
// which of the fields that only some kinds have it carries.
namespace RecordFields {
template <typename R, typename = void> constexpr bool hasName = false;
template <typename R> constexpr bool hasName<R, std::void_t<decltype(R::name)>> = true;
template <typename R, typename = void> constexpr bool hasOnOff = false;
template <typename R> constexpr bool hasOnOff<R, std::void_t<decltype(R::onOff)>> = true;
template <typename R, typename = void> constexpr bool hasTotalIndex = false;
template <typename R> constexpr bool hasTotalIndex<R, std::void_t<decltype(R::totalIndex)>> = true;
template <typename R, typename = void> constexpr bool hasTotalLabel = false;
template <typename R> constexpr bool hasTotalLabel<R, std::void_t<decltype(R::totalLabel)>> = true;
// Mode and polarity come together.
template <typename R, typename = void> constexpr bool hasMode = false;
template <typename R> constexpr bool hasMode<R, std::void_t<decltype(R::mode)>> = true;

template <typename R, typename = void> constexpr bool hasCwdmData = false;
template <typename R> constexpr bool hasCwdmData<R, std::void_t<decltype(R::cwdmData)>> = true;
template <typename R, typename = void> constexpr bool hasDwdmData = false;
template <typename R> constexpr bool hasDwdmData<R, std::void_t<decltype(R::dwdmData)>> = true;
template <typename R, typename = void> constexpr bool hasMpoData = false;
template <typename R> constexpr bool hasMpoData<R, std::void_t<decltype(R::mpoData)>> = true;

// The readings of a record, under whichever name its kind gives them.
template <typename R> const auto& readings(const R& r)
{
    if constexpr (hasCwdmData<R>)
        return r.cwdmData;
    else if constexpr (hasDwdmData<R>)
        return r.dwdmData;
    else if constexpr (hasMpoData<R>)
        return r.mpoData;
    else
        return r.data;
}
} // namespace RecordFields
