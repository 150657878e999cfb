#include "data/catalogue.h"
#include "data/intake.h"
#include "data/records.h"

#include <QTest>

#include <limits>

// The records built from decoded reports, and the record-list row each report adds. Expected
// values are typed out as the meter's users would read them, never derived from the code.

namespace {

constexpr uint dateWord(uint year, uint month, uint day)
{
    return (year << 16) + (month << 8) + day;
}

constexpr uint timeWord(uint hour, uint minute, uint second)
{
    return (hour << 16) + (minute << 8) + second;
}

template <std::size_t N> QVector<double> toVector(const std::array<double, N>& values)
{
    return QVector<double>(values.begin(), values.end());
}

template <std::size_t N> QByteArray toBytes(const std::array<quint8, N>& values)
{
    QByteArray out;
    for (quint8 b : values)
        out.append(char(b));
    return out;
}

QByteArray toBytes(const RecordName& name)
{
    return QByteArray(name.data(), int(name.size()));
}

// What every record type has in common, whatever its kind.
struct Built {
    QVector<double> values;
    QDate date;
    QTime time;
};

Built build(int kind, const QVector<qint16>& raw, uint date = 0, uint time = 0)
{
    const QByteArray onOff;
    const QByteArray name("REC");
    switch (kind) {
    case Kind::CWDM18: {
        const CWDM18Record r(raw, date, time, name);
        return {toVector(r.cwdmData), r.date, r.time};
    }
    case Kind::DWDM48: {
        const DWDM48Record r(raw, onOff, date, time, name, 4);
        return {toVector(r.dwdmData), r.date, r.time};
    }
    case Kind::Vendral8: {
        const Vendral8Record r(raw, date, time);
        return {toVector(r.data), r.date, r.time};
    }
    case Kind::DWDM96: {
        const DWDM96Record r(raw, date, time, name);
        return {toVector(r.dwdmData), r.date, r.time};
    }
    case Kind::Tarnex8: {
        const Tarnex8Record r(raw, date, time, name);
        return {toVector(r.data), r.date, r.time};
    }
    case Kind::Tarnex56: {
        const Tarnex56Record r(raw, onOff, date, time, name, 0);
        return {toVector(r.data), r.date, r.time};
    }
    case Kind::Tarnex57: {
        const Tarnex57Record r(raw, onOff, date, time, name, 2);
        return {toVector(r.data), r.date, r.time};
    }
    case Kind::Tarnex64: {
        const Tarnex64Record r(raw, onOff, date, time, name, 1);
        return {toVector(r.data), r.date, r.time};
    }
    case Kind::DWDM49TOTAL: {
        const DWDM49TOTALRecord r(raw, onOff, date, time, name, 3);
        return {toVector(r.dwdmData), r.date, r.time};
    }
    case Kind::MPO12: {
        const MPO12Record r(raw, 1, 0, date, time, name);
        return {toVector(r.mpoData), r.date, r.time};
    }
    case Kind::MPO24: {
        const MPO24Record r(raw, 2, 1, date, time);
        return {toVector(r.mpoData), r.date, r.time};
    }
    case Kind::MPO16: {
        const MPO16Record r(raw, 3, 2, date, time, name);
        return {toVector(r.mpoData), r.date, r.time};
    }
    case Kind::MPO32: {
        const MPO32Record r(raw, 1, 1, date, time, name);
        return {toVector(r.mpoData), r.date, r.time};
    }
    default:
        return {};
    }
}

// More raw values than any report carries.
QVector<qint16> filled(qint16 raw)
{
    return QVector<qint16>(100, raw);
}

QByteArray pattern(int size)
{
    QByteArray out;
    for (int i = 0; i < size; ++i)
        out.append(char((i * 37 + 1) & 0xFF));
    return out;
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Records
    void powers_data();
    void powers();
    void missingReadings_data();
    void missingReadings();
    void vendral8Values_data();
    void vendral8Values();
    void dates_data();
    void dates();
    void times_data();
    void times();
    void names_data();
    void names();
    void totalLabels_data();
    void totalLabels();
    void onOffCopied_data();
    void onOffCopied();
    void totalIndexCopied_data();
    void totalIndexCopied();
    void mpoFields_data();
    void mpoFields();

    // Record-list rows
    void rowNames_data();
    void rowNames();
    void typeLabels_data();
    void typeLabels();
    void dateTimeTexts_data();
    void dateTimeTexts();
    void unknownKinds_data();
    void unknownKinds();
};

void TestRecords::powers_data()
{
    QTest::addColumn<int>("raw");
    QTest::addColumn<double>("dbm");

    QTest::newRow("filler -9900") << -9900 << -99.00;
    QTest::newRow("largest 32767") << 32767 << 327.67;
    QTest::newRow("smallest -32768") << -32768 << -327.68;
    QTest::newRow("1234") << 1234 << 12.34;
    QTest::newRow("-1") << -1 << -0.01;
    QTest::newRow("zero") << 0 << 0.0;
}

void TestRecords::powers()
{
    QFETCH(int, raw);
    QFETCH(double, dbm);

    for (int kind = Kind::First; kind <= Kind::Last; ++kind) {
        const Built b = build(kind, filled(qint16(raw)));
        QVERIFY2(!b.values.isEmpty(), qPrintable(kindName(kind)));
        for (int i = 0; i < b.values.size(); ++i)
            QVERIFY2(b.values.at(i) == dbm, qPrintable(QStringLiteral("%1 entry %2: %3")
                                                           .arg(kindName(kind))
                                                           .arg(i)
                                                           .arg(b.values.at(i))));
    }
}

void TestRecords::missingReadings_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("given");
    QTest::addColumn<int>("size");

