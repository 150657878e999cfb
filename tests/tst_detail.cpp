#include "data/catalogue.h"
#include "data/detail.h"
#include "data/logging.h"
#include "tests/testsupport.h"

#include <QTest>

#include <optional>

// The detail rows of hand-built records. Expected texts are typed out as the user reads them on
// screen; rows are counted from 1 as they appear there.

using TestSupport::measurement;
using TestSupport::Values;

namespace {

// One expected text: `row` counted from 1, `column` 0..3.
struct Cell {
    int row;
    int column;
    QString text;
};
using Cells = QList<Cell>;

// Channel c (from 1) reads -0.5 x c dBm, so a row shows which reading it took.
QVector<qint16> ramp(int n)
{
    QVector<qint16> raw;
    for (int i = 0; i < n; ++i)
        raw.append(qint16(-50 * (i + 1)));
    return raw;
}

// An on/off block of `size` bytes with the given channels (from 1) switched on.
QByteArray onFlags(int size, const QList<int>& channels)
{
    QByteArray out(size, '\0');
    for (int c : channels)
        out[c - 1] = '\1';
    return out;
}

QStringList counting(int from, int to)
{
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}

// A record with the given channel flags and total index.
Values flagged(const QByteArray& onOff, int totalIndex)
{
    Values v;
    v.onOff = onOff;
    v.totalIndex = totalIndex;
    return v;
}

// An MPO record's test wavelength and polarity.
Values mpo(int mode, int polar)
{
    Values v;
    v.mode = quint16(mode);
    v.polar = quint16(polar);
    return v;
}

QList<int> channels(int n)
{
    QList<int> out;
    for (int c = 1; c <= n; ++c)
        out << c;
    return out;
}

QStringList column(const QList<QStringList>& rows, int c)
{
    QStringList out;
    for (const QStringList& row : rows)
        out << row.value(c);
    return out;
}

// Every row has four columns, column 0 reads `numbers`, and each cell holds its text.
bool checkRows(const QList<QStringList>& rows, const QStringList& numbers, const Cells& cells)
{
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).size() != 4) {
            qWarning("row %d has %d columns", i + 1, int(rows.at(i).size()));
            return false;
        }
    }
    if (column(rows, 0) != numbers) {
        qWarning("numbers: %s", qPrintable(column(rows, 0).join(QLatin1Char(' '))));
        return false;
    }
    for (const Cell& cell : cells) {
        if (cell.row < 1 || cell.row > rows.size()) {
            qWarning("no row %d (%d rows)", cell.row, int(rows.size()));
            return false;
        }
        const QString actual = rows.at(cell.row - 1).value(cell.column);
        if (actual != cell.text) {
            qWarning("row %d column %d: \"%s\", expected \"%s\"", cell.row, cell.column,
                     qPrintable(actual), qPrintable(cell.text));
            return false;
        }
    }
    return true;
}

} // namespace

Q_DECLARE_METATYPE(Cells)

