#include "app/losswindow.h"
#include "app/mainwindow.h"
#include "app/prompts.h"
#include "app/reportflow.h"
#include "data/lossstore.h"
#include "files/archivestore.h"
#include "graph/graphpicture.h"
#include "metermodel.h"
#include "session/archiverecorder.h"
#include "windowharness.h"

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

using WindowHarness::child;

// Loss against a reference: record 1 of the simulated meter taken as the reference from the record
// list, record 2 judged against it in the Loss window; reference and budget files; the job block
// asked for before a report.
class TestLossWindow : public QObject {
    Q_OBJECT

    WindowHarness::Session m_session;
    MeterSim m_sim;
    std::unique_ptr<MainWindow> m_window;
    QTemporaryDir m_dir;
    QString m_fileAnswer;

    void select(int row)
    {
        auto* list = child<QTreeWidget>(*m_window, "treeData");
        list->setCurrentItem(list->topLevelItem(row));
    }

    QTreeWidget* lossTree() { return child<QTreeWidget>(*m_window->lossWindow(), "treeLoss"); }

    QString write(const char* name, const QByteArray& bytes)
    {
        QFile file(m_dir.filePath(QLatin1String(name)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return QString();
        return file.fileName();
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_session.startWithMeter();
        Prompts::setFileResponder([this](const Prompts::FileRequest&) { return m_fileAnswer; });
        LossStore::storeReference({});
        LossStore::storeBudget({});
        QVERIFY(WindowHarness::startMeter(m_sim, 1, {"--records", "3"}));
        m_window = std::make_unique<MainWindow>();
        WindowHarness::connectAs(*m_window, 1);
        child<QAction>(*m_window, "actionGetData")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_session.completions(), 1, 10000);

        // The first record is the reference; the Loss window shows the second, 1 dB below it
        // on most channels, against a budget of 1.5 dB, 0.8 dB on channel 3 and channel 5 not
        // checked.
        select(0);
        child<QAction>(*m_window, "actionSetReference")->trigger();
        select(1);
        child<QAction>(*m_window, "actionLoss")->trigger();
        QVERIFY(m_window->lossWindow());
        LossWindow& loss = *m_window->lossWindow();
        child<QComboBox>(loss, "cbBudget")->setCurrentIndex(1);
        child<QDoubleSpinBox>(loss, "spinMaxLoss")->setValue(1.5);
        auto* channels = child<QTableWidget>(loss, "tableBudgetChannels");
        channels->item(2, 3)->setText(QStringLiteral("0.8"));
        channels->item(4, 2)->setCheckState(Qt::Unchecked);
    }
    void cleanupTestCase()
    {
        m_window.reset();
        Prompts::setFileResponder({});
        Prompts::setDialogResponder({});
        LossStore::storeReference({});
        LossStore::storeBudget({});
        LossStore::storeJobBlock({});
        m_session.stop();
    }

    void referenceFromTheRecordList()
    {
        const QString text = QStringLiteral("REC-0, Ruvo730 RV7300123, 2026-03-01 10:00:00");
        QStringList said;
        for (const QLabel* label : m_window->statusBar()->findChildren<QLabel*>())
            said << label->text();
        QVERIFY2(said.contains("Reference: " + text), qPrintable(said.join(" | ")));
        QCOMPARE(child<QLabel>(*m_window->lossWindow(), "labelReference")->text(),
                 "Reference: " + text);
        const Loss::Reference stored = LossStore::reference();
        QCOMPARE(stored.channels.size(), 18);
        QCOMPARE(stored.channels.value(2), MeterModel::power(0, 1) / 100.0);
    }

    void rows_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("texts"); // channel, reference .. verdict; no label
        QTest::addColumn<QString>("marked");    // "red", "orange" or ""
        QTest::newRow("lit in the reference only")
            << 0 << QStringList{"1", "1", "-8.5", "9.50", "1.50", "-8.00", "FAIL"} << "red";
        QTest::newRow("within the budget")
            << 1 << QStringList{"2", "-7.87", "-8.87", "1.00", "1.50", "+0.50", "PASS"} << "";
        QTest::newRow("over its own budget")
            << 2 << QStringList{"3", "-8.24", "-9.24", "1.00", "0.80", "-0.20", "FAIL"} << "red";
        QTest::newRow("not checked")
            << 4 << QStringList{"5", "-8.98", "-9.98", "1.00", "not checked", "", ""} << "";
        QTest::newRow("brighter than the reference")
            << 6 << QStringList{"7", "-9.72", "1.6", "-11.32", "1.50", "+12.82", "CHECK REF"}
            << "orange";
    }
    void rows()
    {
        QFETCH(int, row);
        QFETCH(QStringList, texts);
        QFETCH(QString, marked);
        QTreeWidgetItem* item = lossTree()->topLevelItem(row);
        QVERIFY(item);
        QStringList shown;
        for (int column = 0; column < lossTree()->columnCount(); ++column)
            shown << item->text(column);
        // The label as the detail view shows it.
        QCOMPARE(shown.takeAt(1),
                 child<QTreeWidget>(*m_window, "treeDetailData")->topLevelItem(row)->text(2));
        QCOMPARE(shown, texts);
        const QColor colour = item->foreground(6).color();
        QCOMPARE(marked == "red", colour == Graph::LimitColour);
        QCOMPARE(marked == "orange", item->toolTip(0).contains("set the reference again"));
        QCOMPARE(marked.isEmpty(), !item->data(6, Qt::ForegroundRole).isValid());
    }

