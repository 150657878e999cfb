#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <array>

namespace metersim {

// Everything a stored measurement can carry; each kind's layout picks the fields it sends.
struct Record {
    std::array<qint16, 96> powers{}; // hundredths of a dBm, channel order
    quint32 date = 0;                // year << 16 | month << 8 | day
    quint32 time = 0;                // hour << 16 | minute << 8 | second
    QByteArray name;                 // at most 16 bytes, empty for an unnamed record
    qint32 totalIndex = 0;
    qint32 totalWav = 0;
    quint16 mode = 0;
    quint16 polar = 0;
    std::array<quint8, 68> onOff{};
};

constexpr int kMaxNameLength = 16;

quint32 dateWord(int year, int month, int day);
quint32 timeWord(int hour, int minute, int second);

// The deterministic record r of a meter that was not given a records file.
Record generatedRecord(int r);
QVector<Record> generatedRecords(int count);

// Reads {"records":[...]}; a missing field or array element takes the generated record's value.
bool loadRecordsFile(const QString& path, QVector<Record>* records, QString* error);

} // namespace metersim
