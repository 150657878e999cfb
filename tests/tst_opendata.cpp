#include "files/opendata.h"
#include "files/opendatawidget.h"
#include "files/regularfile.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <sys/stat.h>

// The Open Data viewer: which lines of a CSV file become rows and what the three columns show,
// read through the window as the user sees it.

using TestSupport::dateWord;
using TestSupport::measurement;
using TestSupport::timeWord;
using TestSupport::Values;

namespace {

// The rows of a tree as "number|second|third".
QStringList rowsOf(QTreeWidget* tree)
{
    QStringList rows;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = tree->topLevelItem(i);
        rows << item->text(0) + u'|' + item->text(1) + u'|' + item->text(2);
    }
    return rows;
}

QStringList rowsOf(const QList<OpenData::Row>& parsed)
{
    QStringList rows;
    for (const OpenData::Row& row : parsed)
        rows << QString::number(row.number) + u'|' + row.second + u'|' + row.third;
    return rows;
}

QTreeWidget* tableOf(OpenDataWidget& w)
{
    return w.findChild<QTreeWidget*>(QStringLiteral("treeDetailData"));
}

} // namespace

class TestOpenData : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_files = 0;

    // A new file holding `bytes`; its path.
    QString write(const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QStringLiteral("file%1.csv").arg(++m_files));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // What the window shows for a file holding `bytes`.
    QStringList shown(const QByteArray& bytes)
    {
        OpenDataWidget w(write(bytes));
        return rowsOf(tableOf(w));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    // One line: a row of the trimmed integer and the next two trimmed fields, or nothing.
    void lineRule_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("row"); // empty: the line shows no row
        QTest::newRow("spaces around fields") << "12 , a ,b"
                                              << "12|a|b";
        QTest::newRow("spaces before the number") << "   12 , a ,b"
                                                  << "12|a|b";
        QTest::newRow("tabs around the number") << "\t12\t,a,b"
                                                << "12|a|b";
        QTest::newRow("leading zeros") << "007,x,y"
                                       << "7|x|y";
        QTest::newRow("plus sign") << "+5,x,y"
                                   << "5|x|y";
        QTest::newRow("minus sign") << "-3,x,y"
                                    << "-3|x|y";
        QTest::newRow("zero") << "0,x,y"
                              << "0|x|y";
        QTest::newRow("minus zero") << "-0,x,y"
                                    << "0|x|y";
        QTest::newRow("decimal") << "1.5,x,y"
                                 << "";
        QTest::newRow("trailing letters") << "12abc,x,y"
                                          << "";
        QTest::newRow("space inside the number") << "1 2,x,y"
                                                 << "";
        QTest::newRow("empty first field") << ",x,y"
                                           << "";
        QTest::newRow("blank first field") << "   ,x,y"
                                           << "";
        QTest::newRow("sign only") << "-,x,y"
                                   << "";
        QTest::newRow("two signs") << "+-5,x,y"
                                   << "";
        QTest::newRow("sign after the space") << "- 5,x,y"
                                              << "";
        QTest::newRow("hexadecimal") << "0x1F,x,y"
                                     << "";
        QTest::newRow("exponent") << "1e3,x,y"
                                  << "";
        QTest::newRow("text") << "abc"
                              << "";
        QTest::newRow("empty line") << ""
                                    << "";
        QTest::newRow("more fields than shown") << "5,a,b,c,d"
                                                << "5|a|b";
        QTest::newRow("number only") << "7"
                                     << "7||";
        QTest::newRow("number and one field") << "7,x"
                                              << "7|x|";
        QTest::newRow("empty second field") << "7,,y"
                                            << "7||y";
        QTest::newRow("empty fields kept") << "7,,,"
                                           << "7||";
        QTest::newRow("inner spaces kept") << "8, a b , c d "
                                           << "8|a b|c d";
        QTest::newRow("quoted fields") << "9, \"a,1\",\"b \"\"c\"\"\",d"
                                       << "9|a,1|b \"c\"";
        QTest::newRow("quote inside a field is text") << "9,a\"b,c"
                                                      << "9|a\"b|c";
        QTest::newRow("unclosed quote") << "9,\"a,b"
                                        << "9|a,b|";
        QTest::newRow("largest int") << "2147483647,x,y"
                                     << "2147483647|x|y";
        QTest::newRow("one past the largest") << "2147483648,x,y"
                                              << "";
        QTest::newRow("smallest int") << "-2147483648,x,y"
                                      << "-2147483648|x|y";
        QTest::newRow("one past the smallest") << "-2147483649,x,y"
                                               << "";
        QTest::newRow("far too long") << "99999999999999999999999,x,y"
                                      << "";
        QTest::newRow("Arabic-Indic digits") << QString::fromUtf8("\u0661\u0662,x,y") << "";
        QTest::newRow("full-width digits") << QString::fromUtf8("\uFF11\uFF12,x,y") << "";
        QTest::newRow("superscript two") << QString::fromUtf8("\u00B2,x,y") << "";
        QTest::newRow("non-ASCII in the fields") << QString::fromUtf8("4,\u00E9t\u00E9,\u00B5W")
                                                 << QString::fromUtf8("4|\u00E9t\u00E9|\u00B5W");
        QTest::newRow("report heading") << " CWDM-18 Data"
                                        << "";
        QTest::newRow("report label row") << ",Channel,1,2,3"
                                          << "";
        QTest::newRow("report fibre header") << "no, wavelength[nm], polarity, power[dBm]"
                                             << "";
    }
    void lineRule()
    {
        QFETCH(QString, line);
        QFETCH(QString, row);
        const std::optional<OpenData::Row> parsed = OpenData::parseLine(line);
        QCOMPARE(parsed.has_value(), !row.isEmpty());
        if (parsed)
            QCOMPARE(rowsOf({*parsed}).first(), row);
        // The same line in a file, between two lines that always show.
        const QStringList rows = shown("1,first,a\n" + line.toUtf8() + "\n2,last,b\n");
        QStringList expected{QStringLiteral("1|first|a")};
        if (!row.isEmpty())
            expected << row;
        expected << QStringLiteral("2|last|b");
        QCOMPARE(rows, expected);
    }

    // The integer of a first field: a sign and ASCII digits, within 32 bits, nothing else.
    void integerRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("value");
        QTest::newRow("0") << "0" << true << 0;
        QTest::newRow("+0") << "+0" << true << 0;
        QTest::newRow("-0") << "-0" << true << 0;
        QTest::newRow("00000000000000000000042") << "00000000000000000000042" << true << 42;
        QTest::newRow("2147483647") << "2147483647" << true << 2147483647;
        QTest::newRow("+2147483647") << "+2147483647" << true << 2147483647;
        QTest::newRow("2147483648") << "2147483648" << false << 0;
        QTest::newRow("-2147483648") << "-2147483648" << true << int(-2147483647 - 1);
        QTest::newRow("-2147483649") << "-2147483649" << false << 0;
        QTest::newRow("4294967296") << "4294967296" << false << 0;
        QTest::newRow("9223372036854775808") << "9223372036854775808" << false << 0;
        QTest::newRow("empty") << "" << false << 0;
        QTest::newRow("+") << "+" << false << 0;
        QTest::newRow("-") << "-" << false << 0;
        QTest::newRow("++1") << "++1" << false << 0;
        QTest::newRow("1-") << "1-" << false << 0;
        QTest::newRow("leading space") << " 1" << false << 0;
        QTest::newRow("trailing space") << "1 " << false << 0;
        QTest::newRow("Arabic-Indic one") << QString::fromUtf8("\u0661") << false << 0;
        QTest::newRow("Devanagari five") << QString::fromUtf8("\u096B") << false << 0;
        QTest::newRow("full-width one") << QString::fromUtf8("\uFF11") << false << 0;
        QTest::newRow("digit then Arabic-Indic") << QString::fromUtf8("1\u0662") << false << 0;
        QTest::newRow("minus sign U+2212") << QString::fromUtf8("\u22125") << false << 0;
        QTest::newRow("NUL") << QString(QChar(0)) << false << 0;
        QTest::newRow("digit NUL") << QString(QStringLiteral("1") + QChar(0)) << false << 0;
    }
    void integerRule()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(int, value);
        const std::optional<int> parsed = OpenData::parseInteger(text);
        QCOMPARE(parsed.has_value(), valid);
        if (valid)
            QCOMPARE(*parsed, value);
    }

    // CR LF and LF line ends give the same table; the last line needs no line end.
    void lineEnds_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QStringList>("rows");
        const QStringList three{"1|a|b", "2|c|d", "3|e|f"};
        QTest::newRow("LF") << QByteArray("x\n1,a,b\n2,c,d\n\n3,e,f\n") << three;
        QTest::newRow("CR LF") << QByteArray("x\r\n1,a,b\r\n2,c,d\r\n\r\n3,e,f\r\n") << three;
        QTest::newRow("mixed") << QByteArray("x\r\n1,a,b\n2,c,d\r\n\n3,e,f\r\n") << three;
        QTest::newRow("LF, last line unended") << QByteArray("x\n1,a,b\n2,c,d\n\n3,e,f") << three;
        QTest::newRow("CR LF, last line unended")
            << QByteArray("x\r\n1,a,b\r\n2,c,d\r\n\r\n3,e,f") << three;
        QTest::newRow("CR LF, number only")
            << QByteArray("7\r\n8,x\r\n") << QStringList{"7||", "8|x|"};
        QTest::newRow("empty lines only") << QByteArray("\n\r\n\n") << QStringList{};
        QTest::newRow("empty file") << QByteArray() << QStringList{};
    }
    void lineEnds()
    {
        QFETCH(QByteArray, text);
        QFETCH(QStringList, rows);
        QCOMPARE(shown(text), rows);
        QCOMPARE(rowsOf(OpenData::parseBytes(text)), rows);
        QCOMPARE(rowsOf(OpenData::parseText(QString::fromLatin1(text))), rows);
    }

    // Whatever the file, the window carries its path in the title and the three column titles.
    void window_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<int>("rows");
        QTest::newRow("empty file") << true << QByteArray() << 0;
        QTest::newRow("nonexistent path") << false << QByteArray() << 0;
        QTest::newRow("file with rows") << true << QByteArray("1,a,b\n2,c,d\n") << 2;
    }
    void window()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, contents);
        QFETCH(int, rows);
        const QString path =
            exists ? write(contents) : m_dir.filePath(QStringLiteral("no such dir/absent.csv"));
        OpenDataWidget w(path);
        QCOMPARE(w.windowTitle(), QStringLiteral("Open Data - ") + path);
        QCOMPARE(w.objectName(), QStringLiteral("OpenDataWidget"));
        QCOMPARE(w.size(), QSize(334, 386));
        QVERIFY(!w.windowIcon().isNull());
        QVERIFY(w.isWindow());
        QTreeWidget* tree = tableOf(w);
        QVERIFY(tree);
        QCOMPARE(tree->columnCount(), 3);
        QCOMPARE(tree->headerItem()->text(0), QStringLiteral("No"));
        QCOMPARE(tree->headerItem()->text(1), QStringLiteral("Wavelength"));
        QCOMPARE(tree->headerItem()->text(2), QStringLiteral("Power [dBm]"));
        QCOMPARE(tree->topLevelItemCount(), rows);
    }

    // A saved record-row report: one row per record with its record text and the cell of its
    // first channel; a comma in a name shifts the fields.
    void savedRecordReport_data()
    {
        QTest::addColumn<QList<QByteArray>>("names");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("three CWDM18 records")
            << QList<QByteArray>{"EAST-1", "", "ABCDEFGHIJKLMNOP"}
            << QStringList{"1|2026-03-01 10:00:00 EAST-1|-12.3", "2|2026-03-02 10:01:13|Low",
                           "3|2026-03-03 10:02:26 ABCDEFGHIJKLMNOP|High"};
        QTest::newRow("comma in a name")
            << QList<QByteArray>{"A,B", "C", "D,E,F"}
            << QStringList{"1|2026-03-01 10:00:00 A,B|-12.3", "2|2026-03-02 10:01:13 C|Low",
                           "3|2026-03-03 10:02:26 D,E,F|High"};
        QTest::newRow("quotes in a name")
            << QList<QByteArray>{"\"A\"", "B\"", "\",\""}
            << QStringList{"1|2026-03-01 10:00:00 \"A\"|-12.3", "2|2026-03-02 10:01:13 B\"|Low",
                           "3|2026-03-03 10:02:26 \",\"|High"};
    }
    void savedRecordReport()
    {
        QFETCH(QList<QByteArray>, names);
        QFETCH(QStringList, rows);
        const qint16 firstReadings[] = {-1230, -5001, 1601};
        QList<Measurement> records;
        for (int r = 0; r < 3; ++r) {
            Values v;
            v.name = names.at(r);
            v.date = dateWord(2026, 3, uint(1 + r));
            v.time = timeWord(10, uint(r), uint(13 * r));
            records.append(measurement(Kind::CWDM18, {firstReadings[r], -500}, v));
        }
        QCOMPARE(shown(TestSupport::csvFile(1, records)), rows);
    }

    // A saved fibre-row report: one row per fibre with the mode and the polarity texts.
    void savedFibreReport_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("polar");
        QTest::addColumn<QString>("texts");
        QTest::newRow("1310 nm straight") << 2 << 0 << "1310nm|Straight";
        QTest::newRow("850 nm flipped") << 1 << 2 << "850nm|Flipped";
        QTest::newRow("1550 nm rollover") << 3 << 1 << "1550nm|Rollover";
        QTest::newRow("unknown mode and polarity") << 9 << 9 << "-nm|";
    }
    void savedFibreReport()
    {
        QFETCH(int, mode);
        QFETCH(int, polar);
        QFETCH(QString, texts);
        Values v;
        v.name = "PANEL-3";
        v.mode = quint16(mode);
        v.polar = quint16(polar);
        const QByteArray bytes = TestSupport::csvFile(
            10, {measurement(Kind::MPO12, {-521, -6200, 1700}, v)}, QStringLiteral("PM12"));
        QStringList expected;
        for (int i = 1; i <= 12; ++i)
            expected << QString::number(i) + u'|' + texts;
        QCOMPARE(shown(bytes), expected);
    }
    // A named file is read only when it is a regular file within the bound; a pipe with no
    // writer or an endless device is refused at once, not read.
    void regularFilesOnly_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("regular") << "regular"
                                 << "";
        QTest::newRow("pipe") << "fifo"
                              << "it is not a regular file";
        QTest::newRow("link to /dev/zero") << "zero"
                                           << "it is not a regular file";
        QTest::newRow("folder") << "folder"
                                << "it is not a regular file";
        QTest::newRow("one byte too many") << "large"
                                           << "it is larger than 16 bytes";
        QTest::newRow("missing") << "missing"
                                 << "No such file or directory";
    }
    void regularFilesOnly()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x"));
        if (kind == "regular" || kind == "large") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QVERIFY(f.write(QByteArray(kind == "large" ? 17 : 16, 'x')) > 0);
        } else if (kind == "fifo") {
            QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == "zero") {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), path));
        } else if (kind == "folder") {
            QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("x")));
        }
        QString error;
        const std::optional<QByteArray> bytes = RegularFile::read(path, 16, &error);
        QCOMPARE(error, reason);
        QCOMPARE(bytes.has_value(), reason.isEmpty());
        if (bytes)
            QCOMPARE(*bytes, QByteArray(16, 'x'));
    }
};

QTEST_MAIN(TestOpenData)
#include "tst_opendata.moc"