    QTest::newRow("CWDM18 from no values") << int(Kind::CWDM18) << 0 << 18;
    QTest::newRow("DWDM48 plain report (48 values)") << int(Kind::DWDM48) << 48 << 50;
    QTest::newRow("Vendral8 from 4 values") << int(Kind::Vendral8) << 4 << 5;
    QTest::newRow("DWDM96 from one half") << int(Kind::DWDM96) << 48 << 96;
    QTest::newRow("Tarnex8 from 8 values") << int(Kind::Tarnex8) << 8 << 10;
    QTest::newRow("Tarnex56 old firmware (56 values)") << int(Kind::Tarnex56) << 56 << 58;
    QTest::newRow("Tarnex57 without total") << int(Kind::Tarnex57) << 57 << 58;
    QTest::newRow("Tarnex64 without total") << int(Kind::Tarnex64) << 64 << 65;
    QTest::newRow("DWDM49TOTAL without total") << int(Kind::DWDM49TOTAL) << 49 << 50;
    QTest::newRow("MPO12 from 11 values") << int(Kind::MPO12) << 11 << 12;
    QTest::newRow("MPO24 from no values") << int(Kind::MPO24) << 0 << 24;
    QTest::newRow("MPO16 from 15 values") << int(Kind::MPO16) << 15 << 16;
    QTest::newRow("MPO32 from 31 values") << int(Kind::MPO32) << 31 << 32;
}

void TestRecords::missingReadings()
{
    QFETCH(int, kind);
    QFETCH(int, given);
    QFETCH(int, size);

    const Built b = build(kind, QVector<qint16>(given, qint16(-1234)));
    QCOMPARE(b.values.size(), size);
    for (int i = 0; i < size; ++i)
        QCOMPARE(b.values.at(i), i < given ? -12.34 : -99.0);
}

void TestRecords::vendral8Values_data()
{
    QTest::addColumn<QVector<qint16>>("raw");
    QTest::addColumn<QVector<double>>("expected");

    QTest::newRow("six values: the sixth is dropped")
        << QVector<qint16>{-1234, 1, 2, 3, -500, 9999}
        << QVector<double>{-12.34, 0.01, 0.02, 0.03, -5.0};
    QTest::newRow("five values") << QVector<qint16>{100, 200, 300, 400, -9900}
                                 << QVector<double>{1.0, 2.0, 3.0, 4.0, -99.0};
}