class TestDetail : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The window and velumin-export print no debug lines unless a logging rule turns them on.
    void quietByDefault()
    {
        if (!qEnvironmentVariableIsEmpty("QT_LOGGING_RULES") ||
            !qEnvironmentVariableIsEmpty("QT_LOGGING_CONF"))
            QSKIP("a logging rule is set in the environment");
        for (auto category : {lcLink, lcDecoder, lcSession, lcFiles, lcExport, lcWindow}) {
            QVERIFY2(!category().isDebugEnabled(), category().categoryName());
            QVERIFY2(category().isWarningEnabled(), category().categoryName());
        }
    }

    // The readings limits judge, row by row: never a total row; every reading the report
    // carried, -99.00 dBm included; named by position in the kind's channel table, which on
    // Tarnex meters with channels switched off is not the "No" column.
    void judgedReadings_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<qint16>("reading");       // every reading; 0: -0.5 dBm x position
        QTest::addColumn<QList<int>>("positions"); // per row; 0: not judged
        QList<int> all18 = channels(18);
        QTest::newRow("CWDM18: every row") << 1 << qint16(0) << all18;
        QTest::newRow("CWDM18 at -99.00 dBm: every row") << 1 << qint16(-9900) << all18;
        QTest::newRow("DWDM48 plain: 48 channels, no total row") << 2 << qint16(0) << channels(48);
        QTest::newRow("Vendral8: the total row") << 3 << qint16(0) << QList<int>{1, 2, 3, 4, 0};
        QTest::newRow("DWDM49TOTAL: the total row")
            << 9 << qint16(0) << channels(49) + QList<int>{0};
        QTest::newRow("Tarnex56, 2 and 5 off: positions")
            << 6 << qint16(0) << QList<int>{1, 3, 4, 6, 0};
        QTest::newRow("Tarnex56 at -99.00 dBm") << 6 << qint16(-9900) << QList<int>{1, 3, 4, 6, 0};
        QTest::newRow("MPO12: every fibre") << 10 << qint16(0) << channels(12);
    }
    void judgedReadings()
    {
        QFETCH(int, kind);
        QFETCH(qint16, reading);
        QFETCH(QList<int>, positions);
        const QVector<qint16> raw = reading == 0 ? ramp(60) : QVector<qint16>(60, reading);
        const auto dbm = [&raw](int position) { return raw.at(position - 1) / 100.0; };
        Measurement record;
        switch (kind) {
        case 2:
            // A plain record: 48 readings, no flags, the total entry left as the filler.
            record = measurement(kind, raw.mid(0, 48), flagged(QByteArray(), NoTotal));
            break;
        case 6:
            // Channels 1, 3, 4 and 6 and the total (at 57) switched on.
            record = measurement(kind, raw, flagged(onFlags(60, {1, 3, 4, 6, 57}), 0));
            break;
        case 9:
            record = measurement(kind, raw, flagged(onFlags(52, channels(50)), 1));
            break;
        case 10:
            record = measurement(kind, raw, mpo(1, 0));
            break;
        default:
            record = measurement(kind, raw);
            break;
        }
        const auto judged = Detail::judgedReadings(record);
        QCOMPARE(judged.size(), positions.size());
        for (int r = 0; r < positions.size(); ++r) {
            QCOMPARE(judged.at(r).has_value(), positions.at(r) != 0);
            if (judged.at(r)) {
                QCOMPARE(judged.at(r)->number, positions.at(r));
                QCOMPARE(judged.at(r)->dbm, dbm(positions.at(r)));
            }
        }
    }

    void dwdm48Rows_data();
    void dwdm48Rows();
    void tarnexRows_data();
    void tarnexRows();
    void tarnexTotalLabels_data();
    void tarnexTotalLabels();
    void powerTexts_data();
    void powerTexts();
    void mpoRows_data();
    void mpoRows();
    void dwdm49TotalRows_data();
    void dwdm49TotalRows();
    void dwdm96Rows_data();
    void dwdm96Rows();
    void vendral8Rows_data();
    void vendral8Rows();
    void fixedLabelRows_data();
    void fixedLabelRows();
    void unknownKinds_data();
    void unknownKinds();
};

