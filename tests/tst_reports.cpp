#include "app/mainwindow.h"
#include "app/prompts.h"
#include "dialogs/limitsdialog.h"
#include "graph/graphwidget.h"
#include "metermodel.h"
#include "windowharness.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using WindowHarness::child;
using WindowHarness::connectAs;

// Limits and the PDF report end to end: download from the simulated meter, set limits through
// the dialog, see the verdicts in the lists, export the report and read it back as text.
class TestReports : public QObject {
    Q_OBJECT

    WindowHarness::Session m_session;
    QString m_fileAnswer;

    static constexpr double Min = -40;
    static constexpr double Max = 0;

    // Record r of the meter passes -40..0 dBm on all its 18 channels.
    static bool passes(int r)
    {
        for (int c = 0; c < 18; ++c) {
            const double dbm = MeterModel::power(r, c) / 100.0;
            if (dbm < Min || dbm > Max)
                return false;
        }
        return true;
    }

    bool download(MainWindow& w)
    {
        connectAs(w, 1);
        if (QTest::currentTestFailed())
            return false;
        child<QAction>(w, "actionGetData")->trigger();
        [&] { QTRY_COMPARE_WITH_TIMEOUT(m_session.completions(), 1, 10000); }();
        return !QTest::currentTestFailed();
    }

    // Sets -40..0 dBm through the limits dialog, as a user would.
    static void setLimits(MainWindow& w)
    {
        Prompts::setDialogResponder([](QDialog& d) {
            d.findChild<QCheckBox*>(QStringLiteral("checkEnabled"))->setChecked(true);
            d.findChild<QLineEdit*>(QStringLiteral("editMin"))->setText(QStringLiteral("-40"));
            d.findChild<QLineEdit*>(QStringLiteral("editMax"))->setText(QStringLiteral("0"));
            return int(QDialog::Accepted);
        });
        child<QAction>(w, "actionLimits")->trigger();
        Prompts::setDialogResponder({});
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_session.startWithMeter();
        Prompts::setFileResponder([this](const Prompts::FileRequest&) { return m_fileAnswer; });
    }
    void cleanupTestCase()
    {
        Prompts::setFileResponder({});
        m_session.stop();
    }
    void init() { m_session.beginTest(); }
    void cleanup() { LimitsStore::store({}); }

    // Off by default: no marks, nothing stored; on: a pass or fail mark on every record, failing
    // power cells in red with their verdict, the limits stored for the next start.
    void verdictsOnScreen()
    {
        MeterSim sim;
        QVERIFY(WindowHarness::startMeter(sim, 1, {"--records", "4"}));
        MainWindow w;
        if (!download(w))
            return;
        auto* records = child<QTreeWidget>(w, "treeData");
        auto* detail = child<QTreeWidget>(w, "treeDetailData");
        QVERIFY(!records->topLevelItem(0)->data(0, Qt::DecorationRole).isValid());
        QVERIFY(!LimitsStore::read().enabled);

        setLimits(w);
        QVERIFY(LimitsStore::read().enabled);
        for (int r = 0; r < 4; ++r) {
            const QIcon icon = records->topLevelItem(r)->icon(0);
            QVERIFY2(!icon.isNull(), qPrintable(QString::number(r)));
            const QIcon expected(passes(r) ? QStringLiteral(":/icon/image/accept.png")
                                           : QStringLiteral(":/icon/image/delete.png"));
            QCOMPARE(icon.pixmap(16).toImage(), expected.pixmap(16).toImage());
        }
        records->setCurrentItem(records->topLevelItem(0));
        // Record 0, channel 1 reads +1 dBm: above the maximum.
        QCOMPARE(MeterModel::power(0, 0), 100);
        QTreeWidgetItem* first = detail->topLevelItem(0);
        QCOMPARE(first->toolTip(3), QStringLiteral("HIGH, -1.00 dB"));
        QCOMPARE(first->foreground(3).color(), QColor(220, 0, 0));

        // The graph window draws the minimum and the maximum across its panel, two pixels high,
        // and channel 1's bar, above the maximum, in red.
        child<QAction>(w, "actionGraphData")->trigger();
        QVERIFY(w.graphWidget());
        const QImage graph = w.graphWidget()->grab().toImage();
        QList<int> redRows;
        for (int y = 0; y < graph.height(); ++y) {
            int red = 0;
            for (int x = 0; x < graph.width(); ++x)
                red += graph.pixelColor(x, y) == QColor(220, 0, 0) ? 1 : 0;
            if (red > 100)
                redRows << y;
        }
        QCOMPARE(redRows.size(), 4);
        QCOMPARE(graph.pixelColor(60, 250), QColor(220, 0, 0));
        QCOMPARE(graph.pixelColor(80, 250), QColor(Qt::blue));
        LimitsStore::store({});
    }

