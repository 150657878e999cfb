#include "data/catalogue.h"
#include "data/intake.h"
#include "tests/testsupport.h"

#include <QTest>

#include <limits>

// What a record's values read as, and the record-list row each record adds. Expected values are
// typed out as the meter's users would read them, never derived from the code.

using TestSupport::dateWord;
using TestSupport::measurement;
using TestSupport::timeWord;
using TestSupport::Values;

namespace {

Values named(const QByteArray& name)
{
    Values v;
    v.name = name;
    return v;
}

} // namespace

class TestRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Records
    void powers_data();
    void powers();
    void dates_data();
    void dates();
    void times_data();
    void times();
    void names_data();
    void names();
    void totalLabels_data();
    void totalLabels();

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

    const Measurement m = measurement(Kind::DWDM48, {qint16(raw), 5});
    QCOMPARE(m.dbm(0), dbm);
    QCOMPARE(m.dbms().front(), dbm);
    QCOMPARE(m.dbm(1), 0.05);
    // Readings the record does not hold read as the filler.
    QCOMPARE(m.dbm(2), -99.0);
    QCOMPARE(m.dbm(50), -99.0);
    QCOMPARE(m.dbm(-1), -99.0);
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

    Values v;
    v.date = word;
    const QDate got = measurement(Kind::CWDM18, {}, v).date();
    QCOMPARE(got.isNull(), expected.isNull());
    QCOMPARE(got, expected);
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

    Values v;
    v.time = word;
    const QTime got = measurement(Kind::CWDM18, {}, v).time();
    QCOMPARE(got.isValid(), expected.isValid());
    QCOMPARE(got, expected);
    if (got.isValid())
        QCOMPARE(got.msec(), 0);
}

void TestRecords::names_data()
{
    QTest::addColumn<QByteArray>("raw");
    QTest::addColumn<QString>("text");

    QTest::newRow("16 characters followed by more")
        << QByteArray("ABCDEFGHIJKLMNOPQRSTU") << "ABCDEFGHIJKLMNOP";
    QTest::newRow("exactly 16 characters") << QByteArray("0123456789ABCDEF") << "0123456789ABCDEF";
    QTest::newRow("short, zero-padded") << QByteArray("OLT-3\0\0\0\0\0\0\0\0\0\0\0", 16) << "OLT-3";
    QTest::newRow("short, no padding") << QByteArray("OLT-3") << "OLT-3";
    QTest::newRow("ends at the first zero") << QByteArray("AB\0CD", 5) << "AB";
    QTest::newRow("zero then A") << QByteArray("\0A", 2) << "";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("control characters as spaces") << QByteArray("A\tB\nC\x7f") << "A B C ";
}

void TestRecords::names()
{
    QFETCH(QByteArray, raw);
    QFETCH(QString, text);

    // As the decoder hands the name on (16 bytes) and as it may come with more or fewer.
    Measurement m = measurement(Kind::CWDM18, {}, named(raw));
    QCOMPARE(m.nameText(), text);
    m.name = raw;
    QCOMPARE(m.nameText(), text);
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

    Values v;
    v.totalIndex = totalWav;
    QCOMPARE(measurement(Kind::DWDM49TOTAL, {}, v).totalLabel(), label);
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

    Values v;
    v.name = name;
    v.index = count;
    v.total = count + 1;
    const QStringList row = Intake::rowTexts(measurement(kind, {}, v));
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
    const QStringList row = Intake::rowTexts(measurement(kind, {}, named("X")));
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
        Values v;
        v.date = date;
        v.time = time;
        const QStringList row = Intake::rowTexts(measurement(kind, {}, v));
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
    QVERIFY(Intake::rowTexts(measurement(kind, {}, named("NAMED"))).isEmpty());
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