void TestDetail::dwdm48Rows_data()
{
    QTest::addColumn<int>("totalIndex");
    QTest::addColumn<QByteArray>("onOff");
    QTest::addColumn<bool>("displayFreq");
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<Cells>("cells");

    QTest::newRow("totalIndex 4, all flags off: 48 rows")
        << 4 << onFlags(52, {}) << false << counting(1, 48)
        << Cells{{1, 1, "64"},      {1, 2, "1526.44"}, {1, 3, "-0.5"},     {2, 1, "63"},
                 {2, 2, "1527.22"}, {48, 1, "17"},     {48, 2, "1563.86"}, {48, 3, "-24"}};
    QTest::newRow("plain record, no flags: 48 rows")
        << NoTotal << QByteArray() << false << counting(1, 48)
        << Cells{{1, 1, "64"}, {1, 3, "-0.5"}, {48, 2, "1563.86"}, {48, 3, "-24"}};
    QTest::newRow("totalIndex 4 in frequency")
        << 4 << onFlags(52, {}) << true << counting(1, 48)
        << Cells{{1, 1, "64"}, {1, 2, "196.40"}, {2, 2, "196.30"}, {48, 2, "191.70"}};
    QTest::newRow("totalIndex 4 shows no total even when flagged")
        << 4 << onFlags(52, {1, 49}) << false << counting(1, 48) << Cells{{48, 2, "1563.86"}};
    QTest::newRow("totalIndex 0, channels 1, 2 and 49 on")
        << 0 << onFlags(52, {1, 2, 49}) << false << QStringList{"1", "2", "49"}
        << Cells{{1, 1, "64"}, {1, 2, "1526.44"}, {1, 3, "-0.5"},
                 {2, 1, "63"}, {2, 2, "1527.22"}, {2, 3, "-1"},
                 {3, 1, "-"},  {3, 2, "Total"},   {3, 3, "-24.5"}};
    QTest::newRow("totalIndex 0, channels 1, 2 and 49 on, frequency")
        << 0 << onFlags(52, {1, 2, 49}) << true << QStringList{"1", "2", "49"}
        << Cells{{1, 2, "196.40"}, {2, 2, "196.30"}, {3, 1, "-"}, {3, 2, "Total"}};
    QTest::newRow("gaps keep the channel numbers")
        << 2 << onFlags(52, {5, 33, 48}) << false << QStringList{"5", "33", "48"}
        << Cells{{1, 1, "60"}, {2, 1, "32"}, {2, 2, "1551.72"}, {3, 1, "17"}};
    QTest::newRow("every flag on: 48 channels and the total")
        << 1 << onFlags(52, channels(52)) << false << counting(1, 49) << Cells{{49, 2, "Total"}};
    QTest::newRow("nothing on") << 0 << onFlags(52, {}) << false << QStringList{} << Cells{};
}

void TestDetail::dwdm48Rows()
{
    QFETCH(int, totalIndex);
    QFETCH(QByteArray, onOff);
    QFETCH(bool, displayFreq);
    QFETCH(QStringList, numbers);
    QFETCH(Cells, cells);

    const QList<QStringList> rows = Detail::rows(
        measurement(Kind::DWDM48, ramp(50), flagged(onOff, totalIndex)), displayFreq, QString());
    QVERIFY(checkRows(rows, numbers, cells));
}

void TestDetail::tarnexRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("totalIndex");
    QTest::addColumn<QList<int>>("on");
    QTest::addColumn<bool>("displayFreq");
    QTest::addColumn<QStringList>("numbers");
    QTest::addColumn<Cells>("cells");

    QTest::newRow("Tarnex56 channels 9 and 10")
        << int(Kind::Tarnex56) << 0 << QList<int>{9, 10} << false << QStringList{"1", "2"}
        << Cells{{1, 1, "64"}, {1, 2, "1526.44"}, {1, 3, "-4.5"},
                 {2, 1, "63"}, {2, 2, "1527.22"}, {2, 3, "-5"}};
    QTest::newRow("Tarnex56 fixed wavelengths")
        << int(Kind::Tarnex56) << 4 << QList<int>{1, 5, 8} << false << QStringList{"1", "2", "3"}
        << Cells{{1, 1, "-"}, {1, 2, "1290"}, {2, 1, "-"}, {2, 2, "1471"}, {3, 2, "1611"}};
    QTest::newRow("Tarnex56 in frequency still by wavelength")
        << int(Kind::Tarnex56) << 0 << QList<int>{5, 9} << true << QStringList{"1", "2"}
        << Cells{{1, 2, "1471"}, {2, 1, "64"}, {2, 2, "1526.44"}};
    QTest::newRow("Tarnex56 last channel and total")
        << int(Kind::Tarnex56) << 0 << QList<int>{56, 57} << false << QStringList{"1", "2"}
        << Cells{{1, 1, "17"}, {1, 2, "1563.86"}, {1, 3, "-28"},
                 {2, 1, "-"},  {2, 2, "Total"},   {2, 3, "-28.5"}};
    QTest::newRow("Tarnex56 totalIndex 4 has no total")
        << int(Kind::Tarnex56) << 4 << QList<int>{57} << false << QStringList{} << Cells{};
    QTest::newRow("Tarnex57 in frequency still by wavelength")
        << int(Kind::Tarnex57) << 2 << QList<int>{1, 9, 58} << true << QStringList{"1", "2", "3"}
        << Cells{{1, 1, "-"}, {1, 2, "1290"},   {2, 1, "62"}, {2, 2, "1527.99"},
                 {3, 1, "-"}, {3, 2, "T_1550"}, {3, 3, "-29"}};
    QTest::newRow("Tarnex57 last channel")
        << int(Kind::Tarnex57) << 0 << QList<int>{8, 57} << false << QStringList{"1", "2"}
        << Cells{{1, 1, "-"}, {1, 2, "1611"}, {2, 1, "14"}, {2, 2, "1566.31"}};
    QTest::newRow("Tarnex64 both ends of both parts")
        << int(Kind::Tarnex64) << 1 << QList<int>{1, 15, 16, 64, 65} << false
        << QStringList{"1", "2", "3", "4", "5"}
        << Cells{{1, 1, "-"},  {1, 2, "1270"},    {2, 1, "-"},    {2, 2, "1610"},
                 {3, 1, "62"}, {3, 2, "1527.99"}, {4, 1, "14"},   {4, 2, "1566.31"},
                 {5, 1, "-"},  {5, 2, "T_1470"},  {5, 3, "-32.5"}};
    QTest::newRow("Tarnex64 in frequency still by wavelength")
        << int(Kind::Tarnex64) << 3 << QList<int>{14, 16, 65} << true << QStringList{"1", "2", "3"}
        << Cells{{1, 2, "1590"}, {2, 2, "1527.99"}, {3, 2, "T_1610"}};
    QTest::newRow("Tarnex64 nothing on")
        << int(Kind::Tarnex64) << 0 << QList<int>{} << false << QStringList{} << Cells{};
}

