#include "files/csvreport.h"
#include "files/opendata.h"
#include "tests/testsupport.h"

#include <QLocale>
#include <QTest>

// The report file that Save Data writes, byte for byte: headings, label rows, record rows,
// fibre rows and the reading cells. Expected texts are typed out as a spreadsheet user would
// read them in the file, not derived from the label tables.

using TestSupport::csvFile;
using TestSupport::dateWord;
using TestSupport::timeWord;

namespace {

// The file's lines without their CR LF; fails the test when a line is not ended that way.
QList<QByteArray> linesOf(const QByteArray& bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (lines.isEmpty() || !lines.last().isEmpty()) {
        QTest::qFail("the last line is not ended", __FILE__, __LINE__);
        return {};
    }
    lines.removeLast();
    for (QByteArray& line : lines) {
        if (!line.endsWith('\r')) {
            QTest::qFail("a line ends without CR", __FILE__, __LINE__);
            return {};
        }
        line.chop(1);
    }
    return lines;
}

// One record of `kind` from raw hundredths of a dBm; readings not given are the filler.
Measurement record(int kind, const QVector<qint16>& raw, const QByteArray& name, quint16 mode = 2,
                   quint16 polar = 0, uint date = dateWord(2026, 3, 1),
                   uint time = timeWord(10, 0, 0))
{
    TestSupport::Values v;
    v.name = name;
    v.mode = mode;
    v.polar = polar;
    v.date = date;
    v.time = time;
    return TestSupport::measurement(kind, raw, v);
}

// The whole file of one record of `kind`, in the layout of that kind.
QByteArray reportOf(int kind, const QVector<qint16>& raw, const QByteArray& name = "NAME",
                    quint16 mode = 2, quint16 polar = 0)
{
    return csvFile(kind, {record(kind, raw, name, mode, polar)}, QStringLiteral("PM12"));
}

// The line of the first record, or the first fibre, of a file of `kind`.
QByteArray firstDataLine(int kind, const QByteArray& bytes)
{
    const QList<QByteArray> lines = linesOf(bytes);
    for (const QByteArray& line : lines) {
        if (line.startsWith("1,"))
            return line;
    }
    QTest::qFail(qPrintable(QStringLiteral("no data line in the kind %1 file").arg(kind)), __FILE__,
                 __LINE__);
    return {};
}

// A restorer for the default locale, which the report must not follow.
struct DefaultLocale {
    QLocale saved;
    explicit DefaultLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~DefaultLocale() { QLocale::setDefault(saved); }
};

} // namespace

class TestCsvReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The two examples a user is shown of the file: every byte of it.
    void workedExamples_data()
    {
        QTest::addColumn<int>("example");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("Vendral-8, two records") << 0
                                                << QByteArray("Vendral-8 Data\r\n"
                                                              "==========================\r\n"
                                                              "\r\n"
                                                              ",Channel,1,2,3,4,5\r\n"
                                                              ",Wavelength[nm],1295.56,1300.05,"
                                                              "1304.58,1309.14,TOTAL\r\n"
                                                              ",Frequency[THz],231.4,230.6,229.8,"
                                                              "229.0,TOTAL\r\n"
                                                              "1,2019-11-05 14:03:27 RACK-07,-3.25,"
                                                              "-4.1,Low,-2.97,2.4\r\n"
                                                              "2,2019-11-05 14:05:10 ,-3.3,-4.05,"
                                                              "-39.99,High,1.02\r\n");
        QTest::newRow("MPO12 PM12 PANEL-3")
            << 1
            << QByteArray("PM12MPO Data\r\n"
                          "Measured: 2019/11/05 14:03:27 PANEL-3\r\n"
                          "==========================\r\n"
                          "no, wavelength[nm], polarity, "
                          "power[dBm]\r\n"
                          "1,1310nm,Straight,-5.21\r\n"
                          "2,1310nm,Straight,Low\r\n"
                          "3,1310nm,Straight,-5.03\r\n"
                          "4,1310nm,Straight,-4.98\r\n"
                          "5,1310nm,Straight,-5\r\n"
                          "6,1310nm,Straight,-5.1\r\n"
                          "7,1310nm,Straight,-4.77\r\n"
                          "8,1310nm,Straight,-5.32\r\n"
                          "9,1310nm,Straight,-5.45\r\n"
                          "10,1310nm,Straight,-4.9\r\n"
                          "11,1310nm,Straight,-5.06\r\n"
                          "12,1310nm,Straight,-5.9\r\n");
    }
    void workedExamples()
    {
        QFETCH(int, example);
        QFETCH(QByteArray, expected);
        const uint day = dateWord(2019, 11, 5);
        QByteArray bytes;
        if (example == 0) {
            bytes = csvFile(
                3, {record(3, {-325, -410, -4500, -297, 240}, "RACK-07", 0, 0, day,
                           timeWord(14, 3, 27)),
                    record(3, {-330, -405, -3999, 1650, 102}, "", 0, 0, day, timeWord(14, 5, 10))});
        } else {
            bytes = csvFile(
                10,
                {record(10,
                        {-521, -6200, -503, -498, -500, -510, -477, -532, -545, -490, -506, -590},
                        "PANEL-3", 2, 0, day, timeWord(14, 3, 27))},
                QStringLiteral("PM12"));
        }
        QCOMPARE(bytes, expected);
    }

    // Heading, separator, empty line and label rows of the record-row kinds; with no records
    // that is the whole file.
    void recordHeader_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("heading");
        // Per label row: how it starts and how it ends, and how many fields it has.
        QTest::addColumn<QList<QByteArray>>("starts");
        QTest::addColumn<QList<QByteArray>>("ends");
        QTest::addColumn<QList<int>>("fields");
        using Lines = QList<QByteArray>;
        QTest::newRow("1 CWDM18")
            << 1 << QByteArray(" CWDM-18 Data")
            << Lines{",Channel,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,",
                     ",Wavelength[nm],1270,1290,1310,1330,1350,1370,1390,1410,1430,1450,1470,"
                     "1490,1510,1530,1550,1570,1590,1610,"}
            << Lines{",17,18,", ",1590,1610,"} << QList<int>{21, 21};
        QTest::newRow("2 DWDM48") << 2 << QByteArray("DWDM-48 Data")
                                  << Lines{",Channel,1,2,3,", ",Wavelength[nm],1526.44,1527.22,",
                                           ",Frequency[THz],196.40,196.30,",
                                           ",ITU Channel #,64,63,"}
                                  << Lines{",47,48,49", ",1563.86,Total", ",191.80,191.70,Total",
                                           ",18,17,-"}
                                  << QList<int>{51, 51, 51, 51};
        QTest::newRow("3 Vendral8")
            << 3 << QByteArray("Vendral-8 Data")
            << Lines{",Channel,1,2,3,4,5", ",Wavelength[nm],1295.56,1300.05,1304.58,1309.14,TOTAL",
                     ",Frequency[THz],231.4,230.6,229.8,229.0,TOTAL"}
            << Lines{",5", ",TOTAL", ",TOTAL"} << QList<int>{7, 7, 7};
        QTest::newRow("4 DWDM96") << 4 << QByteArray("DWDM-96 Data")
                                  << Lines{",Channel,1,2,", ",Wavelength[nm],1526.05,1526.44,",
                                           ",Frequency[THz],196.45,196.40,"}
                                  << Lines{",95,96", ",1563.45,1563.86", ",191.75,191.70"}
                                  << QList<int>{98, 98, 98};
        QTest::newRow("5 Tarnex8")
            << 5 << QByteArray(" Tarnex-8 Data")
            << Lines{",Channel,1,2,3,4,5,6,7,8,9,10", ",Wavelength[nm],1290.55,1291.65,1293.30,"
                                                      "1295.55,1471,1491,1591,1611,1310,1550"}
            << Lines{",10", ",1310,1550"} << QList<int>{12, 12};
        QTest::newRow("6 Tarnex56")
            << 6 << QByteArray(" Caspel(56ch) Data")
            << Lines{",Channel,1,2,",
                     ",Wavelength[nm],1290,1291,1293,1295,1471,1491,1591,1611,1526.44,1527.22,",
                     ",Frequency[THz],1290,1291,1293,1295,1471nm,1491nm,1591nm,1611nm,196.4,196.3,"}
            << Lines{",56,57", ",1563.86,Total", ",191.8,191.7,Total"} << QList<int>{59, 59, 59};
        QTest::newRow("7 Tarnex57")
            << 7 << QByteArray(" Caspel(57ch) Data")
            << Lines{",Channel,1,2,",
                     ",Wavelength[nm],1290,1291,1293,1295,1471,1491,1591,1611,1527.99,1528.77,",
                     ",Frequency[THz],1290nm,1291nm,1293nm,1295nm,1471nm,1491nm,1591nm,1611nm,"
                     "196.2,196.1,"}
            << Lines{",57,58", ",1566.31,Total", ",191.5,191.4,Total"} << QList<int>{60, 60, 60};
        QTest::newRow("8 Tarnex64")
            << 8 << QByteArray(" Caspel(64ch) Data")
            << Lines{",Channel,1,2,",
                     ",Wavelength[nm],1270,1290,1310,1330,1350,1370,1390,1410,1430,1450,1470,1490,"
                     "1510,1590,1610,1527.99,",
                     ",Frequency[THz],1270,1290,1310,1330,1350,1370,1390,1410,1430,1450,1470,1490,"
                     "1510,1590,1610,196.20,196.10,"}
            << Lines{",64,65", ",1566.31,Total", ",191.50,191.40,Total"} << QList<int>{67, 67, 67};
        QTest::newRow("9 DWDM49TOTAL")
            << 9 << QByteArray("Pelkin Data")
            << Lines{",Channel,1,2,", ",Wavelength[nm],1527.99,1528.77,",
                     ",Frequency[THz],196.20,196.10,", ",ITU Channel #,62,61,"}
            << Lines{",49,50,", ",1566.31,Total,", ",191.40,Total,", ",15,14,-"}
            << QList<int>{53, 53, 53, 52};
    }
    void recordHeader()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, heading);
        QFETCH(QList<QByteArray>, starts);
        QFETCH(QList<QByteArray>, ends);
        QFETCH(QList<int>, fields);
        const QList<QByteArray> lines = linesOf(csvFile(kind, {}));
        QCOMPARE(lines.size(), 3 + starts.size());
        QCOMPARE(lines.at(0), heading);
        QCOMPARE(lines.at(1), QByteArray("=========================="));
        QCOMPARE(lines.at(2), QByteArray());
        for (int i = 0; i < starts.size(); ++i) {
            const QByteArray& label = lines.at(3 + i);
            QVERIFY2(label.startsWith(starts.at(i)), label.constData());
            QVERIFY2(label.endsWith(ends.at(i)), label.constData());
            QCOMPARE(int(label.count(',')) + 1, fields.at(i));
        }
        // The CWDM grid of kind 1 stops at 1610 nm.
        if (kind == 1)
            QVERIFY(!lines.at(4).contains("1625"));
    }

    // The four heading lines of the fibre-row kinds; MPO-24 records carry no name.
    void fibreHeader_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("heading");
        QTest::addColumn<QByteArray>("measured");
        QTest::addColumn<int>("fibres");
        QTest::newRow("10 MPO12") << 10 << QByteArray("EAST") << QByteArray("PM12MPO Data")
                                  << QByteArray("Measured: 2026/03/01 10:00:00 EAST") << 12;
        QTest::newRow("10 MPO12 unnamed") << 10 << QByteArray() << QByteArray("PM12MPO Data")
                                          << QByteArray("Measured: 2026/03/01 10:00:00 ") << 12;
        QTest::newRow("11 MPO24 name dropped")
            << 11 << QByteArray("EAST") << QByteArray("PM12MPO24 Data")
            << QByteArray("Measured: 2026/03/01 10:00:00") << 24;
        QTest::newRow("12 MPO16") << 12 << QByteArray("EAST") << QByteArray("PM12MPO16 Data")
                                  << QByteArray("Measured: 2026/03/01 10:00:00 EAST") << 16;
        QTest::newRow("13 MPO32") << 13 << QByteArray("EAST") << QByteArray("PM12MPO32 Data")
                                  << QByteArray("Measured: 2026/03/01 10:00:00 EAST") << 32;
    }
    void fibreHeader()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, heading);
        QFETCH(QByteArray, measured);
        QFETCH(int, fibres);
        const QList<QByteArray> lines = linesOf(reportOf(kind, {-600}, name, 1, 1));
        QCOMPARE(lines.size(), 4 + fibres);
        QCOMPARE(lines.at(0), heading);
        QCOMPARE(lines.at(1), measured);
        QCOMPARE(lines.at(2), QByteArray("=========================="));
        QCOMPARE(lines.at(3), QByteArray("no, wavelength[nm], polarity, power[dBm]"));
        QCOMPARE(lines.at(4), QByteArray("1,850nm,Rollover,-6"));
        // Fibres the record holds no reading for carry the filler.
        QCOMPARE(lines.last(), QByteArray::number(fibres) + ",850nm,Rollover,Low");
    }

    // A reading is "Low" strictly below the kind's low limit, else "High" strictly above
    // 16 dBm, else the number in its shortest form; the same in the file as in one cell.
    void readingCell_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("hundredths");
        QTest::addColumn<QByteArray>("cell");
        for (int kind : {1, 2, 4, 10, 11, 12, 13}) {
            const QByteArray k = QByteArray::number(kind);
            QTest::newRow(k + " -50.00") << kind << -5000 << QByteArray("-50");
            QTest::newRow(k + " -50.01") << kind << -5001 << QByteArray("Low");
            QTest::newRow(k + " -40.01") << kind << -4001 << QByteArray("-40.01");
        }
        for (int kind : {3, 5, 6, 7, 8, 9}) {
            const QByteArray k = QByteArray::number(kind);
            QTest::newRow(k + " -40.00") << kind << -4000 << QByteArray("-40");
            QTest::newRow(k + " -40.01") << kind << -4001 << QByteArray("Low");
            QTest::newRow(k + " -50.00") << kind << -5000 << QByteArray("Low");
        }
        for (int kind = 1; kind <= 13; ++kind) {
            const QByteArray k = QByteArray::number(kind);
            QTest::newRow(k + " 16.00") << kind << 1600 << QByteArray("16");
            QTest::newRow(k + " 16.01") << kind << 1601 << QByteArray("High");
            QTest::newRow(k + " filler") << kind << -9900 << QByteArray("Low");
        }
        QTest::newRow("-12.30") << 1 << -1230 << QByteArray("-12.3");
        QTest::newRow("-7.00") << 1 << -700 << QByteArray("-7");
        QTest::newRow("0.05") << 1 << 5 << QByteArray("0.05");
        QTest::newRow("-0.05") << 1 << -5 << QByteArray("-0.05");
        QTest::newRow("0.00") << 1 << 0 << QByteArray("0");
        QTest::newRow("-0.50") << 1 << -50 << QByteArray("-0.5");
        QTest::newRow("15.99") << 5 << 1599 << QByteArray("15.99");
        QTest::newRow("-39.99") << 5 << -3999 << QByteArray("-39.99");
        QTest::newRow("-49.99") << 4 << -4999 << QByteArray("-49.99");
        QTest::newRow("10.00") << 10 << 1000 << QByteArray("10");
        QTest::newRow("largest raw") << 1 << 32767 << QByteArray("High");
        QTest::newRow("smallest raw") << 10 << -32768 << QByteArray("Low");
    }
    void readingCell()
    {
        QFETCH(int, kind);
        QFETCH(int, hundredths);
        QFETCH(QByteArray, cell);
        QCOMPARE(CsvReport::readingCell(hundredths / 100.0, CsvReport::lowLimit(kind)), cell);
        // In the file: the first reading of the first record, or of fibre 1.
        const QList<QByteArray> fields =
            firstDataLine(kind, reportOf(kind, {qint16(hundredths)})).split(',');
        QCOMPARE(fields.at(kind >= 10 ? 3 : 2), cell);
    }

    // Values that are not whole hundredths still get six significant digits at most.
    void readingCellDigits_data()
    {
        QTest::addColumn<double>("dbm");
        QTest::addColumn<QByteArray>("cell");
        QTest::newRow("-12.3456789") << -12.3456789 << QByteArray("-12.3457");
        QTest::newRow("1.0000001") << 1.0000001 << QByteArray("1");
        QTest::newRow("0.001") << 0.001 << QByteArray("0.001");
        QTest::newRow("-0.1 + -0.2") << (-0.1 + -0.2) << QByteArray("-0.3");
        QTest::newRow("-49.999999") << -49.999999 << QByteArray("-50");
        QTest::newRow("-1.234567e-7") << -1.234567e-7 << QByteArray("-1.23457e-07");
        QTest::newRow("15.9999999") << 15.9999999 << QByteArray("16");
    }
    void readingCellDigits()
    {
        QFETCH(double, dbm);
        QFETCH(QByteArray, cell);
        QCOMPARE(CsvReport::readingCell(dbm, -50.0), cell);
    }

    // Which entries of a record's values become the N cells of its row: N fields after the
    // number and the record text, the last one entry N-1.
    void recordRowReadings_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("values"); // readings the record holds
        QTest::addColumn<QByteArray>("last");
        QTest::newRow("1 CWDM18") << 1 << 18 << 18 << QByteArray("-1.17");
        QTest::newRow("2 DWDM48, total in 49, entry 50 unused")
            << 2 << 49 << 50 << QByteArray("-1.48");
        QTest::newRow("3 Vendral8") << 3 << 5 << 5 << QByteArray("-1.04");
        QTest::newRow("4 DWDM96") << 4 << 96 << 96 << QByteArray("-1.95");
        QTest::newRow("5 Tarnex8") << 5 << 10 << 10 << QByteArray("-1.09");
        QTest::newRow("6 Tarnex56, entry 58 unused") << 6 << 57 << 58 << QByteArray("-1.56");
        QTest::newRow("7 Tarnex57") << 7 << 58 << 58 << QByteArray("-1.57");
        QTest::newRow("8 Tarnex64") << 8 << 65 << 65 << QByteArray("-1.64");
        QTest::newRow("9 DWDM49TOTAL, total in 50") << 9 << 50 << 50 << QByteArray("-1.49");
    }
    void recordRowReadings()
    {
        QFETCH(int, kind);
        QFETCH(int, columns);
        QFETCH(int, values);
        QFETCH(QByteArray, last);
        // Reading i is -(1 + i/100) dBm: -1, -1.01, -1.02, ...
        QVector<qint16> raw;
        for (int i = 0; i < values; ++i)
            raw << qint16(-100 - i);
        const QList<QByteArray> fields = firstDataLine(kind, reportOf(kind, raw)).split(',');
        QCOMPARE(fields.size(), 2 + columns);
        QCOMPARE(fields.at(0), QByteArray("1"));
        QCOMPARE(fields.at(1), QByteArray("2026-03-01 10:00:00 NAME"));
        QCOMPARE(fields.at(2), QByteArray("-1"));
        QCOMPARE(fields.at(3), QByteArray("-1.01"));
        QCOMPARE(fields.last(), last);
    }

    // A DWDM-48 record from a plain report holds 48 readings; the total column is the filler.
    void plainDwdm48TotalIsLow_data()
    {
        QTest::addColumn<int>("readings");
        QTest::addColumn<QByteArray>("total");
        QTest::newRow("plain report, 48 values") << 48 << QByteArray("Low");
        QTest::newRow("extended report, 49 values") << 49 << QByteArray("-2");
    }
    void plainDwdm48TotalIsLow()
    {
        QFETCH(int, readings);
        QFETCH(QByteArray, total);
        const QVector<qint16> raw(readings, -200);
        const QList<QByteArray> lines = linesOf(csvFile(2, {record(2, raw, "")}));
        const QList<QByteArray> fields = lines.last().split(',');
        QCOMPARE(fields.size(), 51);
        QCOMPARE(fields.at(49), QByteArray("-2")); // channel 48
        QCOMPARE(fields.at(50), total);            // column 49
    }

    // Rows are numbered from 1 in list order; the record text is date, time and name.
    void recordRowNumbering_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("labelRows");
        QTest::newRow("1 CWDM18") << 1 << 2;
        QTest::newRow("3 Vendral8") << 3 << 3;
        QTest::newRow("9 DWDM49TOTAL") << 9 << 4;
    }
    void recordRowNumbering()
    {
        QFETCH(int, kind);
        QFETCH(int, labelRows);
        const QList<Measurement> rows = {
            record(kind, {-111}, "FIRST", 0, 0, dateWord(2020, 12, 31), timeWord(23, 59, 59)),
            record(kind, {-222}, "", 0, 0, dateWord(2021, 1, 2), timeWord(0, 0, 7)),
            record(kind, {-333}, "THIRD", 0, 0, dateWord(2021, 1, 2), timeWord(9, 5, 0))};
        const QList<QByteArray> lines = linesOf(csvFile(kind, rows));
        // No line between the label rows and the first record, none after the last.
        QCOMPARE(lines.size(), 3 + labelRows + 3);
        const QList<QByteArray> data = lines.mid(3 + labelRows);
        QVERIFY(data.at(0).startsWith("1,2020-12-31 23:59:59 FIRST,-1.11,"));
        QVERIFY(data.at(1).startsWith("2,2021-01-02 00:00:07 ,-2.22,"));
        QVERIFY(data.at(2).startsWith("3,2021-01-02 09:05:00 THIRD,-3.33,"));
    }

    // Names go out whole: 16 characters fit; a field with a comma or a quote is quoted.
    void recordNames_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("start"); // the start of the row
        QTest::addColumn<int>("fields");       // of the whole row
        QTest::newRow("CWDM18 16 characters")
            << 1 << QByteArray("ABCDEFGHIJKLMNOP")
            << QByteArray("1,2026-03-01 10:00:00 ABCDEFGHIJKLMNOP,-5,") << 20;
        QTest::newRow("CWDM18 longer than the record holds")
            << 1 << QByteArray("ABCDEFGHIJKLMNOPQR")
            << QByteArray("1,2026-03-01 10:00:00 ABCDEFGHIJKLMNOP,-5,") << 20;
        QTest::newRow("Tarnex64 16 characters")
            << 8 << QByteArray("0123456789abcdef")
            << QByteArray("1,2026-03-01 10:00:00 0123456789abcdef,-5,") << 67;
        QTest::newRow("Vendral8 16 characters")
            << 3 << QByteArray("ABCDEFGHIJKLMNOP")
            << QByteArray("1,2026-03-01 10:00:00 ABCDEFGHIJKLMNOP,-5,") << 7;
        QTest::newRow("CWDM18 comma quoted")
            << 1 << QByteArray("RACK,07") << QByteArray("1,\"2026-03-01 10:00:00 RACK,07\",-5,")
            << 21;
        QTest::newRow("Vendral8 comma quoted")
            << 3 << QByteArray("A,=1+2") << QByteArray("1,\"2026-03-01 10:00:00 A,=1+2\",-5,") << 8;
        QTest::newRow("quote doubled") << 1 << QByteArray("\"Q\"")
                                       << QByteArray("1,\"2026-03-01 10:00:00 \"\"Q\"\"\",-5,") << 20;
        QTest::newRow("MPO12 16 characters")
            << 10 << QByteArray("ABCDEFGHIJKLMNOP") << QByteArray("1,1310nm,Straight,-5") << 4;
        QTest::newRow("MPO12 comma stays on line 2")
            << 10 << QByteArray("A,B") << QByteArray("1,1310nm,Straight,-5") << 4;
    }
    void recordNames()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, start);
        QFETCH(int, fields);
        const QByteArray bytes = reportOf(kind, {-500}, name);
        const QByteArray line = firstDataLine(kind, bytes);
        QVERIFY2(line.startsWith(start), line.constData());
        QCOMPARE(int(line.count(',')) + 1, fields);
        const QByteArray measured = "Measured: 2026/03/01 10:00:00 " + name.left(16);
        if (kind >= 10)
            QCOMPARE(linesOf(bytes).at(1),
                     name.contains(',') ? '"' + measured + '"' : measured);
    }

    // One mode text and one polarity text on every fibre row.
    void fibreModeAndPolarity_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("polar");
        QTest::addColumn<QByteArray>("third"); // the row of fibre 3, reading -6.10 dBm
        QTest::newRow("850 nm, polar 5") << 1 << 5 << QByteArray("3,850nm,,-6.1");
        QTest::newRow("1310 nm straight") << 2 << 0 << QByteArray("3,1310nm,Straight,-6.1");
        QTest::newRow("1550 nm rollover") << 3 << 1 << QByteArray("3,1550nm,Rollover,-6.1");
        QTest::newRow("1550 nm flipped") << 3 << 2 << QByteArray("3,1550nm,Flipped,-6.1");
        QTest::newRow("mode 0") << 0 << 2 << QByteArray("3,-nm,Flipped,-6.1");
        QTest::newRow("mode 4, polar 3") << 4 << 3 << QByteArray("3,-nm,,-6.1");
        QTest::newRow("mode 65535") << 65535 << 0 << QByteArray("3,-nm,Straight,-6.1");
    }
    void fibreModeAndPolarity()
    {
        QFETCH(int, mode);
        QFETCH(int, polar);
        QFETCH(QByteArray, third);
        for (int kind = 10; kind <= 13; ++kind) {
            const QList<QByteArray> lines =
                linesOf(reportOf(kind, {-500, -550, -610}, "X", quint16(mode), quint16(polar)));
            QCOMPARE(lines.at(6), third);
            const QByteArray texts = third.mid(1, third.lastIndexOf(',') - 1);
            for (int i = 4; i < lines.size(); ++i)
                QVERIFY2(lines.at(i).contains(texts), lines.at(i).constData());
        }
    }

    // Every line, the last one included, ends with CR LF; no bare LF or CR anywhere.
    void lineEnds_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind = 1; kind <= 13; ++kind)
            QTest::newRow(QByteArray::number(kind).constData()) << kind;
    }
    void lineEnds()
    {
        QFETCH(int, kind);
        const QByteArray bytes = reportOf(kind, {-500, -600});
        QVERIFY(bytes.endsWith("\r\n"));
        QVERIFY(!bytes.endsWith("\r\n\r\n"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        QVERIFY(!bytes.startsWith('\xEF')); // no byte-order mark
    }

    // The decimal point is "." whatever the user's locale, and no digit grouping appears.
    void localeIndependent_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("CWDM18") << 1 << QByteArray("1,2026-03-01 10:00:00 NAME,-12.3,15.25,");
        QTest::newRow("Tarnex8") << 5 << QByteArray("1,2026-03-01 10:00:00 NAME,-12.3,15.25,");
        QTest::newRow("MPO12") << 10 << QByteArray("1,1310nm,Straight,-12.3");
    }
    void localeIndependent()
    {
        QFETCH(int, kind);
        QFETCH(QByteArray, line);
        QByteArray bytes;
        {
            const DefaultLocale german{QLocale(QLocale::German)};
            bytes = reportOf(kind, {-1230, 1525});
        }
        QVERIFY2(firstDataLine(kind, bytes).startsWith(line), bytes.constData());
        QVERIFY(!bytes.contains("-12,3"));
        QCOMPARE(bytes, reportOf(kind, {-1230, 1525}));
    }

    // No layout for a code outside the layout's range, and no fibre rows without a record: not
    // a byte.
    void unknownKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("records");
        QTest::newRow("0") << 0 << 2;
        QTest::newRow("14") << 14 << 2;
        QTest::newRow("-1") << -1 << 2;
        QTest::newRow("MPO12 without a record") << 10 << 0;
    }
    void unknownKind()
    {
        QFETCH(int, kind);
        QFETCH(int, records);
        const QList<Measurement> list(records, record(1, {-500}, "NAME"));
        QCOMPARE(csvFile(kind, list, QStringLiteral("PM12")), QByteArray());
    }

    // The largest report Save Data can write (65 535 records of the widest kind, every cell and
    // name at its longest) is one that Open Data reads.
    void largestReportOpens()
    {
        const QList<Measurement> rows(65535,
                                      record(4, QVector<qint16>(96, -4999), QByteArray(16, 'N'), 0,
                                             0, 0x07EA0C1F, 0x00173B3B));
        const qint64 size = csvFile(4, rows).size();
        qInfo("largest report: %lld bytes", size);
        QVERIFY(size <= OpenData::MaxFileBytes);
    }
};

QTEST_GUILESS_MAIN(TestCsvReport)
#include "tst_csvreport.moc"
