#include "app/mainwindow.h"
#include "app/prompts.h"
#include "graph/graphwidget.h"
#include "metermodel.h"
#include "metersim.h"
#include "windowharness.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

using WindowHarness::child;
using WindowHarness::connectAs;
using WindowHarness::deviceIndexFor;

// Graph Data end to end: records downloaded from the simulated meter are drawn in a window of
// their own, one at a time, which disconnection closes and a new download leaves alone.
namespace {

int graphWindows()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<GraphWidget*>(w) ? 1 : 0;
    return n;
}

} // namespace

class TestGraphWindow : public QObject {
    Q_OBJECT

    WindowHarness::Session m_session;

    static QTreeWidget* records(MainWindow& w) { return child<QTreeWidget>(w, "treeData"); }
    static void graphData(MainWindow& w) { child<QAction>(w, "actionGraphData")->trigger(); }
    static void select(MainWindow& w, int row)
    {
        records(w)->setCurrentItem(records(w)->topLevelItem(row));
    }

    int notSelectedWarnings() const
    {
        return m_session.count([](const Prompts::Request& p) {
            return p.icon == QMessageBox::Warning &&
                   p.title == QCoreApplication::applicationName() &&
                   p.text == QLatin1String("Data is not selected!");
        });
    }

    // Starts the meter with `count` records before any window, so that the window's discovery
    // finds its port.
    static bool startMeter(MeterSim& sim, int kind, int count,
                           const QStringList& extra = QStringList())
    {
        return WindowHarness::startMeter(sim, kind,
                                         QStringList{"--records", QString::number(count)} + extra);
    }

    // Connects as `kind` and downloads the meter's records.
    bool download(MainWindow& w, int kind, int count)
    {
        connectAs(w, deviceIndexFor(kind));
        if (QTest::currentTestFailed())
            return false;
        child<QAction>(w, "actionGetData")->trigger();
        return QTest::qWaitFor([this] { return m_session.completions() == 1; }, 20000) &&
               records(w)->topLevelItemCount() == count;
    }

private Q_SLOTS:
    void initTestCase() { m_session.startWithMeter(); }
    void cleanupTestCase() { m_session.stop(); }
    void init() { m_session.beginTest(); }