void TestDetail::tarnexRows()
{
    QFETCH(int, kind);
    QFETCH(int, totalIndex);
    QFETCH(QList<int>, on);
    QFETCH(bool, displayFreq);
    QFETCH(QStringList, numbers);
    QFETCH(Cells, cells);

    const QByteArray onOff = onFlags(kind == Kind::Tarnex64 ? 68 : 60, on);
    const QList<QStringList> rows = Detail::rows(
        measurement(kind, ramp(65), flagged(onOff, totalIndex)), displayFreq, QString());
    QVERIFY(checkRows(rows, numbers, cells));
}

void TestDetail::tarnexTotalLabels_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("totalIndex");
    QTest::addColumn<QString>("label");

    QTest::newRow("Tarnex57 0") << int(Kind::Tarnex57) << 0 << "T_1310";
    QTest::newRow("Tarnex57 1") << int(Kind::Tarnex57) << 1 << "T_1470";
    QTest::newRow("Tarnex57 2") << int(Kind::Tarnex57) << 2 << "T_1550";
    QTest::newRow("Tarnex57 3") << int(Kind::Tarnex57) << 3 << "T_1610";
    QTest::newRow("Tarnex57 4") << int(Kind::Tarnex57) << 4 << "Total";
    QTest::newRow("Tarnex57 9") << int(Kind::Tarnex57) << 9 << "Total";
    QTest::newRow("Tarnex57 -1") << int(Kind::Tarnex57) << -1 << "Total";
    QTest::newRow("Tarnex64 0") << int(Kind::Tarnex64) << 0 << "T_1310";
    QTest::newRow("Tarnex64 3") << int(Kind::Tarnex64) << 3 << "T_1610";
    QTest::newRow("Tarnex64 9") << int(Kind::Tarnex64) << 9 << "Total";
    QTest::newRow("Tarnex64 -1") << int(Kind::Tarnex64) << -1 << "Total";
    QTest::newRow("Tarnex64 largest") << int(Kind::Tarnex64) << 2147483647 << "Total";
    QTest::newRow("Tarnex56 0 keeps its own total") << int(Kind::Tarnex56) << 0 << "Total";
    QTest::newRow("Tarnex56 2 keeps its own total") << int(Kind::Tarnex56) << 2 << "Total";
}