void TestRecords::vendral8Values()
{
    QFETCH(QVector<qint16>, raw);
    QFETCH(QVector<double>, expected);

    const Vendral8Record r(raw, dateWord(2026, 3, 1), timeWord(10, 0, 0));
    QCOMPARE(toVector(r.data), expected);
}

void TestRecords::dates_data()
{
    QTest::addColumn<uint>("word");
    QTest::addColumn<QDate>("expected");

    QTest::newRow("2020-12-31") << dateWord(2020, 12, 31) << QDate(2020, 12, 31);
    QTest::newRow("2026-03-01") << dateWord(2026, 3, 1) << QDate(2026, 3, 1);
    QTest::newRow("leap day 2024-02-29") << dateWord(2024, 2, 29) << QDate(2024, 2, 29);
    QTest::newRow("month 13") << dateWord(2020, 13, 1) << QDate();
    QTest::newRow("day 0") << dateWord(2020, 12, 0) << QDate();
    QTest::newRow("2021-02-29") << dateWord(2021, 2, 29) << QDate();
    QTest::newRow("day 32") << dateWord(2020, 1, 32) << QDate();
    QTest::newRow("all zero") << 0u << QDate();
}

void TestRecords::dates()
{
    QFETCH(uint, word);
    QFETCH(QDate, expected);

    QCOMPARE(RecordValues::date(word).isNull(), expected.isNull());
    QCOMPARE(RecordValues::date(word), expected);
    for (int kind = Kind::First; kind <= Kind::Last; ++kind) {
        const Built b = build(kind, {}, word, timeWord(12, 0, 0));
        QVERIFY2(b.date == expected, qPrintable(kindName(kind)));
        QVERIFY2(b.date.isNull() == expected.isNull(), qPrintable(kindName(kind)));
    }
}

void TestRecords::times_data()
{
    QTest::addColumn<uint>("word");
    QTest::addColumn<QTime>("expected");

    QTest::newRow("23:59:59") << timeWord(23, 59, 59) << QTime(23, 59, 59, 0);
    QTest::newRow("10:00:00") << timeWord(10, 0, 0) << QTime(10, 0, 0, 0);
    QTest::newRow("midnight") << 0u << QTime(0, 0, 0, 0);
    QTest::newRow("hour 24") << timeWord(24, 0, 0) << QTime();
    QTest::newRow("minute 60") << timeWord(12, 60, 0) << QTime();
    QTest::newRow("second 60") << timeWord(12, 0, 60) << QTime();
}

void TestRecords::times()
{
    QFETCH(uint, word);
    QFETCH(QTime, expected);

    const QTime got = RecordValues::time(word);
    QCOMPARE(got.isValid(), expected.isValid());
    QCOMPARE(got, expected);
    if (got.isValid())
        QCOMPARE(got.msec(), 0);
    for (int kind = Kind::First; kind <= Kind::Last; ++kind) {
        const Built b = build(kind, {}, dateWord(2020, 12, 31), word);
        QVERIFY2(b.time == expected, qPrintable(kindName(kind)));
        QVERIFY2(b.time.isValid() == expected.isValid(), qPrintable(kindName(kind)));
    }
}

void TestRecords::names_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("16 characters followed by more")
        << QByteArray("ABCDEFGHIJKLMNOPQRSTU") << "ABCDEFGHIJKLMNOP"
        << QByteArray("ABCDEFGHIJKLMNOP");
    QTest::newRow("exactly 16 characters")
        << QByteArray("0123456789ABCDEF") << "0123456789ABCDEF" << QByteArray("0123456789ABCDEF");
    QTest::newRow("short, zero-padded") << QByteArray("OLT-3\0\0\0\0\0\0\0\0\0\0\0", 16) << "OLT-3"
                                        << QByteArray("OLT-3\0\0\0\0\0\0\0\0\0\0\0", 16);
    QTest::newRow("short, no padding")
        << QByteArray("OLT-3") << "OLT-3" << QByteArray("OLT-3\0\0\0\0\0\0\0\0\0\0\0", 16);
    QTest::newRow("ends at the first zero")
        << QByteArray("AB\0CD", 5) << "AB" << QByteArray("AB\0CD\0\0\0\0\0\0\0\0\0\0\0", 16);
    QTest::newRow("zero then A") << QByteArray("\0A", 2) << ""
                                 << QByteArray("\0A\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16);
    QTest::newRow("empty") << QByteArray() << "" << QByteArray(16, '\0');
}

