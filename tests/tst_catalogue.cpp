#include "data/catalogue.h"

#include <QTest>

// Expected texts are typed out here rather than derived, so that a wrong generator cannot agree
// with itself.
class TestCatalogue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void unknownKinds_data();
    void unknownKinds();
    void rowsAgree_data();
    void rowsAgree();

    void shortTables_data();
    void shortTables();
    void dwdm48Tables();
    void gridEnds_data();
    void gridEnds();
    void wavelengthCheckPoints_data();
    void wavelengthCheckPoints();
    void frequencyTrailingZeros();
    void tarnexTables();
    void tableSizes_data();
    void tableSizes();

    void labelLookup_data();
    void labelLookup();
    void vendral8Labels_data();
    void vendral8Labels();

    void ituNumbers_data();
    void ituNumbers();

    void totalLabels_data();
    void totalLabels();
};

void TestCatalogue::unknownKinds_data()
{
    QTest::addColumn<int>("code");
    QTest::newRow("none") << 0;
    QTest::newRow("14") << 14;
    QTest::newRow("-1") << -1;
    QTest::newRow("100") << 100;
}

void TestCatalogue::unknownKinds()
{
    QFETCH(int, code);
    QVERIFY(!kindInfo(code));
    QVERIFY(kindName(code).isEmpty());
    QCOMPARE(readingsUsed(code), 0);
    QCOMPARE(channelCount(code), 0);
    QVERIFY(!hasTotalReading(code));
    QVERIFY(!isMpoKind(code));
    QVERIFY(!labelTable(code, false));
    QVERIFY(!labelTable(code, true));
}

void TestCatalogue::rowsAgree_data()
{
    QTest::addColumn<int>("code");
    for (int code = Kind::First; code <= Kind::Last; ++code)
        QTest::newRow(kindInfo(code)->name) << code;
}

// The facts of one kind row that depend on each other.
void TestCatalogue::rowsAgree()
{
    QFETCH(int, code);
    const KindInfo& k = *kindInfo(code);
    QCOMPARE(k.code, code);
    QCOMPARE(kindForDeviceIndex(k.deviceIndex), &k);
    // A record keeps every reading, and a total is one reading past the channels.
    QVERIFY(k.stored >= k.readings);
    QVERIFY(k.readings - k.channels == 0 || k.readings - k.channels == 1);
    QCOMPARE(hasTotalReading(code), k.readings > k.channels);
    // The detail view's ITU numbers: every channel on its grid, or counted down from a base.
    if (k.detail.grid != DwdmGrid::None)
        QVERIFY(gridChannelCount(k.detail.grid) >= k.channels);
    if (k.detail.ituBase != 0)
        QVERIFY(k.detail.fixed < k.channels && k.detail.ituBase - (k.channels - 1) > 0);
    // MPO fibres are numbered, and reported one record at a time.
    QCOMPARE(k.wavelengths == nullptr, k.isMpo);
    QCOMPARE(k.report.form == ReportLayout::FibreRows, k.isMpo);
    for (LabelTable table : {k.wavelengths, k.frequencies}) {
        if (table)
            QCOMPARE(table().size(), k.readings);
    }
    // An ITU row numbers every channel on its grid.
    if (k.report.itu != DwdmGrid::None)
        QCOMPARE(gridChannelCount(k.report.itu), k.channels);
    // The panels draw every reading once, in order.
    int next = 0;
    for (int p = 0; p < k.graph.panelCount; ++p) {
        const GraphPanel& panel = k.graph.panels[p];
        QCOMPARE(panel.first, next);
        QVERIFY(panel.positions >= panel.bars);
        next += panel.bars;
    }
    QCOMPARE(next, k.readings);
}

void TestCatalogue::shortTables_data()
{
    QTest::addColumn<QStringList>("actual");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("cwdm18Wavelengths")
        << cwdm18Wavelengths()
        << QStringList{"1270", "1290", "1310", "1330", "1350", "1370", "1390", "1410", "1430",
                       "1450", "1470", "1490", "1510", "1530", "1550", "1570", "1590", "1610"};
    QTest::newRow("lanWdmWavelengths")
        << lanWdmWavelengths()
        << QStringList{"1295.56", "1300.05", "1304.58", "1309.14", "TOTAL"};
    QTest::newRow("lanWdmFrequencies")
        << lanWdmFrequencies() << QStringList{"231.4", "230.6", "229.8", "229.0", "TOTAL"};
    QTest::newRow("cwdm4Wavelengths")
        << cwdm4Wavelengths() << QStringList{"1271", "1291", "1311", "1331", "TOTAL"};
    QTest::newRow("tarnex8Wavelengths")
        << tarnex8Wavelengths()
        << QStringList{"1290.55", "1291.65", "1293.30", "1295.55", "1471",
                       "1491",    "1591",    "1611",    "1310",    "1550"};
    QTest::newRow("totalWavelengths")
        << totalWavelengths() << QStringList{"1310", "1470", "1550", "1610"};
}

