#pragma once

#include "data/measurement.h"
#include "files/csvreport.h"
#include "files/report.h"

#include <QByteArray>
#include <QDateTime>
#include <QLatin1String>
#include <QVector>
#include <QWidget>
#include <QtGlobal>

// Small helpers that the tests and the benchmarks share.
namespace TestSupport {

// A widget or action of a window by object name; a run that names a missing one cannot go on,
// so it stops with the name instead of crashing on a null pointer.
template <typename T> T* child(QWidget& w, const char* name)
{
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

// The chooser index that makes the receiver decode `kind`.
inline int deviceIndexFor(int kind)
{
    return kindInfo(kind)->deviceIndex;
}

// The words a meter sends for a date and a time.
constexpr uint dateWord(uint year, uint month, uint day)
{
    return (year << 16) | (month << 8) | day;
}
constexpr uint timeWord(uint hour, uint minute, uint second)
{
    return (hour << 16) | (minute << 8) | second;
}

// What a test builds a record from; unset fields as a meter without them sends them.
struct Values {
    QByteArray name;
    QByteArray onOff;
    int totalIndex = 0;
    quint16 mode = 0;
    quint16 polar = 0;
    uint date = dateWord(2026, 3, 1);
    uint time = timeWord(10, 0, 0);
    int index = 0;
    int total = 1;
};

// A record of `kind` as the decoder hands it on: `readings` in hundredths of a dBm, cut or
// filled with the filler to the kind's stored readings; the name padded to its 16 bytes.
inline Measurement measurement(int kind, QVector<qint16> readings, const Values& v = {})
{
    Measurement m;
    m.kind = kindInfo(kind);
    m.index = v.index;
    m.total = v.total;
    m.dateWord = v.date;
    m.timeWord = v.time;
    m.name = v.name.left(Measurement::NameSize);
    m.name.append(QByteArray(Measurement::NameSize - m.name.size(), '\0'));
    readings.resize(m.kind ? m.kind->stored : 0, FillerHundredths);
    m.readings = readings;
    m.onOff = v.onOff;
    m.totalIndex = v.totalIndex;
    m.mode = v.mode;
    m.polar = v.polar;
    return m;
}

// The CSV file Save Data writes of `records` of `kind` for a meter named `product`: of the
// fibre-row kinds, the first record's.
inline QByteArray csvFile(int kind, const QList<Measurement>& records,
                          const QString& product = QString())
{
    MeterIdentity meter;
    meter.product = product;
    return CsvReport::bytes(Report(meter, kind, false, {}, records, QDateTime()));
}

} // namespace TestSupport