void TestRecords::names()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, text);
    QFETCH(QByteArray, stored);

    QCOMPARE(RecordValues::nameText(RecordValues::name(raw)), text);
    QCOMPARE(toBytes(RecordValues::name(raw)), stored);
    QCOMPARE(Intake::reportNameText(raw), text);

    // In a DWDM48 record the total index follows the name; non-zero bytes there must not
    // become part of a 16-character name.
    const DWDM48Record dwdm(filled(0), QByteArray(), 0, 0, raw, 0x41414141);
    QCOMPARE(toBytes(dwdm.name), stored);
    QCOMPARE(RecordValues::nameText(dwdm.name), text);
    QCOMPARE(dwdm.totalIndex, 0x41414141);

    const CWDM18Record cwdm(filled(0), 0, 0, raw);
    QCOMPARE(toBytes(cwdm.name), stored);
    QCOMPARE(RecordValues::nameText(cwdm.name), text);

    const MPO16Record mpo(filled(0), 1, 0, 0, 0, raw);
    QCOMPARE(toBytes(mpo.name), stored);
    QCOMPARE(RecordValues::nameText(mpo.name), text);
}

void TestRecords::totalLabels_data()
{
    QTest::addColumn<int>("totalWav");
    QTest::addColumn<QString>("label");

    QTest::newRow("0") << 0 << "T_1310";
    QTest::newRow("1") << 1 << "T_1470";
    QTest::newRow("2") << 2 << "T_1550";
    QTest::newRow("3") << 3 << "T_1610";
    QTest::newRow("4") << 4 << "Total";
    QTest::newRow("7") << 7 << "Total";
    QTest::newRow("-1") << -1 << "Total";
    QTest::newRow("largest") << std::numeric_limits<int>::max() << "Total";
}

void TestRecords::totalLabels()
{
    QFETCH(int, totalWav);
    QFETCH(QString, label);

    const DWDM49TOTALRecord r(filled(0), QByteArray(52, '\1'), dateWord(2026, 3, 1),
                              timeWord(10, 0, 0), QByteArray("P1"), totalWav);
    QCOMPARE(r.totalWav, totalWav);
    QCOMPARE(r.totalLabel, label);
}

void TestRecords::onOffCopied_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("DWDM48 full block") << int(Kind::DWDM48) << pattern(52) << pattern(52);
    QTest::newRow("DWDM48 plain report: no block")
        << int(Kind::DWDM48) << QByteArray() << QByteArray(52, '\0');
    QTest::newRow("DWDM48 short block, zero-filled")
        << int(Kind::DWDM48) << pattern(10) << pattern(10) + QByteArray(42, '\0');
    QTest::newRow("Tarnex56 full block") << int(Kind::Tarnex56) << pattern(60) << pattern(60);
    QTest::newRow("Tarnex57 full block") << int(Kind::Tarnex57) << pattern(60) << pattern(60);
    QTest::newRow("Tarnex64 full block") << int(Kind::Tarnex64) << pattern(68) << pattern(68);
    QTest::newRow("Tarnex64 long block, cut") << int(Kind::Tarnex64) << pattern(80) << pattern(68);
    QTest::newRow("DWDM49TOTAL full block") << int(Kind::DWDM49TOTAL) << pattern(52) << pattern(52);
}

