#pragma once

#include "data/kinds.h"

#include <QByteArray>
#include <QDate>
#include <QMetaType>
#include <QString>
#include <QTime>
#include <QVector>
#include <QtGlobal>

#include <vector>

// One measurement record as the meter stored it: the one value that travels from the decoder to
// the record list, the detail view, the graph and every report. Plain value, copied freely.
struct Measurement {
    static constexpr int NameSize = 16;

    const KindInfo* kind = nullptr; // its row of the kind table
    int index = 0;                  // the meter's record number, from 0
    int total = 0;                  // records the meter holds
    // Year in bits 16..31, month 8..15, day 0..7; hour, minute, second likewise.
    uint dateWord = 0;
    uint timeWord = 0;
    QByteArray name; // the 16 name bytes as sent; zeros where the meter sends none
    // Hundredths of a dBm, kind->stored of them; FillerHundredths where the frame has no value.
    QVector<qint16> readings;
    QByteArray onOff;   // channel flags; empty where the meter sends none
    int totalIndex = 0; // which total the record carries (NoTotal: none, and no flags)
    quint16 mode = 0;   // MPO: test wavelength
    quint16 polar = 0;  // MPO: polarity

    int code() const { return kind ? kind->code : 0; }
    // Reading i in dBm; the filler for an index the record does not hold.
    double dbm(int i) const;
    // Every reading in dBm.
    std::vector<double> dbms() const;
    // Whether the meter flags reading i as on.
    bool on(int i) const { return i >= 0 && i < onOff.size() && onOff.at(i) != 0; }
    // The null date or time when the word holds an impossible one.
    QDate date() const;
    QTime time() const;
    // Up to the first zero byte, at most 16 bytes; control characters become spaces.
    QString nameText() const;
    // "T_1310" ... "T_1610" for total index 0..3, else "Total".
    QString totalLabel() const;
};

Q_DECLARE_METATYPE(Measurement)

// A missing reading in dBm.
constexpr double FillerDbm = FillerHundredths / 100.0;