void TestCatalogue::shortTables()
{
    QFETCH(QStringList, actual);
    QFETCH(QStringList, expected);
    QCOMPARE(actual, expected);
}

void TestCatalogue::dwdm48Tables()
{
    const QStringList wavelengths{
        "1526.44", "1527.22", "1527.99", "1528.77", "1529.55", "1530.33", "1531.12", "1531.90",
        "1532.68", "1533.47", "1534.25", "1535.04", "1535.82", "1536.61", "1537.40", "1538.19",
        "1538.98", "1539.77", "1540.56", "1541.35", "1542.14", "1542.94", "1543.73", "1544.53",
        "1545.32", "1546.12", "1546.92", "1547.72", "1548.51", "1549.32", "1550.12", "1550.92",
        "1551.72", "1552.52", "1553.33", "1554.13", "1554.94", "1555.75", "1556.55", "1557.36",
        "1558.17", "1558.98", "1559.79", "1560.61", "1561.42", "1562.23", "1563.05", "1563.86",
        "Total"};
    const QStringList frequencies{
        "196.40", "196.30", "196.20", "196.10", "196.00", "195.90", "195.80", "195.70",
        "195.60", "195.50", "195.40", "195.30", "195.20", "195.10", "195.00", "194.90",
        "194.80", "194.70", "194.60", "194.50", "194.40", "194.30", "194.20", "194.10",
        "194.00", "193.90", "193.80", "193.70", "193.60", "193.50", "193.40", "193.30",
        "193.20", "193.10", "193.00", "192.90", "192.80", "192.70", "192.60", "192.50",
        "192.40", "192.30", "192.20", "192.10", "192.00", "191.90", "191.80", "191.70",
        "Total"};
    QCOMPARE(dwdm48Wavelengths(), wavelengths);
    QCOMPARE(dwdm48Frequencies(), frequencies);
}

void TestCatalogue::gridEnds_data()
{
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::addColumn<QString>("lastChannel");
    QTest::addColumn<QString>("after");

    QTest::newRow("dwdm96Frequencies")
        << dwdm96Frequencies() << 96 << "196.45" << "196.40" << "191.70" << QString();
    QTest::newRow("dwdm96Wavelengths")
        << dwdm96Wavelengths() << 96 << "1526.05" << "1526.44" << "1563.86" << QString();
    QTest::newRow("dwdm49Frequencies")
        << dwdm49Frequencies() << 50 << "196.20" << "196.10" << "191.40" << "Total";
    QTest::newRow("dwdm49Wavelengths")
        << dwdm49Wavelengths() << 50 << "1527.99" << "1528.77" << "1566.31" << "Total";
}

void TestCatalogue::gridEnds()
{
    QFETCH(QStringList, table);
    QFETCH(int, size);
    QFETCH(QString, first);
    QFETCH(QString, second);
    QFETCH(QString, lastChannel);
    QFETCH(QString, after);

    QCOMPARE(table.size(), size);
    QCOMPARE(table.at(0), first);
    QCOMPARE(table.at(1), second);
    if (after.isNull()) {
        QCOMPARE(table.last(), lastChannel);
        QVERIFY(!table.contains("Total"));
    } else {
        QCOMPARE(table.at(size - 2), lastChannel);
        QCOMPARE(table.last(), after);
    }
}