void TestRecords::onOffCopied()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, stored);

    const uint d = dateWord(2026, 3, 1);
    const uint t = timeWord(10, 0, 0);
    QByteArray got;
    switch (kind) {
    case Kind::DWDM48:
        got = toBytes(DWDM48Record(filled(0), raw, d, t, "N", 0).onOff);
        break;
    case Kind::Tarnex56:
    case Kind::Tarnex57:
        got = toBytes(Tarnex56Record(filled(0), raw, d, t, "N", 0).onOff);
        break;
    case Kind::Tarnex64:
        got = toBytes(Tarnex64Record(filled(0), raw, d, t, "N", 0).onOff);
        break;
    case Kind::DWDM49TOTAL:
        got = toBytes(DWDM49TOTALRecord(filled(0), raw, d, t, "N", 0).onOff);
        break;
    default:
        QFAIL("no on/off block for this kind");
    }
    QCOMPARE(got, stored);
}

void TestRecords::totalIndexCopied_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("totalIndex");

    QTest::newRow("DWDM48 plain 4") << int(Kind::DWDM48) << 4;
    QTest::newRow("DWDM48 0") << int(Kind::DWDM48) << 0;
    QTest::newRow("Tarnex56 4") << int(Kind::Tarnex56) << 4;
    QTest::newRow("Tarnex57 2") << int(Kind::Tarnex57) << 2;
    QTest::newRow("Tarnex57 -1") << int(Kind::Tarnex57) << -1;
    QTest::newRow("Tarnex64 9") << int(Kind::Tarnex64) << 9;
    QTest::newRow("Tarnex64 smallest") << int(Kind::Tarnex64) << std::numeric_limits<int>::min();
}

void TestRecords::totalIndexCopied()
{
    QFETCH(int, kind);
    QFETCH(int, totalIndex);

    const QByteArray onOff(68, '\1');
    qint32 got = 0;
    switch (kind) {
    case Kind::DWDM48:
        got = DWDM48Record(filled(0), onOff, 0, 0, "N", totalIndex).totalIndex;
        break;
    case Kind::Tarnex56:
    case Kind::Tarnex57:
        got = Tarnex56Record(filled(0), onOff, 0, 0, "N", totalIndex).totalIndex;
        break;
    case Kind::Tarnex64:
        got = Tarnex64Record(filled(0), onOff, 0, 0, "N", totalIndex).totalIndex;
        break;
    default:
        QFAIL("no total index for this kind");
    }
    QCOMPARE(got, totalIndex);
}

void TestRecords::mpoFields_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("polar");

    QTest::newRow("MPO12 850nm straight") << int(Kind::MPO12) << 1 << 0;
    QTest::newRow("MPO24 1310nm rollover") << int(Kind::MPO24) << 2 << 1;
    QTest::newRow("MPO16 1550nm flipped") << int(Kind::MPO16) << 3 << 2;
    QTest::newRow("MPO32 unknown values") << int(Kind::MPO32) << 5 << 7;
    QTest::newRow("MPO12 largest values") << int(Kind::MPO12) << 65535 << 65535;
}

void TestRecords::mpoFields()
{
    QFETCH(int, kind);
    QFETCH(int, mode);
    QFETCH(int, polar);

    const ushort m = ushort(mode);
    const ushort p = ushort(polar);
    const uint d = dateWord(2026, 3, 1);
    const uint t = timeWord(10, 0, 0);
    quint16 gotMode = 0;
    quint16 gotPolar = 0;
    switch (kind) {
    case Kind::MPO12: {
        const MPO12Record r(filled(0), m, p, d, t, "F");
        gotMode = r.mode;
        gotPolar = r.polar;
        break;
    }
    case Kind::MPO24: {
        const MPO24Record r(filled(0), m, p, d, t);
        gotMode = r.mode;
        gotPolar = r.polar;
        break;
    }
    case Kind::MPO16: {
        const MPO16Record r(filled(0), m, p, d, t, "F");
        gotMode = r.mode;
        gotPolar = r.polar;
        break;
    }
    case Kind::MPO32: {
        const MPO32Record r(filled(0), m, p, d, t, "F");
        gotMode = r.mode;
        gotPolar = r.polar;
        break;
    }
    default:
        QFAIL("not an MPO kind");
    }
    QCOMPARE(int(gotMode), mode);
    QCOMPARE(int(gotPolar), polar);
}