void TestDetail::tarnexTotalLabels()
{
    QFETCH(int, kind);
    QFETCH(int, totalIndex);
    QFETCH(QString, label);

    // Only the total is switched on.
    const QByteArray onOff = kind == Kind::Tarnex64   ? onFlags(68, {65})
                             : kind == Kind::Tarnex57 ? onFlags(60, {58})
                                                      : onFlags(60, {57});
    const QList<QStringList> rows =
        Detail::rows(measurement(kind, ramp(65), flagged(onOff, totalIndex)), false, QString());
    QVERIFY(checkRows(rows, {"1"}, {{1, 1, "-"}, {1, 2, label}}));
}

void TestDetail::powerTexts_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("raw");
    QTest::addColumn<QString>("text");

    QTest::newRow("16.01") << int(Kind::CWDM18) << 1601 << "High";
    QTest::newRow("16") << int(Kind::CWDM18) << 1600 << "16";
    QTest::newRow("-50.01") << int(Kind::CWDM18) << -5001 << "Low";
    QTest::newRow("-50") << int(Kind::CWDM18) << -5000 << "-50";
    QTest::newRow("-12.34") << int(Kind::CWDM18) << -1234 << "-12.34";
    QTest::newRow("-7.0") << int(Kind::CWDM18) << -700 << "-7";
    QTest::newRow("0") << int(Kind::CWDM18) << 0 << "0";
    QTest::newRow("0.5") << int(Kind::CWDM18) << 50 << "0.5";
    QTest::newRow("filler -99") << int(Kind::CWDM18) << -9900 << "Low";
    QTest::newRow("327.67") << int(Kind::CWDM18) << 32767 << "High";
    QTest::newRow("DWDM96 16.01") << int(Kind::DWDM96) << 1601 << "High";
    QTest::newRow("MPO32 -50.01") << int(Kind::MPO32) << -5001 << "Low";
    QTest::newRow("Tarnex8 20: no high limit") << int(Kind::Tarnex8) << 2000 << "20";
    QTest::newRow("Tarnex8 16.01") << int(Kind::Tarnex8) << 1601 << "16.01";
    QTest::newRow("Tarnex8 327.67") << int(Kind::Tarnex8) << 32767 << "327.67";
    QTest::newRow("Tarnex8 -50.01") << int(Kind::Tarnex8) << -5001 << "Low";
    QTest::newRow("Tarnex8 -50") << int(Kind::Tarnex8) << -5000 << "-50";
}

void TestDetail::powerTexts()
{
    QFETCH(int, kind);
    QFETCH(int, raw);
    QFETCH(QString, text);

    const QList<QStringList> rows =
        Detail::rows(measurement(kind, QVector<qint16>(96, qint16(raw))), false, QString());
    QVERIFY(!rows.isEmpty());
    for (const QStringList& row : rows)
        QCOMPARE(row.value(3), text);
    QCOMPARE(Detail::powerText(raw / 100.0, kind != Kind::Tarnex8), text);
}

void TestDetail::mpoRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("polar");
    QTest::addColumn<int>("count");
    QTest::addColumn<QString>("modeText");
    QTest::addColumn<QString>("polarText");

    QTest::newRow("MPO12 mode 5, polar 7") << int(Kind::MPO12) << 5 << 7 << 12 << "-nm"
                                           << "";
    QTest::newRow("MPO24 mode 5, polar 7") << int(Kind::MPO24) << 5 << 7 << 24 << "-nm"
                                           << "";
    QTest::newRow("MPO12 850nm straight") << int(Kind::MPO12) << 1 << 0 << 12 << "850nm"
                                          << "Straight";
    QTest::newRow("MPO24 1310nm rollover") << int(Kind::MPO24) << 2 << 1 << 24 << "1310nm"
                                           << "Rollover";
    QTest::newRow("MPO16 1550nm flipped") << int(Kind::MPO16) << 3 << 2 << 16 << "1550nm"
                                          << "Flipped";
    QTest::newRow("MPO32 850nm flipped") << int(Kind::MPO32) << 1 << 2 << 32 << "850nm"
                                         << "Flipped";
    QTest::newRow("MPO16 mode 0, polar 3") << int(Kind::MPO16) << 0 << 3 << 16 << "-nm"
                                           << "";
    QTest::newRow("MPO32 largest values") << int(Kind::MPO32) << 65535 << 65535 << 32 << "-nm"
                                          << "";
}