void TestCatalogue::wavelengthCheckPoints_data()
{
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("text");

    // 193.10 THz sits on all three grids.
    QTest::newRow("193.10 on 48") << dwdm48Wavelengths() << 33 << "1552.52";
    QTest::newRow("193.10 on 96") << dwdm96Wavelengths() << 67 << "1552.52";
    QTest::newRow("193.10 on 49") << dwdm49Wavelengths() << 31 << "1552.52";
    QTest::newRow("195.85 on 96") << dwdm96Wavelengths() << 12 << "1530.72";
    QTest::newRow("194.05 on 96") << dwdm96Wavelengths() << 48 << "1544.92";
    QTest::newRow("191.75 on 96") << dwdm96Wavelengths() << 94 << "1563.45";
    // Quotients close to a rounding boundary (x.315028, x.114939, x.935965) need exact arithmetic.
    QTest::newRow("193.50 on 49") << dwdm49Wavelengths() << 27 << "1549.32";
    QTest::newRow("193.65 on 96") << dwdm96Wavelengths() << 56 << "1548.11";
    QTest::newRow("194.15 on 96") << dwdm96Wavelengths() << 46 << "1544.13";
    QTest::newRow("194.30 on 49") << dwdm49Wavelengths() << 19 << "1542.94";
}

void TestCatalogue::wavelengthCheckPoints()
{
    QFETCH(QStringList, table);
    QFETCH(int, index);
    QFETCH(QString, text);
    QCOMPARE(table.at(index), text);
}

void TestCatalogue::frequencyTrailingZeros()
{
    QCOMPARE(dwdm48Frequencies().at(4), QStringLiteral("196.00"));
    QCOMPARE(dwdm48Frequencies().at(43), QStringLiteral("192.10"));
    QCOMPARE(dwdm96Frequencies().at(9), QStringLiteral("196.00"));
    QCOMPARE(dwdm96Frequencies().at(87), QStringLiteral("192.10"));
    QCOMPARE(dwdm49Frequencies().at(2), QStringLiteral("196.00"));
    QCOMPARE(dwdm96Frequencies().at(3), QStringLiteral("196.30"));
    QCOMPARE(dwdm96Frequencies().at(4), QStringLiteral("196.25"));
}

void TestCatalogue::tarnexTables()
{
    const QStringList plainPrefix{"1290", "1291", "1293", "1295", "1471", "1491", "1591", "1611"};
    const QStringList cwdm15{"1270", "1290", "1310", "1330", "1350", "1370", "1390", "1410",
                             "1430", "1450", "1470", "1490", "1510", "1590", "1610"};

    QCOMPARE(tarnex56Wavelengths().mid(0, 8), plainPrefix);
    QCOMPARE(tarnex56Wavelengths().mid(8, 48), dwdm48Wavelengths().mid(0, 48));
    QCOMPARE(tarnex56Wavelengths().last(), QStringLiteral("Total"));

    QCOMPARE(tarnex56Frequencies().mid(0, 8),
             QStringList({"1290", "1291", "1293", "1295", "1471nm", "1491nm", "1591nm", "1611nm"}));
    QCOMPARE(tarnex56Frequencies().at(0), QStringLiteral("1290"));
    QCOMPARE(tarnex56Frequencies().at(4), QStringLiteral("1471nm"));
    QCOMPARE(tarnex56Frequencies().at(8), QStringLiteral("196.4"));
    QCOMPARE(tarnex56Frequencies().at(9), QStringLiteral("196.3"));
    QCOMPARE(tarnex56Frequencies().at(12), QStringLiteral("196.0"));
    QCOMPARE(tarnex56Frequencies().at(55), QStringLiteral("191.7"));
    QCOMPARE(tarnex56Frequencies().last(), QStringLiteral("Total"));

    QCOMPARE(tarnex57Wavelengths().mid(0, 8), plainPrefix);
    QCOMPARE(tarnex57Wavelengths().mid(8, 49), dwdm49Wavelengths().mid(0, 49));
    QCOMPARE(tarnex57Wavelengths().last(), QStringLiteral("Total"));

    QCOMPARE(tarnex57Frequencies().mid(0, 8),
             QStringList({"1290nm", "1291nm", "1293nm", "1295nm", "1471nm", "1491nm", "1591nm",
                          "1611nm"}));
    QCOMPARE(tarnex57Frequencies().at(8), QStringLiteral("196.2"));
    QCOMPARE(tarnex57Frequencies().at(56), QStringLiteral("191.4"));
    QCOMPARE(tarnex57Frequencies().last(), QStringLiteral("Total"));

    QCOMPARE(tarnex64Wavelengths().mid(0, 15), cwdm15);
    QVERIFY(!tarnex64Wavelengths().contains("1530"));
    QVERIFY(!tarnex64Wavelengths().contains("1550"));
    QVERIFY(!tarnex64Wavelengths().contains("1570"));
    QCOMPARE(tarnex64Wavelengths().mid(15, 49), dwdm49Wavelengths().mid(0, 49));
    QCOMPARE(tarnex64Wavelengths().at(15), QStringLiteral("1527.99"));
    QCOMPARE(tarnex64Wavelengths().last(), QStringLiteral("Total"));

    QCOMPARE(tarnex64Frequencies().mid(0, 15), cwdm15);
    QCOMPARE(tarnex64Frequencies().at(15), QStringLiteral("196.20"));
    QCOMPARE(tarnex64Frequencies().at(17), QStringLiteral("196.00"));
    QCOMPARE(tarnex64Frequencies().at(63), QStringLiteral("191.40"));
    QCOMPARE(tarnex64Frequencies().last(), QStringLiteral("Total"));
}