void TestRecords::rowNames_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("count");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("column0");

    const QByteArray zeroA("\0A", 2);
    const QByteArray unnamed(16, '\0');

    QTest::newRow("CWDM18 empty name, count 4") << int(Kind::CWDM18) << 4 << QByteArray() << "5";
    QTest::newRow("CWDM18 zero-padded empty name") << int(Kind::CWDM18) << 0 << unnamed << "1";
    QTest::newRow("CWDM18 named") << int(Kind::CWDM18) << 4 << QByteArray("FIBRE-A") << "FIBRE-A";
    QTest::newRow("CWDM18 zero then A") << int(Kind::CWDM18) << 4 << zeroA << "5";
    QTest::newRow("CWDM18 16 characters followed by more")
        << int(Kind::CWDM18) << 0 << QByteArray("ABCDEFGHIJKLMNOPQRSTU") << "ABCDEFGHIJKLMNOP";
    QTest::newRow("DWDM48 zero then A") << int(Kind::DWDM48) << 0 << zeroA << "1";
    QTest::newRow("DWDM48 named") << int(Kind::DWDM48) << 1 << QByteArray("E-W") << "E-W";
    QTest::newRow("DWDM49TOTAL zero then A") << int(Kind::DWDM49TOTAL) << 9 << zeroA << "10";
    QTest::newRow("DWDM49TOTAL empty name") << int(Kind::DWDM49TOTAL) << 2 << unnamed << "3";
    QTest::newRow("DWDM96 empty name") << int(Kind::DWDM96) << 4 << QByteArray() << "";
    QTest::newRow("DWDM96 zero-padded empty name") << int(Kind::DWDM96) << 4 << unnamed << "";
    QTest::newRow("DWDM96 zero then A") << int(Kind::DWDM96) << 4 << zeroA << "";
    QTest::newRow("DWDM96 named") << int(Kind::DWDM96) << 0 << QByteArray("RACK 2") << "RACK 2";
    QTest::newRow("Vendral8 empty name") << int(Kind::Vendral8) << 2 << unnamed << "3";
    QTest::newRow("Vendral8 A then zero") << int(Kind::Vendral8) << 2 << QByteArray("A") << "A";
    QTest::newRow("Vendral8 zero then A") << int(Kind::Vendral8) << 2 << zeroA << "";
    QTest::newRow("Tarnex8 zero then A") << int(Kind::Tarnex8) << 4 << zeroA << "";
    QTest::newRow("Tarnex8 empty name") << int(Kind::Tarnex8) << 4 << unnamed << "5";
    QTest::newRow("Tarnex56 zero then A") << int(Kind::Tarnex56) << 0 << zeroA << "";
    QTest::newRow("Tarnex57 zero then A") << int(Kind::Tarnex57) << 0 << zeroA << "";
    QTest::newRow("Tarnex64 zero then A") << int(Kind::Tarnex64) << 0 << zeroA << "";
    QTest::newRow("Tarnex64 empty name") << int(Kind::Tarnex64) << 6 << QByteArray() << "7";
    QTest::newRow("MPO12 zero then A") << int(Kind::MPO12) << 0 << zeroA << "";
    QTest::newRow("MPO24 zero then A") << int(Kind::MPO24) << 0 << zeroA << "";
    QTest::newRow("MPO16 zero then A") << int(Kind::MPO16) << 0 << zeroA << "";
    QTest::newRow("MPO32 zero then A") << int(Kind::MPO32) << 0 << zeroA << "";
    QTest::newRow("MPO32 empty name") << int(Kind::MPO32) << 11 << unnamed << "12";
    QTest::newRow("last possible count") << int(Kind::CWDM18) << 65534 << unnamed << "65535";
}

void TestRecords::rowNames()
{
    QFETCH(int, kind);
    QFETCH(int, count);
    QFETCH(QByteArray, name);
    QFETCH(QString, column0);

    const QStringList row =
        Intake::rowTexts(kind, count, name, dateWord(2026, 3, 1), timeWord(10, 0, 0));
    QCOMPARE(row.size(), 3);
    QCOMPARE(row.at(0), column0);
}