void TestDetail::mpoRows()
{
    QFETCH(int, kind);
    QFETCH(int, mode);
    QFETCH(int, polar);
    QFETCH(int, count);
    QFETCH(QString, modeText);
    QFETCH(QString, polarText);

    // Whatever the display unit, fibres are labelled by the test wavelength.
    const bool displayFreq = kind == Kind::MPO24 || kind == Kind::MPO16;
    const QList<QStringList> rows =
        Detail::rows(measurement(kind, ramp(count), mpo(mode, polar)), displayFreq, QString());

    Cells cells;
    for (int row = 1; row <= count; ++row)
        cells << Cell{row, 1, modeText} << Cell{row, 2, polarText};
    cells << Cell{1, 3, "-0.5"} << Cell{2, 3, "-1"}
          << Cell{count, 3, QString::number(-0.5 * count)};
    QVERIFY(checkRows(rows, counting(1, count), cells));
    QCOMPARE(Detail::mpoModeText(mode), modeText);
    QCOMPARE(Detail::mpoPolarText(polar), polarText);
}

void TestDetail::dwdm49TotalRows_data()
{
    QTest::addColumn<int>("totalWav");
    QTest::addColumn<bool>("displayFreq");
    QTest::addColumn<Cells>("cells");

    QTest::newRow("totalWav 1") << 1 << false
                                << Cells{{1, 1, "62"},      {1, 2, "1527.99"}, {2, 1, "61"},
                                         {2, 2, "1528.77"}, {49, 1, "14"},     {49, 2, "1566.31"},
                                         {50, 0, "50"},     {50, 1, "-"},      {50, 2, "T_1470"},
                                         {50, 3, "-25"}};
    QTest::newRow("totalWav 1 in frequency")
        << 1 << true
        << Cells{{1, 2, "196.20"}, {2, 2, "196.10"}, {49, 2, "191.40"}, {50, 2, "T_1470"}};
    QTest::newRow("totalWav 0") << 0 << false << Cells{{50, 1, "-"}, {50, 2, "T_1310"}};
    QTest::newRow("totalWav 3") << 3 << true << Cells{{50, 1, "-"}, {50, 2, "T_1610"}};
    QTest::newRow("totalWav 7") << 7 << false << Cells{{50, 1, "-"}, {50, 2, "Total"}};
    QTest::newRow("totalWav -1") << -1 << true << Cells{{50, 1, "-"}, {50, 2, "Total"}};
}

void TestDetail::dwdm49TotalRows()
{
    QFETCH(int, totalWav);
    QFETCH(bool, displayFreq);
    QFETCH(Cells, cells);

    // The on/off block is all zero: this kind shows every channel regardless.
    const QList<QStringList> rows = Detail::rows(
        measurement(Kind::DWDM49TOTAL, ramp(50), flagged(QByteArray(52, '\0'), totalWav)),
        displayFreq, QString());
    QVERIFY(checkRows(rows, counting(1, 50), cells));
}

void TestDetail::dwdm96Rows_data()
{
    QTest::addColumn<bool>("displayFreq");
    QTest::addColumn<Cells>("cells");

    QTest::newRow("frequency") << true
                               << Cells{{1, 1, "64.5"},   {1, 2, "196.45"}, {2, 1, "64.0"},
                                        {2, 2, "196.40"}, {96, 1, "17.0"},  {96, 2, "191.70"},
                                        {96, 3, "-48"}};
    QTest::newRow("wavelength") << false
                                << Cells{{1, 1, "64.5"},     {1, 2, "1526.05"}, {2, 2, "1526.44"},
                                         {13, 2, "1530.72"}, {95, 1, "17.5"},   {96, 1, "17.0"},
                                         {96, 2, "1563.86"}, {1, 3, "-0.5"}};
}

void TestDetail::dwdm96Rows()
{
    QFETCH(bool, displayFreq);
    QFETCH(Cells, cells);

    const QList<QStringList> rows =
        Detail::rows(measurement(Kind::DWDM96, ramp(96)), displayFreq, QString());
    QVERIFY(checkRows(rows, counting(1, 96), cells));
}