void TestCatalogue::tableSizes_data()
{
    QTest::addColumn<QStringList>("table");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("last");

    QTest::newRow("cwdm18Wavelengths") << cwdm18Wavelengths() << 18 << "1610";
    QTest::newRow("lanWdmWavelengths") << lanWdmWavelengths() << 5 << "TOTAL";
    QTest::newRow("lanWdmFrequencies") << lanWdmFrequencies() << 5 << "TOTAL";
    QTest::newRow("cwdm4Wavelengths") << cwdm4Wavelengths() << 5 << "TOTAL";
    QTest::newRow("tarnex8Wavelengths") << tarnex8Wavelengths() << 10 << "1550";
    QTest::newRow("totalWavelengths") << totalWavelengths() << 4 << "1610";
    QTest::newRow("dwdm48Frequencies") << dwdm48Frequencies() << 49 << "Total";
    QTest::newRow("dwdm48Wavelengths") << dwdm48Wavelengths() << 49 << "Total";
    QTest::newRow("dwdm96Frequencies") << dwdm96Frequencies() << 96 << "191.70";
    QTest::newRow("dwdm96Wavelengths") << dwdm96Wavelengths() << 96 << "1563.86";
    QTest::newRow("dwdm49Frequencies") << dwdm49Frequencies() << 50 << "Total";
    QTest::newRow("dwdm49Wavelengths") << dwdm49Wavelengths() << 50 << "Total";
    QTest::newRow("tarnex56Wavelengths") << tarnex56Wavelengths() << 57 << "Total";
    QTest::newRow("tarnex56Frequencies") << tarnex56Frequencies() << 57 << "Total";
    QTest::newRow("tarnex57Wavelengths") << tarnex57Wavelengths() << 58 << "Total";
    QTest::newRow("tarnex57Frequencies") << tarnex57Frequencies() << 58 << "Total";
    QTest::newRow("tarnex64Wavelengths") << tarnex64Wavelengths() << 65 << "Total";
    QTest::newRow("tarnex64Frequencies") << tarnex64Frequencies() << 65 << "Total";
}

void TestCatalogue::tableSizes()
{
    QFETCH(QStringList, table);
    QFETCH(int, size);
    QFETCH(QString, last);
    QCOMPARE(table.size(), size);
    QCOMPARE(table.last(), last);
}

void TestCatalogue::labelLookup_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<bool>("displayFreq");
    QTest::addColumn<const QStringList*>("expected");

    QTest::newRow("1 nm") << 1 << false << &cwdm18Wavelengths();
    QTest::newRow("1 THz") << 1 << true << &cwdm18Wavelengths();
    QTest::newRow("2 nm") << 2 << false << &dwdm48Wavelengths();
    QTest::newRow("2 THz") << 2 << true << &dwdm48Frequencies();
    QTest::newRow("3 nm") << 3 << false << &lanWdmWavelengths();
    QTest::newRow("3 THz") << 3 << true << &lanWdmFrequencies();
    QTest::newRow("4 nm") << 4 << false << &dwdm96Wavelengths();
    QTest::newRow("4 THz") << 4 << true << &dwdm96Frequencies();
    QTest::newRow("5 nm") << 5 << false << &tarnex8Wavelengths();
    QTest::newRow("5 THz") << 5 << true << &tarnex8Wavelengths();
    QTest::newRow("6 nm") << 6 << false << &tarnex56Wavelengths();
    QTest::newRow("6 THz") << 6 << true << &tarnex56Frequencies();
    QTest::newRow("7 nm") << 7 << false << &tarnex57Wavelengths();
    QTest::newRow("7 THz") << 7 << true << &tarnex57Frequencies();
    QTest::newRow("8 nm") << 8 << false << &tarnex64Wavelengths();
    QTest::newRow("8 THz") << 8 << true << &tarnex64Frequencies();
    QTest::newRow("9 nm") << 9 << false << &dwdm49Wavelengths();
    QTest::newRow("9 THz") << 9 << true << &dwdm49Frequencies();
    for (int code = 10; code <= 13; ++code) {
        QTest::addRow("%d nm", code) << code << false << static_cast<const QStringList*>(nullptr);
        QTest::addRow("%d THz", code) << code << true << static_cast<const QStringList*>(nullptr);
    }
}