void TestRecords::typeLabels_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("label");

    QTest::newRow("CWDM18") << int(Kind::CWDM18) << "CWDM Data";
    QTest::newRow("DWDM48") << int(Kind::DWDM48) << "DWDM-48 Data";
    QTest::newRow("Vendral8") << int(Kind::Vendral8) << "Vendral Data";
    QTest::newRow("DWDM96") << int(Kind::DWDM96) << "DWDM-96 Data";
    QTest::newRow("Tarnex8") << int(Kind::Tarnex8) << "Tarnex-10 Data";
    QTest::newRow("Tarnex56") << int(Kind::Tarnex56) << "Caspel Data";
    QTest::newRow("Tarnex57") << int(Kind::Tarnex57) << "Caspel Data";
    QTest::newRow("Tarnex64") << int(Kind::Tarnex64) << "Caspel(64ch) Data";
    QTest::newRow("DWDM49TOTAL") << int(Kind::DWDM49TOTAL) << "Pelkin Data";
    QTest::newRow("MPO12") << int(Kind::MPO12) << "MPO Data";
    QTest::newRow("MPO24") << int(Kind::MPO24) << "MPO24 Data";
    QTest::newRow("MPO16") << int(Kind::MPO16) << "MPO16 Data";
    QTest::newRow("MPO32") << int(Kind::MPO32) << "MPO32 Data";
}

void TestRecords::typeLabels()
{
    QFETCH(int, kind);
    QFETCH(QString, label);

    const KindInfo* info = kindInfo(kind);
    QVERIFY(info);
    QCOMPARE(QString::fromLatin1(info->typeLabel), label);
    const QStringList row =
        Intake::rowTexts(kind, 0, QByteArray("X"), dateWord(2026, 3, 1), timeWord(10, 0, 0));
    QCOMPARE(row.size(), 3);
    QCOMPARE(row.at(1), label);
}

void TestRecords::dateTimeTexts_data()
{
    QTest::addColumn<uint>("date");
    QTest::addColumn<uint>("time");
    QTest::addColumn<QString>("text");

    QTest::newRow("2026-03-01 10:00:00")
        << dateWord(2026, 3, 1) << timeWord(10, 0, 0) << "2026-03-01 10:00:00";
    QTest::newRow("2020-12-31 23:59:59")
        << dateWord(2020, 12, 31) << timeWord(23, 59, 59) << "2020-12-31 23:59:59";
    QTest::newRow("small year padded")
        << dateWord(5, 1, 2) << timeWord(3, 4, 5) << "0005-01-02 03:04:05";
    QTest::newRow("impossible values as they come")
        << dateWord(2020, 13, 32) << timeWord(25, 61, 99) << "2020-13-32 25:61:99";
    QTest::newRow("zero words") << 0u << 0u << "0000-00-00 00:00:00";
}

void TestRecords::dateTimeTexts()
{
    QFETCH(uint, date);
    QFETCH(uint, time);
    QFETCH(QString, text);

    QCOMPARE(Intake::dateTimeText(date, time), text);
    for (int kind = Kind::First; kind <= Kind::Last; ++kind) {
        const QStringList row = Intake::rowTexts(kind, 0, QByteArray(), date, time);
        QCOMPARE(row.size(), 3);
        QCOMPARE(row.at(2), text);
    }
}

void TestRecords::unknownKinds_data()
{
    QTest::addColumn<int>("kind");

    QTest::newRow("none") << 0;
    QTest::newRow("14") << 14;
    QTest::newRow("-1") << -1;
    QTest::newRow("255") << 255;
}

void TestRecords::unknownKinds()
{
    QFETCH(int, kind);

    QVERIFY(!kindInfo(kind));
    QVERIFY(Intake::rowTexts(kind, 0, QByteArray("NAMED"), dateWord(2026, 3, 1), timeWord(10, 0, 0))
                .isEmpty());
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