void TestDetail::vendral8Rows_data()
{
    QTest::addColumn<QString>("productName");
    QTest::addColumn<bool>("displayFreq");
    QTest::addColumn<QStringList>("labels");

    const QStringList cwdm4{"1271", "1291", "1311", "1331", "TOTAL"};
    const QStringList lanNm{"1295.56", "1300.05", "1304.58", "1309.14", "TOTAL"};
    const QStringList lanThz{"231.4", "230.6", "229.8", "229.0", "TOTAL"};

    QTest::newRow("-8N-40 by wavelength") << "RV710-8N-40" << false << cwdm4;
    QTest::newRow("-8N-40 by frequency") << "RV710-8N-40" << true << cwdm4;
    QTest::newRow("-8n-40 lower case") << "rv710-8n-40" << false << cwdm4;
    QTest::newRow("-8n-40 lower case by frequency") << "rv710-8n-40" << true << cwdm4;
    QTest::newRow("-8N-40 inside the name") << "X-8N-40-B" << true << cwdm4;
    QTest::newRow("other meter by wavelength") << "RV710-8N-10" << false << lanNm;
    QTest::newRow("other meter by frequency") << "RV710-8N-10" << true << lanThz;
    QTest::newRow("-8N-4 alone") << "RV710-8N-4" << false << lanNm;
    QTest::newRow("no product name") << QString() << true << lanThz;
}

void TestDetail::vendral8Rows()
{
    QFETCH(QString, productName);
    QFETCH(bool, displayFreq);
    QFETCH(QStringList, labels);

    const QList<QStringList> rows = Detail::rows(
        measurement(Kind::Vendral8, {-100, -200, -300, -400, 150}), displayFreq, productName);
    QVERIFY(checkRows(rows, {"1", "2", "3", "4", ""}, {{1, 3, "-1"}, {4, 3, "-4"}, {5, 3, "1.5"}}));
    QCOMPARE(column(rows, 1), QStringList(5, QString()));
    QCOMPARE(column(rows, 2), labels);
}

void TestDetail::fixedLabelRows_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("displayFreq");
    QTest::addColumn<QStringList>("labels");

    const QStringList cwdm18{"1270", "1290", "1310", "1330", "1350", "1370",
                             "1390", "1410", "1430", "1450", "1470", "1490",
                             "1510", "1530", "1550", "1570", "1590", "1610"};
    const QStringList tarnex8{"1290.55", "1291.65", "1293.30", "1295.55", "1471",
                              "1491",    "1591",    "1611",    "1310",    "1550"};

    QTest::newRow("CWDM18 by wavelength") << int(Kind::CWDM18) << false << cwdm18;
    QTest::newRow("CWDM18 by frequency") << int(Kind::CWDM18) << true << cwdm18;
    QTest::newRow("Tarnex8 by wavelength") << int(Kind::Tarnex8) << false << tarnex8;
    QTest::newRow("Tarnex8 by frequency") << int(Kind::Tarnex8) << true << tarnex8;
}

void TestDetail::fixedLabelRows()
{
    QFETCH(int, kind);
    QFETCH(bool, displayFreq);
    QFETCH(QStringList, labels);

    const QList<QStringList> rows =
        Detail::rows(measurement(kind, ramp(int(labels.size()))), displayFreq, QString());
    QVERIFY(checkRows(rows, counting(1, int(labels.size())), {{1, 3, "-0.5"}}));
    QCOMPARE(column(rows, 1), QStringList(labels.size(), QString()));
    QCOMPARE(column(rows, 2), labels);
}

void TestDetail::unknownKinds_data()
{
    QTest::addColumn<int>("kind");

    QTest::newRow("none") << 0;
    QTest::newRow("14") << 14;
    QTest::newRow("-1") << -1;
}

void TestDetail::unknownKinds()
{
    QFETCH(int, kind);

    Measurement record = measurement(Kind::DWDM96, ramp(96));
    record.kind = kindInfo(kind);
    QVERIFY(Detail::rows(record, false, QString()).isEmpty());
    QVERIFY(Detail::rows(record, true, QStringLiteral("RV710-8N-40")).isEmpty());
    QVERIFY(Detail::judgedReadings(record).isEmpty());
}

QTEST_GUILESS_MAIN(TestDetail)
#include "tst_detail.moc"