void TestCatalogue::labelLookup()
{
    QFETCH(int, code);
    QFETCH(bool, displayFreq);
    QFETCH(const QStringList*, expected);
    QCOMPARE(labelTable(code, displayFreq), expected);
}

void TestCatalogue::vendral8Labels_data()
{
    QTest::addColumn<QString>("productName");
    QTest::addColumn<bool>("displayFreq");
    QTest::addColumn<QString>("first");

    QTest::newRow("plain nm") << "RV-710-4L" << false << "1295.56";
    QTest::newRow("plain THz") << "RV-710-4L" << true << "231.4";
    QTest::newRow("cwdm4 nm") << "RV-710-8N-40" << false << "1271";
    QTest::newRow("cwdm4 THz") << "RV-710-8N-40" << true << "1271";
    QTest::newRow("lower case") << "rv-710-8n-40b" << true << "1271";
    QTest::newRow("empty") << QString() << false << "1295.56";
}

void TestCatalogue::vendral8Labels()
{
    QFETCH(QString, productName);
    QFETCH(bool, displayFreq);
    QFETCH(QString, first);
    const QStringList& labels = ::vendral8Labels(productName, displayFreq);
    QCOMPARE(labels.first(), first);
    QCOMPARE(labels.last(), QStringLiteral("TOTAL"));
}

void TestCatalogue::ituNumbers_data()
{
    QTest::addColumn<DwdmGrid>("grid");
    QTest::addColumn<int>("k");
    QTest::addColumn<double>("number");
    QTest::addColumn<QString>("text");

    QTest::newRow("48 first") << DwdmGrid::Grid48 << 0 << 64.0 << "64";
    QTest::newRow("48 second") << DwdmGrid::Grid48 << 1 << 63.0 << "63";
    QTest::newRow("48 last") << DwdmGrid::Grid48 << 47 << 17.0 << "17";
    QTest::newRow("48 past end") << DwdmGrid::Grid48 << 48 << 0.0 << QString();
    QTest::newRow("49 first") << DwdmGrid::Grid49 << 0 << 62.0 << "62";
    QTest::newRow("49 last") << DwdmGrid::Grid49 << 48 << 14.0 << "14";
    QTest::newRow("49 past end") << DwdmGrid::Grid49 << 49 << 0.0 << QString();
    QTest::newRow("96 first") << DwdmGrid::Grid96 << 0 << 64.5 << "64.5";
    QTest::newRow("96 second") << DwdmGrid::Grid96 << 1 << 64.0 << "64.0";
    QTest::newRow("96 last") << DwdmGrid::Grid96 << 95 << 17.0 << "17.0";
    QTest::newRow("96 past end") << DwdmGrid::Grid96 << 96 << 0.0 << QString();
    QTest::newRow("96 negative") << DwdmGrid::Grid96 << -1 << 0.0 << QString();
}

void TestCatalogue::ituNumbers()
{
    QFETCH(DwdmGrid, grid);
    QFETCH(int, k);
    QFETCH(double, number);
    QFETCH(QString, text);
    QCOMPARE(ituChannelNumber(grid, k), number);
    QCOMPARE(ituChannelText(grid, k), text);
    QCOMPARE(ituChannelText(grid, k).isNull(), text.isNull());
}

void TestCatalogue::totalLabels_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("label");

    QTest::newRow("0") << 0 << "T_1310";
    QTest::newRow("1") << 1 << "T_1470";
    QTest::newRow("2") << 2 << "T_1550";
    QTest::newRow("3") << 3 << "T_1610";
    QTest::newRow("-1") << -1 << "Total";
    QTest::newRow("4") << 4 << "Total";
    QTest::newRow("7") << 7 << "Total";
}

void TestCatalogue::totalLabels()
{
    QFETCH(int, value);
    QFETCH(QString, label);
    QCOMPARE(totalLabel(value), label);
}

QTEST_APPLESS_MAIN(TestCatalogue)
#include "tst_catalogue.moc"