    // Limits that judge no channel of the connected kind mark nothing and say why; the dialog
    // opens disconnected too, on the kind last connected.
    void limitsThatJudgeNothing_data()
    {
        QTest::addColumn<QString>("kind"); // chosen in the dialog
        QTest::addColumn<QString>("min");
        QTest::addColumn<QString>("status");
        QTest::newRow("nothing set") << "CWDM-18"
                                     << ""
                                     << "The limits check no channel of CWDM-18: no record is "
                                        "judged.";
        QTest::newRow("made for another kind")
            << "DWDM-48"
            << "-40"
            << "The limits were made for DWDM-48 and check no channel of CWDM-18: no record is "
               "judged.";
    }
    void limitsThatJudgeNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, min);
        QFETCH(QString, status);
        MeterSim sim;
        QVERIFY(WindowHarness::startMeter(sim, 1, {"--records", "2"}));
        MainWindow w;
        if (!download(w))
            return;
        Prompts::setDialogResponder([&](QDialog& d) {
            d.findChild<QCheckBox*>(QStringLiteral("checkEnabled"))->setChecked(true);
            auto* kinds = d.findChild<QComboBox*>(QStringLiteral("cbKind"));
            kinds->setCurrentIndex(kinds->findText(kind));
            d.findChild<QLineEdit*>(QStringLiteral("editMin"))->setText(min);
            return int(QDialog::Accepted);
        });
        child<QAction>(w, "actionLimits")->trigger();
        auto* records = child<QTreeWidget>(w, "treeData");
        auto* notice = w.statusBar()->findChild<QLabel*>(QStringLiteral("labelLimitsNotice"));
        QVERIFY(notice);
        QCOMPARE(notice->text(), status);
        QVERIFY(!notice->isHidden());
        // A download says how it ended beside it.
        child<QAction>(w, "actionGetData")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_session.completions(), 2, 10000);
        QVERIFY(!notice->isHidden());
        QVERIFY(!records->topLevelItem(0)->data(0, Qt::DecorationRole).isValid());

        // Disconnected, the dialog opens on the kind the limits were made for, with every kind
        // to choose from.
        child<QAction>(w, "actionConnect")->trigger();
        QString shown;
        int kinds = 0;
        Prompts::setDialogResponder([&](QDialog& d) {
            auto* chooser = d.findChild<QComboBox*>(QStringLiteral("cbKind"));
            shown = chooser->currentText();
            kinds = chooser->count();
            return int(QDialog::Rejected);
        });
        child<QAction>(w, "actionLimits")->trigger();
        Prompts::setDialogResponder({});
        QCOMPARE(shown, kind);
        QCOMPARE(kinds, 13);
        LimitsStore::store({});
    }

    // The report of every record, with the identity and each record's verdict; without records
    // there is nothing to report and no file.
    void exportReport()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdftotext (Debian package poppler-utils) is needed: ./velumin.sh installs it");
        MeterSim sim;
        QVERIFY(WindowHarness::startMeter(sim, 1, {"--records", "3"}));
        MainWindow w;
        QTemporaryDir dir;
        m_fileAnswer = dir.filePath(QStringLiteral("report"));
        connectAs(w, 1);
        child<QAction>(w, "actionExportReport")->trigger();
        QCOMPARE(m_session.count("Export Report", "There are no records to report."), 1);
        QVERIFY(!QFile::exists(m_fileAnswer + ".pdf"));

        child<QAction>(w, "actionGetData")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_session.completions(), 1, 10000);
        setLimits(w);
        // The job block asked for first is taken as it is.
        Prompts::setDialogResponder([](QDialog&) { return int(QDialog::Accepted); });
        child<QAction>(w, "actionExportReport")->trigger();
        Prompts::setDialogResponder({});
        LimitsStore::store({});
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {"-layout", m_fileAnswer + ".pdf", "-"});
        QVERIFY(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        for (const QString& expected :
             {QStringLiteral("Product: Ruvo730"), QStringLiteral("Serial number: RV7300123"),
              QStringLiteral("Hardware version: V1.2.10"),
              QStringLiteral("Firmware version: V3.7.4"),
              QStringLiteral("Limits: min -40.00 dBm, max 0.00 dBm"), QStringLiteral("Page 1 of 4"),
              MeterModel::powerText(MeterModel::power(2, 5))})
            QVERIFY2(text.contains(expected), qPrintable(expected + "\n" + text.left(2000)));
        for (int r = 0; r < 3; ++r) {
            const QString line = QStringLiteral("Record %1").arg(r + 1);
            const int at = text.indexOf(line);
            QVERIFY2(at >= 0, qPrintable(line));
            const QString heading = text.mid(at, text.indexOf(u'\n', at) - at);
            QVERIFY2(heading.endsWith(passes(r) ? "PASS" : "FAIL"), qPrintable(heading));
        }
    }
};

QTEST_MAIN(TestReports)
#include "tst_reports.moc"
