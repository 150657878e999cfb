#include "files/report.h"
#include "files/reportformats.h"
#include "tests/testsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

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
                                                    "-1.50 dB",
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
