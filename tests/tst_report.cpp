#include "files/report.h"
#include "files/reportformats.h"
#include "testsupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using TestSupport::dateWord;
using TestSupport::measurement;
using TestSupport::timeWord;

namespace {

const MeterIdentity identity{"Ruvo730", "RV7300123", "V1.2.10", "V3.7.4", {}, Kind::CWDM18, 0, 0};

// CWDM-18 channel c reads -5 - c dBm.
Measurement cwdm(int index, const QByteArray& name, uint date = dateWord(2026, 3, 1))
{
    QVector<qint16> raw;
    for (int c = 0; c < 18; ++c)
        raw << qint16(-500 - 100 * c);
    return measurement(Kind::CWDM18, raw, {name, {}, 0, 0, 0, date, timeWord(10, 0, 5), index, 3});
}

Limits::LimitSet limits(int kind)
{
    Limits::LimitSet l;
    l.enabled = true;
    l.kind = kind;
    l.min = -20;
    l.channels.insert(2, {false, {}, {}});
    return l;
}

Report cwdmReport(int limitsKind)
{
    return Report(identity, Kind::CWDM18, false, limits(limitsKind),
                  {cwdm(0, "REC-0"), cwdm(1, {}), cwdm(2, "REC-2", dateWord(2026, 13, 1))},
                  QDateTime(QDate(2026, 12, 10), QTime(9, 30)));
}

} // namespace

// The report of a download as every format reads it: each record's texts, channels and
// verdicts, and the table of formats.
class TestReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recordTexts_data()
    {
        QTest::addColumn<int>("i");
        QTest::addColumn<QStringList>("texts"); // name, stored name, date, time
        QTest::addColumn<bool>("dateValid");
        QTest::newRow("named") << 0 << QStringList{"REC-0", "REC-0", "2026-03-01", "10:00:05"}
                               << true;
        QTest::newRow("unnamed: its number")
            << 1 << QStringList{"2", "", "2026-03-01", "10:00:05"} << true;
        QTest::newRow("impossible date")
            << 2 << QStringList{"REC-2", "REC-2", "2026-13-01", "10:00:05"} << false;
    }
    void recordTexts()
    {
        QFETCH(int, i);
        QFETCH(QStringList, texts);
        QFETCH(bool, dateValid);
        const Report report = cwdmReport(Kind::CWDM18);
        const Report::Record r = report.record(i);
        QCOMPARE(r.number(), i + 1);
        QCOMPARE((QStringList{r.name(), r.storedName(), r.dateText(), r.timeText()}), texts);
        QCOMPARE(r.date().isValid(), dateValid);
        // A record alone keeps its number.
        QCOMPARE(report.single(i).record(0).number(), i + 1);
    }

    // Channel 2 is not checked; channels from 16 on read below -20 dBm.
    void channels_data()
    {
        QTest::addColumn<int>("limitsKind");
        QTest::addColumn<QStringList>("channel2");
        QTest::addColumn<QStringList>("channel17");
        QTest::addColumn<QString>("verdict");
        QTest::newRow("judged") << int(Kind::CWDM18) << QStringList{"2", "1290", "nm", "-6", ""}
                                << QStringList{"17", "1590", "nm", "-21", "LOW"} << "FAIL";
        QTest::newRow("limits of another kind: none")
            << int(Kind::DWDM48) << QStringList{"2", "1290", "nm", "-6", ""}
            << QStringList{"17", "1590", "nm", "-21", ""} << "";
    }
    void channels()
    {
        QFETCH(int, limitsKind);
        QFETCH(QStringList, channel2);
        QFETCH(QStringList, channel17);
        QFETCH(QString, verdict);
        const Report report = cwdmReport(limitsKind);
        QCOMPARE(report.limits().enabled, !verdict.isEmpty());
        const QList<Report::Channel> channels = report.record(0).channels();
        QCOMPARE(channels.size(), 18);
        for (const int position : {2, 17}) {
            const Report::Channel& c = channels.at(position - 1);
            QCOMPARE(c.position, position);
            QCOMPARE((QStringList{c.number(), c.label, c.unit, c.text(),
                                  c.verdict ? Limits::verdictText(c.verdict->verdict) : QString()}),
                     position == 2 ? channel2 : channel17);
        }
        const auto result = report.record(0).verdict();
        QCOMPARE(result ? (result->pass ? "PASS" : "FAIL") : QString(), verdict);
    }

    // Every format from its row, written whole to a file.
    void formats_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QByteArray>("start");
        QTest::newRow("csv") << "csv"
                             << "CSV File (*.csv)" << QByteArray(" CWDM-18 Data\r\n");
        QTest::newRow("pdf") << "pdf"
                             << "PDF File (*.pdf)" << QByteArray("%PDF");
        QTest::newRow("json") << "json"
                              << "JSON File (*.json)" << QByteArray("{\n    \"meter\"");
    }
    void formats()
    {
        QFETCH(QString, id);
        QFETCH(QString, filter);
        QFETCH(QByteArray, start);
        const ReportFormats::Format& format = ReportFormats::format(qPrintable(id));
        QCOMPARE(QString::fromLatin1(format.id), id);
        QCOMPARE(QString::fromLatin1(format.suffix), id);
        QCOMPARE(QString::fromLatin1(format.filter), filter);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.") + id);
        QString error;
        QCOMPARE(ReportFormats::writeFile(format, cwdmReport(Kind::CWDM18), path, &error),
                 ReportFormats::Outcome::Written);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY2(file.readAll().startsWith(start), qPrintable(id));
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
