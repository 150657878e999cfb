#include "files/pdfreport.h"
#include "graph/graphtable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A CWDM-18 report of `count` records; with limits, record 2 fails on channel 3.
PdfReport::Report cwdmReport(int count, bool judged)
{
    PdfReport::Report report;
    report.identity = {"Ruvo730", "RV7300123", "V1.2.10", "V3.7.4"};
    report.exported = QDateTime(QDate(2026, 12, 10), QTime(9, 30));
    if (judged)
        report.limits = {"8-channel mux: -30 to 3 dBm, spread at most 6 dB"};
    report.recordCount = count;
    report.record = [judged](int r) {
        PdfReport::Record rec;
        rec.number = r + 1;
        rec.name = QStringLiteral("REC-%1").arg(r);
        rec.dateTime = QStringLiteral("2026-03-01 10:00:%1").arg(r, 2, 10, QLatin1Char('0'));
        rec.graphType = Graph::typeOfKind(1);
        rec.graphLabels = Graph::labels(1, false);
        rec.headers = {"No", "ITU Channel #", "Wavelength (nm)", "Power (dBm)"};
        const bool fails = judged && r == 1;
        for (int c = 0; c < 18; ++c) {
            const double dbm = fails && c == 2 ? -31.5 : -10.0 - c * 0.25;
            rec.readings << dbm;
            PdfReport::ChannelRow row;
            row.cells = {QString::number(c + 1), QString(), rec.graphLabels.at(c),
                         QString::number(dbm)};
            if (judged) {
                row.verdict = dbm < -30 ? "LOW" : "PASS";
                row.margin = QString::number(dbm < -30 ? dbm + 30 : 13.0, 'f', 2) + " dB";
            }
            rec.channels << row;
        }
        if (judged) {
            rec.verdict = fails ? "FAIL" : "PASS";
            rec.failing = fails ? QStringList{"3"} : QStringList{};
        }
        rec.lowest = fails ? "-31.5" : "-14.25";
        rec.highest = "-10";
        return rec;
    };
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
        QCOMPARE(PdfReport::write(path, cwdmReport(3, judged), &error),
                 PdfReport::Outcome::Written);
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
        const PdfReport::Outcome outcome = PdfReport::write(target, cwdmReport(5, true), &error,
                                                            [](int done, int) { return done < 2; });
        QCOMPARE(outcome, cancel ? PdfReport::Outcome::Cancelled : PdfReport::Outcome::Failed);
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