    // The graph of the selected record: its title, size, type, readings and labels.
    void graphOfRecord_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("byFrequency");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("firstLabel");
        QTest::addColumn<QString>("lastLabel");
        QTest::newRow("CWDM18 record 2")
            << 1 << 1 << false << "Ruvo730 [CWDM Data] 2026-03-02 10:01:13" << QSize(460, 350) << 0
            << "1270"
            << "1610";
        QTest::newRow("DWDM96 by frequency")
            << 4 << 0 << true << "Ruvo730 [DWDM-96 Data] 2026-03-01 10:00:00" << QSize(1060, 690)
            << 2 << "196.45"
            << "191.70";
        QTest::newRow("Vendral8 record 3")
            << 3 << 2 << false << "Ruvo730 [Vendral Data] 2026-03-03 10:02:26" << QSize(500, 320)
            << 3 << "1295.56"
            << "TOTAL";
        QTest::newRow("Tarnex64 record 2")
            << 8 << 1 << false << "Ruvo730 [Caspel(64ch) Data] 2026-03-02 10:01:13"
            << QSize(750, 730) << 7 << "1270"
            << "Total";
        QTest::newRow("DWDM49TOTAL record 3, totalWav 2")
            << 9 << 2 << false << "Ruvo730 [Pelkin Data] 2026-03-03 10:02:26" << QSize(1100, 370)
            << 8 << "1527.99"
            << "T_1550";
        QTest::newRow("MPO12 by frequency")
            << 10 << 0 << true << "Ruvo730 [MPO Data] 2026-03-01 10:00:00" << QSize(500, 340) << 9
            << "1"
            << "12";
    }
    void graphOfRecord()
    {
        QFETCH(int, kind);
        QFETCH(int, row);
        QFETCH(bool, byFrequency);
        QFETCH(QString, title);
        QFETCH(QSize, size);
        QFETCH(int, type);
        QFETCH(QString, firstLabel);
        QFETCH(QString, lastLabel);
        MeterSim sim;
        QVERIFY(startMeter(sim, kind, 3));
        MainWindow w;
        w.findChild<QToolBar*>(QStringLiteral("toolBarControl"))
            ->findChild<QComboBox*>()
            ->setCurrentIndex(byFrequency ? 1 : 0);
        QVERIFY(download(w, kind, 3));
        select(w, row);
        graphData(w);
        GraphWidget* graph = w.graphWidget();
        QVERIFY(graph);
        QVERIFY(LogCapture::logged(QStringLiteral("# Graph Data %1").arg(kind)));
        QVERIFY(graph->isVisible());
        QVERIFY(!graph->parentWidget());
        QCOMPARE(graph->windowTitle(), title);
        QCOMPARE(graph->size(), size);
        QCOMPARE(graph->minimumSize(), size);
        QCOMPARE(graph->maximumSize(), size);
        QCOMPARE(graph->graphType(), type);
        QCOMPARE(graph->displayFreq(), byFrequency);
        QCOMPARE(graph->labels().first(), firstLabel);
        QCOMPARE(graph->labels().last(), lastLabel);
        // The simulated meter's readings of that record, none of them above 16 dBm.
        const QList<double> readings = graph->readings();
        QCOMPARE(readings.size(), graph->labels().size());
        for (int c = 0; c < readings.size(); ++c)
            QCOMPARE(readings.at(c), MeterModel::power(row, c) / 100.0);
        QCOMPARE(m_session.prompts.size(), 1);
    }

    // Graph Data again makes a new window and deletes the old one: never two.
    void graphDataTwiceKeepsOneWindow()
    {
        MeterSim sim;
        QVERIFY(startMeter(sim, 1, 3));
        MainWindow w;
        QVERIFY(download(w, 1, 3));
        select(w, 0);
        graphData(w);
        QPointer<GraphWidget> first = w.graphWidget();
        QVERIFY(first);
        graphData(w);
        QVERIFY(first.isNull());
        QVERIFY(w.graphWidget());
        QCOMPARE(graphWindows(), 1);
        select(w, 2);
        graphData(w);
        QCOMPARE(graphWindows(), 1);
        QCOMPARE(w.graphWidget()->windowTitle(),
                 QStringLiteral("Ruvo730 [CWDM Data] 2026-03-03 10:02:26"));
        QCOMPARE(notSelectedWarnings(), 0);
    }

    // Without a selected row: the warning, and an open graph stays as it was.
    void noSelectionWarns_data()
    {
        QTest::addColumn<bool>("graphOpen");
        QTest::newRow("no graph yet") << false;
        QTest::newRow("graph open") << true;
    }
    void noSelectionWarns()
    {
        QFETCH(bool, graphOpen);
        MeterSim sim;
        QVERIFY(startMeter(sim, 1, 3));
        MainWindow w;
        QVERIFY(download(w, 1, 3));
        if (graphOpen) {
            select(w, 1);
            graphData(w);
        }
        QPointer<GraphWidget> open = w.graphWidget();
        QCOMPARE(bool(open), graphOpen);
        records(w)->setCurrentItem(nullptr);
        graphData(w);
        QCOMPARE(notSelectedWarnings(), 1);
        QCOMPARE(w.graphWidget(), open.data());
        QCOMPARE(graphWindows(), graphOpen ? 1 : 0);
        if (graphOpen) {
            QVERIFY(open->isVisible());
            QCOMPARE(open->windowTitle(),
                     QStringLiteral("Ruvo730 [CWDM Data] 2026-03-02 10:01:13"));
        }
    }

    // A selected row with no record behind it is no selection: nothing is read past the list.
    void rowWithoutRecordWarns()
    {
        MeterSim sim;
        QVERIFY(startMeter(sim, 4, 2));
        MainWindow w;
        QVERIFY(download(w, 4, 2));
        select(w, 0);
        graphData(w);
        QPointer<GraphWidget> open = w.graphWidget();
        QVERIFY(open);
        records(w)->addTopLevelItem(
            new QTreeWidgetItem(QStringList{"REC-2", "DWDM-96 Data", MeterModel::dateTimeText(2)}));
        select(w, 2);
        graphData(w);
        QCOMPARE(notSelectedWarnings(), 1);
        QCOMPARE(w.graphWidget(), open.data());
        QCOMPARE(open->windowTitle(), QStringLiteral("Ruvo730 [DWDM-96 Data] 2026-03-01 10:00:00"));
    }

    // Unchecking Connect closes the graph window.
    void disconnectionClosesGraph()
    {
        MeterSim sim;
        QVERIFY(startMeter(sim, 1, 2));
        MainWindow w;
        QVERIFY(download(w, 1, 2));
        select(w, 0);
        graphData(w);
        QPointer<GraphWidget> graph = w.graphWidget();
        QVERIFY(graph);
        auto* connect = child<QAction>(w, "actionConnect");
        QVERIFY(connect->isChecked());
        connect->trigger();
        QVERIFY(!connect->isChecked());
        QVERIFY(graph.isNull());
        QVERIFY(!w.graphWidget());
        QCOMPARE(graphWindows(), 0);
    }

    // Closing the graph only hides it; the main window still owns it and deletes it with
    // itself.
    void closedGraphStaysOwned()
    {
        MeterSim sim;
        QVERIFY(startMeter(sim, 1, 2));
        auto w = std::make_unique<MainWindow>();
        QVERIFY(download(*w, 1, 2));
        select(*w, 1);
        graphData(*w);
        QPointer<GraphWidget> graph = w->graphWidget();
        QVERIFY(graph);
        graph->close();
        QVERIFY(graph);
        QVERIFY(!graph->isVisible());
        QCOMPARE(w->graphWidget(), graph.data());
        w.reset();
        QVERIFY(graph.isNull());
    }

    // The window keeps its own copy of the record: a new download empties the list under it
    // and the picture stays.
    void pictureSurvivesNewDownload()
    {
        MeterSim sim;
        QVERIFY(startMeter(sim, 1, 3, {"--delay", "200"}));
        MainWindow w;
        QVERIFY(download(w, 1, 3));
        select(w, 2);
        graphData(w);
        QPointer<GraphWidget> graph = w.graphWidget();
        QVERIFY(graph);
        const QList<double> readings = graph->readings();
        const QStringList labels = graph->labels();
        const QImage before = graph->grab().toImage();

        // Record 0 of the new download empties the list; stopped there, record 2 is gone.
        child<QAction>(w, "actionGetData")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(records(w)->topLevelItemCount(), 1, 10000);
        w.statusBar()->findChild<QToolButton*>()->click();
        QVERIFY(records(w)->topLevelItemCount() < 3);

        QCOMPARE(w.graphWidget(), graph.data());
        QCOMPARE(graph->readings(), readings);
        QCOMPARE(graph->labels(), labels);
        for (int c = 0; c < 18; ++c)
            QCOMPARE(graph->readings().at(c), MeterModel::power(2, c) / 100.0);
        QCOMPARE(graph->grab().toImage(), before);
    }
};

QTEST_MAIN(TestGraphWindow)
#include "tst_graphwindow.moc"
