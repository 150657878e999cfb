#include "files/report.h"
#include "files/reportformats.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

namespace {

// A CWDM-18 report of `count` records; with limits, record 2 fails on channel 3.
Report cwdmReport(int count, bool judged)
{
    Limits::LimitSet limits;
    limits.enabled = judged;
    limits.name = QStringLiteral("8-channel mux");
    limits.min = -30;
    limits.max = 3;
    limits.maxSpread = 6;
    QList<Measurement> records;
    for (int r = 0; r < count; ++r) {
        QVector<qint16> raw;
        for (int c = 0; c < 18; ++c)
            raw << qint16(judged && r == 1 && c == 2 ? -3150 : -1000 - 25 * c);
        TestSupport::Values v;
        v.name = "REC-" + QByteArray::number(r);
        v.time = TestSupport::timeWord(10, 0, uint(r));
        v.index = r;
        v.total = count;
        records << TestSupport::measurement(Kind::CWDM18, raw, v);
    }
    MeterIdentity meter;
    meter.product = QStringLiteral("Ruvo730");
    meter.serial = QStringLiteral("RV7300123");
    meter.hardware = QStringLiteral("V1.2.10");
    meter.firmware = QStringLiteral("V3.7.4");
    return Report(meter, Kind::CWDM18, false, limits, records,
                  QDateTime(QDate(2026, 12, 10), QTime(9, 30)));
}

// A report with everything a report can carry: limits with overrides, a reference and a link
// budget with overrides, a job block, and 3 records of a download cut short at 200. Record 1 fails
// channel 4's loss budget, record 2 channel 3's limits and the spread; record 3 passes.
Report fullReport(const QString& logo)
{
    Limits::LimitSet limits;
    limits.enabled = true;
    limits.name = QStringLiteral("8-channel mux");
    limits.min = -30;
    limits.max = 3;
    limits.maxSpread = 6;
    limits.channels.insert(1, {false, std::nullopt, std::nullopt});
    limits.channels.insert(7, {true, -25.0, 0.0});
    QList<Measurement> records;
    for (int r = 0; r < 3; ++r) {
        QVector<qint16> raw;
        for (int c = 0; c < 18; ++c)
            raw << qint16(-500 - 13 * c);
        raw[3] = r == 0 ? -650 : raw[3];
        raw[2] = r == 1 ? -3150 : raw[2];
        raw[17] = -787;
        TestSupport::Values v;
        v.name = "REC-" + QByteArray::number(r);
        v.index = r;
        v.total = 200;
        records << TestSupport::measurement(Kind::CWDM18, raw, v);
    }
    MeterIdentity meter;
    meter.product = QStringLiteral("Ruvo730");
    meter.serial = QStringLiteral("RV7300123");
    Report report(meter, Kind::CWDM18, false, limits, records,
                  QDateTime(QDate(2026, 12, 10), QTime(9, 30)));
    Loss::Reference reference;
    reference.name = QStringLiteral("Launch 2026-03");
    reference.meter = QStringLiteral("Ruvo730 RV7300999");
    reference.date = QStringLiteral("2026-03-01 09:00:00");
    for (int c = 1; c <= 18; ++c)
        reference.channels.insert(c, -2.0);
    Loss::Budget budget;
    budget.name = QStringLiteral("Span A");
    budget.link = Loss::Link{12.5, 0.35, 2, 3};
    budget.channels.insert(4, {true, 4.0});
    budget.channels.insert(9, {false, std::nullopt});
    report.setLoss(reference, budget);
    report.setJob({QStringLiteral("Lumen Fibre Works"), QStringLiteral("City Networks"),
                   QStringLiteral("Exchange North"), QStringLiteral("CBL-0042"),
                   QStringLiteral("J. Smith"), logo},
                  QStringLiteral("FTTH-42"));
    report.setExpected(200);
    return report;
}

QString pdfText(const QString& path)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    if (!p.waitForFinished(30000))
        return QStringLiteral("(pdftotext did not finish)");
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

// The PDF report, read back as text: identity, verdicts, power texts, page numbers; and that a
// failed or cancelled report leaves an existing file as it was.
class TestPdfReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext (Debian package poppler-utils) is needed: ./velumin.sh installs it");
    }

    void readsBack_data()
    {
        QTest::addColumn<bool>("judged");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("with limits") << true
                                     << QStringList{"Product: Ruvo730",
                                                    "Serial number: RV7300123",
                                                    "Hardware version: V1.2.10",
                                                    "Firmware version: V3.7.4",
                                                    "Exported: 2026-12-10 09:30",
                                                    "Limits: 8-channel mux",
                                                    "REC-1",
                                                    "FAIL",
                                                    "LOW",
                                                    "-31.5",
                                                    "-1.50",
                                                    "Page 1 of 4",
                                                    "Page 4 of 4",
                                                    "1270"};
        QTest::newRow("without limits")
            << false << QStringList{"Limits: none", "REC-2", "-14.25", "Page 4 of 4"};
    }
    void readsBack()
    {
        QFETCH(bool, judged);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        QString error;
        QCOMPARE(ReportFormats::writeFile(ReportFormats::format("pdf"), cwdmReport(3, judged), path,
                                          &error),
                 ReportFormats::Outcome::Written);
        const QString text = pdfText(path);
        for (const QString& e : expected)
            QVERIFY2(text.contains(e), qPrintable(e + " not in:\n" + text.left(3000)));
        QCOMPARE(text.contains(QLatin1String("PASS")), judged);
    }

    // What a report that carries everything says, read back; a logo that cannot be read is left
    // out and nothing else changes.
    void standsOnItsOwn_data()
    {
        QTest::addColumn<bool>("readableLogo");
        QTest::newRow("with a logo") << true;
        QTest::newRow("logo not readable") << false;
    }
    void standsOnItsOwn()
    {
        QFETCH(bool, readableLogo);
        QTemporaryDir dir;
        const QString logo = dir.filePath(QStringLiteral("logo.png"));
        if (readableLogo) {
            QImage image(300, 100, QImage::Format_RGB32);
            image.fill(Qt::darkCyan);
            QVERIFY(image.save(logo));
        }
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        QString error;
        QCOMPARE(
            ReportFormats::writeFile(ReportFormats::format("pdf"), fullReport(logo), path, &error),
            ReportFormats::Outcome::Written);
        const QString text = pdfText(path);
        const QStringList lines = text.split(QLatin1Char('\n'));
        // Whether one line holds all of `parts`, in that order.
        const auto lineWith = [&lines](const QStringList& parts) {
            return std::any_of(lines.cbegin(), lines.cend(), [&](const QString& l) {
                qsizetype at = 0;
                for (const QString& p : parts) {
                    at = l.indexOf(p, at);
                    if (at < 0)
                        return false;
                }
                return true;
            });
        };
        // First the job block, then the result, and nothing before them.
        const QStringList inOrder{
            "Velumin measurement report",
            "Company: Lumen Fibre Works",
            "Customer: City Networks",
            "Site: Exchange North",
            "Link: CBL-0042",
            "Operator: J. Smith",
            "Job: FTTH-42",
            "Result: FAIL",
            "INCOMPLETE",
            "Records: 1 passed, 2 failed",
            "this report holds 3 of 200 records",
            "Serial number: RV7300123",
            "Limits: 8-channel mux: min -30.00 dBm, max 3.00 dBm, max spread "
            "6.00 dB",
            "Channel 1 (1270 nm): not checked",
            "Channel 7 (1390 nm): min -25.00 dBm, max 0.00 dBm",
            "Reference: Launch 2026-03, Ruvo730 RV7300999, 2026-03-01 09:00:00",
            "Loss budget: Span A: max loss 6.78 dB",
            "from the link: 12.5 km × 0.35 dB/km + 2 connector pairs × 0.75 dB "
            "+ 3 splices × 0.30 dB = 6.78 dB",
            "Channel 4 (1330 nm): max loss 4.00 dB",
            "Channel 9 (1430 nm): not checked"};
        qsizetype at = 0;
        for (const QString& e : inOrder) {
            const qsizetype found = text.indexOf(e, at);
            QVERIFY2(found >= 0, qPrintable(e + " not in order in:\n" + text.left(4000)));
            at = found + e.size();
        }
        // The summary: each record's verdict and what failed, in full.
        QVERIFY(lineWith({"REC-0", "FAIL", "4 (loss)", "-7.87", "-5.00"}));
        QVERIFY(lineWith({"REC-1", "FAIL", "3, spread", "-31.50"}));
        QVERIFY(lineWith({"REC-2", "PASS"}));
        // The channel tables: readings with two decimals, the loss columns, "not checked" where
        // neither the limits nor the budget judge a channel.
        QVERIFY2(
            lineWith({"1270", "-5.00", "not checked", "-2.00", "3.00", "6.78", "+3.78", "PASS"}),
            qPrintable(text));
        QVERIFY(
            lineWith({"1330", "-6.50", "PASS", "+9.50", "-2.00", "4.50", "4.00", "-0.50", "FAIL"}));
        QVERIFY(lineWith({"1430", "-6.04", "PASS", "-2.00", "4.04", "not checked"}));
        QVERIFY(lineWith({"1610", "-7.87"}));
        QVERIFY(!text.contains(QStringLiteral("…")));
        // Every page names the meter and the job.
        QStringList pages = text.split(QLatin1Char('\f'));
        pages.removeAll(QString());
        QCOMPARE(pages.size(), 4);
        for (const QString& page : pages) {
            QVERIFY2(page.contains("serial number RV7300123"), qPrintable(page));
            QVERIFY2(page.contains("Job: FTTH-42"), qPrintable(page));
        }
        // The text runs from the left margin to the right one, as wide on either side.
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(30000));
        const QString boxes = QString::fromUtf8(p.readAllStandardOutput());
        const QRegularExpression page(QStringLiteral("<page width=\"([0-9.]+)\""));
        const QRegularExpression word(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"[0-9.]+\" "
                                                     "xMax=\"([0-9.]+)\""));
        const double width = page.match(boxes).captured(1).toDouble();
        double left = width;
        double right = 0;
        for (auto it = word.globalMatch(boxes); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            left = std::min(left, m.captured(1).toDouble());
            right = std::max(right, m.captured(2).toDouble());
        }
        QVERIFY2(left > 40 && qAbs(left - (width - right)) < 1.5,
                 qPrintable(QStringLiteral("%1 | %2 | %3").arg(left).arg(right).arg(width)));
    }

    // The overall result puts limits and loss together: CHECK REF, never PASS, where a loss
    // says the reference must be set again, and no PASS where nothing could be judged.
    void overallResult_data()
    {
        QTest::addColumn<bool>("judged");
        QTest::addColumn<double>("reference"); // dBm on every channel; 0 for none
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("limits pass")
            << true << 0.0 << QStringList{"Result: PASS", "Records: 1 passed, 0 failed"};
        QTest::newRow("reference above a reading")
            << false << -12.0
            << QStringList{"Result: CHECK REF", "Records: 0 passed, 0 failed, 1 CHECK REF",
                           "CHECK REF"};
        QTest::newRow("limits pass, reference above a reading")
            << true << -12.0 << QStringList{"Result: CHECK REF"};
        QTest::newRow("reference of dark channels")
            << false << -60.0
            << QStringList{"Result: not judged",
                           "No record could be judged against the limits or the loss budget."};
    }
    void overallResult()
    {
        QFETCH(bool, judged);
        QFETCH(double, reference);
        QFETCH(QStringList, expected);
        Report report = cwdmReport(1, judged);
        if (reference != 0) {
            Loss::Reference r;
            for (int c = 1; c <= 18; ++c)
                r.channels.insert(c, reference);
            Loss::Budget budget;
            budget.maxLoss = 10;
            report.setLoss(r, budget);
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        QString error;
        QCOMPARE(ReportFormats::writeFile(ReportFormats::format("pdf"), report, path, &error),
                 ReportFormats::Outcome::Written);
        const QString text = pdfText(path);
        for (const QString& e : expected)
            QVERIFY2(text.contains(e), qPrintable(e + " not in:\n" + text.left(3000)));
        QVERIFY(!text.contains(QLatin1String("Result: PASS")) || reference == 0);
    }

    // Without a job, a reference or limits the report says the records were not judged; the
    // footer names the customer and site where there is no job text.
    void notJudged()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        Report report = cwdmReport(2, false);
        QString error;
        QCOMPARE(ReportFormats::writeFile(ReportFormats::format("pdf"), report, path, &error),
                 ReportFormats::Outcome::Written);
        QString text = pdfText(path);
        QVERIFY(text.contains("Result: not judged"));
        QVERIFY(text.contains("Reference: none"));
        QVERIFY(!text.contains("INCOMPLETE"));
        QVERIFY(!text.contains("Job:"));
        report.setJob(
            {{}, QStringLiteral("City Networks"), QStringLiteral("Exchange North"), {}, {}, {}},
            {});
        QCOMPARE(ReportFormats::writeFile(ReportFormats::format("pdf"), report, path, &error),
                 ReportFormats::Outcome::Written);
        text = pdfText(path);
        QCOMPARE(text.count("Job: City Networks, Exchange North"), 3);
    }

    void keepsTheOldFile_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::newRow("cancelled") << true;
        QTest::newRow("cannot be written") << false;
    }
    void keepsTheOldFile()
    {
        QFETCH(bool, cancel);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.pdf"));
        // A folder where the file should go cannot be replaced, even by root.
        const QString target = cancel ? path : dir.filePath(QStringLiteral("folder/report.pdf"));
        if (!cancel)
            QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("folder/report.pdf")));
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old report") == 10);
        old.close();
        QString error;
        const ReportFormats::Outcome outcome =
            ReportFormats::writeFile(ReportFormats::format("pdf"), cwdmReport(5, true), target,
                                     &error, [](int done, int) { return done < 2; });
        QCOMPARE(outcome,
                 cancel ? ReportFormats::Outcome::Cancelled : ReportFormats::Outcome::Failed);
        QVERIFY(cancel || !error.isEmpty());
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), QByteArray("old report"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.pdf"});
        QVERIFY(cancel ||
                QDir(dir.filePath(QStringLiteral("folder"))).entryList(QDir::Files).isEmpty());
    }
};

QTEST_MAIN(TestPdfReport)
#include "tst_pdfreport.moc"