    void verdictFollowsTheSelection()
    {
        auto* verdict = child<QLabel>(*m_window->lossWindow(), "labelLossVerdict");
        QCOMPARE(lossTree()->topLevelItemCount(), 18);
        QCOMPARE(verdict->text(), "FAIL");
        // The reference itself loses nothing on any channel.
        select(0);
        QCOMPARE(lossTree()->topLevelItem(1)->text(4), "0.00");
        QCOMPARE(verdict->text(), "PASS");
        select(1);
    }

    void referenceFiles_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("shown");   // labelReference afterwards
        QTest::addColumn<QString>("warning"); // empty: none
        QTest::newRow("launch powers")
            << QByteArray(R"({"name": "Mux A", "kind": "CWDM18", "channels": {"1": -2.5}})")
            << "Reference: Mux A"
            << "";
        QTest::newRow("malformed")
            << QByteArray(R"({"name": "Mux B", "channels": {"0": -2.5}})") << "Reference: Mux A"
            << "The reference in %1 was not loaded: channel \"0\" is not a positive whole number.";
    }
    void referenceFiles()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, shown);
        QFETCH(QString, warning);
        m_session.prompts.clear();
        m_fileAnswer = write("reference.json", json);
        LossWindow& loss = *m_window->lossWindow();
        child<QPushButton>(loss, "buttonLoadReference")->click();
        QCOMPARE(child<QLabel>(loss, "labelReference")->text(), shown);
        QCOMPARE(m_session.prompts.size(), warning.isEmpty() ? 0 : 1);
        if (!warning.isEmpty())
            QCOMPARE(m_session.prompts.first().text, warning.arg(m_fileAnswer));
        // Channel 1 of the second record against -2.5 dBm: 6 dB.
        QCOMPARE(lossTree()->topLevelItem(0)->text(4), "6.00");
    }

    void budgetFile()
    {
        LossWindow& loss = *m_window->lossWindow();
        child<QComboBox>(loss, "cbBudget")->setCurrentIndex(2);
        child<QDoubleSpinBox>(loss, "spinLengthKm")->setValue(10);
        child<QDoubleSpinBox>(loss, "spinDbPerKm")->setValue(0.25);
        child<QSpinBox>(loss, "spinConnectorPairs")->setValue(2);
        child<QSpinBox>(loss, "spinSplices")->setValue(3);
        QCOMPARE(child<QLabel>(loss, "labelLinkBudget")->text(), "= 4.90 dB");
        m_fileAnswer = m_dir.filePath("budget");
        child<QPushButton>(loss, "buttonSaveBudget")->click();

        Loss::Budget entered;
        entered.link = Loss::Link{10, 0.25, 2, 3, 0.75, 0.3};
        entered.channels.insert(3, {true, 0.8});
        entered.channels.insert(5, {false, std::nullopt});
        QFile saved(m_fileAnswer + ".json");
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), Loss::toJson(entered));
        QCOMPARE(Loss::toJson(LossStore::budget()), Loss::toJson(entered));
    }

    void jobBlockBeforeTheReport_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("accepted") << true;
        QTest::newRow("cancelled") << false;
    }
    void jobBlockBeforeTheReport()
    {
        QFETCH(bool, accept);
        JobBlock before;
        before.company = QStringLiteral("Nordfaser");
        LossStore::storeJobBlock(before);
        m_fileAnswer = m_dir.filePath("report");
        QFile::remove(m_fileAnswer + ".pdf");
        QString prefilled;
        Prompts::setDialogResponder([&](QDialog& d) {
            prefilled = child<QLineEdit>(d, "editCompany")->text();
            child<QLineEdit>(d, "editSite")->setText(QStringLiteral("Hall 3"));
            m_fileAnswer = m_dir.filePath("logo.png");
            child<QToolButton>(d, "buttonLogo")->click();
            m_fileAnswer = m_dir.filePath("report");
            return int(accept ? QDialog::Accepted : QDialog::Rejected);
        });
        child<QAction>(*m_window, "actionExportReport")->trigger();
        Prompts::setDialogResponder({});
        QCOMPARE(prefilled, "Nordfaser");
        const JobBlock stored = LossStore::jobBlock();
        QCOMPARE(stored.site, accept ? "Hall 3" : "");
        QCOMPARE(stored.logo, accept ? m_dir.filePath("logo.png") : QString());
        QCOMPARE(stored.company, "Nordfaser");
        QCOMPARE(QFile::exists(m_fileAnswer + ".pdf"), accept);
    }

    // A download is archived with the reference and budget in force when it starts.
    void archivedWithTheReference()
    {
        m_session.prompts.clear();
        child<QAction>(*m_window, "actionGetData")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(m_session.completions(), 1, 10000);
        QCOMPARE(m_window->archive().finish(), QString());
        ArchiveStore store(Archive::location());
        const QList<Archive::Download> downloads = store.downloads();
        QVERIFY(downloads.size() >= 2);
        QCOMPARE(downloads.first().reference.name, "Mux A");
        QCOMPARE(Loss::toJson(downloads.first().budget), Loss::toJson(LossStore::budget()));
        // This run's first download, made before any reference was set.
        QVERIFY(!downloads.at(1).reference.isSet());
    }
};

QTEST_MAIN(TestLossWindow)
#include "tst_losswindow.moc"
