#include "app/mainwindow.h"
#include "app/prompts.h"
#include "graph/graphwidget.h"
#include "metermodel.h"
#include "metersim.h"
#include "windowharness.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

using WindowHarness::child;
using WindowHarness::connectAs;
using WindowHarness::deviceIndexFor;

// Get Data end to end: the window downloads the simulated meter's records over a
// pseudo-terminal, lists them and shows each one channel by channel; faults on the line end
// with exactly the meter's records.
namespace {

// A channel the detail view shows for a record, and the number it shows it under.
struct Shown {
    QString number;
    int channel;
};

// Byte b of channel c's reading as it goes on the wire (little-endian).
int powerByte(int r, int c, int b)
{
    return (quint16(qint16(MeterModel::power(r, c))) >> (8 * b)) & 0xFF;
}

bool channelOn(int kind, int r, int i)
{
    // Tarnex-64 answers overlap: the readings are written over the first 14 on/off bytes.
    if (kind == 8 && i < 14)
        return powerByte(r, 58 + i / 2, i % 2) != 0;
    return MeterModel::onOff(r, i);
}

// `t` is the totalIndex the record carries (4 where the layout has none).
QList<Shown> shownChannels(int kind, int r, int t)
{
    QList<Shown> shown;
    const auto numbered = [&shown](int n) {
        for (int i = 0; i < n; ++i)
            shown.append({QString::number(i + 1), i});
    };
    const auto running = [&shown, kind, r](int n) {
        for (int i = 0; i < n; ++i) {
            if (channelOn(kind, r, i))
                shown.append({QString::number(shown.size() + 1), i});
        }
    };
    switch (kind) {
    case 2:
        for (int i = 0; i < (t == 4 ? 48 : 49); ++i) {
            if (t == 4 || channelOn(kind, r, i))
                shown.append({QString::number(i + 1), i});
        }
        break;
    case 3:
        numbered(4);
        shown.append({QString(), 4});
        break;
    case 6:
        running(t == 4 ? 56 : 57);
        break;
    case 7:
        running(58);
        break;
    case 8:
        running(65);
        break;
    default: {
        static const int counts[] = {18, 0, 0, 96, 10, 0, 0, 0, 50, 12, 24, 16, 32};
        numbered(counts[kind - 1]);
    }
    }
    return shown;
}

QString totalText(int t)
{
    static const char* const wavelengths[] = {"1310", "1470", "1550", "1610"};
    return t >= 0 && t < 4 ? QStringLiteral("T_") + QLatin1String(wavelengths[t])
                           : QStringLiteral("Total");
}

} // namespace

class TestDownload : public QObject {
    Q_OBJECT

    WindowHarness::Session m_session;

    static QTreeWidget* records(MainWindow& w) { return child<QTreeWidget>(w, "treeData"); }
    static QTreeWidget* detail(MainWindow& w) { return child<QTreeWidget>(w, "treeDetailData"); }
    static QToolButton* stopButton(MainWindow& w)
    {
        return w.statusBar()->findChild<QToolButton*>();
    }
    // The status bar's text, and the progress bar's value (-1 when it is empty).
    static QString status(MainWindow& w) { return w.statusBar()->findChild<QLabel*>()->text(); }
    static int progress(MainWindow& w)
    {
        return w.statusBar()->findChild<QProgressBar*>()->value();
    }

    int completions() const { return m_session.completions(); }

    // Texts of one column of a tree, top to bottom.
    static QStringList column(QTreeWidget* tree, int c)
    {
        QStringList texts;
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            texts << tree->topLevelItem(i)->text(c);
        return texts;
    }

    void getData(MainWindow& w) { child<QAction>(w, "actionGetData")->trigger(); }

    // Column 0 of record r's row: its name, or its number where the meter sent none.
    static QString rowName(int kind, int r, bool named)
    {
        const QString name = named ? MeterModel::name(r) : QString();
        if (kind == 4)
            return name;
        return name.isEmpty() ? QString::number(r + 1) : name;
    }

    static void checkRows(MainWindow& w, int kind, int count, bool named)
    {
        QStringList names, labels, dates;
        for (int r = 0; r < count; ++r) {
            names << rowName(kind, r, named);
            labels << QLatin1String(kindInfo(kind)->typeLabel);
            dates << MeterModel::dateTimeText(r);
        }
        QCOMPARE(column(records(w), 0), names);
        QCOMPARE(column(records(w), 1), labels);
        QCOMPARE(column(records(w), 2), dates);
    }

    // Selects record r and compares every detail row with the meter's own record.
    static void checkDetail(MainWindow& w, int kind, int r, int fixedTotalIndex)
    {
        records(w)->setCurrentItem(records(w)->topLevelItem(r));
        const int t = fixedTotalIndex >= 0 ? fixedTotalIndex : MeterModel::totalIndex(r);
        const QList<Shown> shown = shownChannels(kind, r, t);
        QTreeWidget* tree = detail(w);
        QCOMPARE(tree->topLevelItemCount(), shown.size());
        for (int k = 0; k < shown.size(); ++k) {
            const QTreeWidgetItem* row = tree->topLevelItem(k);
            const int c = shown[k].channel;
            QCOMPARE(row->text(0), shown[k].number);
            QCOMPARE(row->text(3), MeterModel::powerText(MeterModel::power(r, c), kind != 5));
        }
        const QTreeWidgetItem* last = tree->topLevelItem(shown.size() - 1);
        if (kind == 9)
            QCOMPARE(last->text(2), totalText(MeterModel::totalWav(r)));
        if ((kind == 7 && shown.last().channel == 57) || (kind == 8 && shown.last().channel == 64))
            QCOMPARE(last->text(2), totalText(t));
        if (kind >= 10) {
            static const char* const modes[] = {"850nm", "1310nm", "1550nm"};
            static const char* const polars[] = {"Straight", "Rollover", "Flipped"};
            QCOMPARE(last->text(1), QLatin1String(modes[MeterModel::mode(r) - 1]));
            QCOMPARE(last->text(2), QLatin1String(polars[MeterModel::polar(r)]));
        }
    }

private Q_SLOTS:
    void initTestCase() { m_session.startWithMeter(); }
    void cleanupTestCase() { m_session.stop(); }
    void init() { m_session.beginTest(); }

    // Every kind and record layout: the rows of treeData and every record's detail rows.
    void fullDownload_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("named");
        QTest::addColumn<int>("fixedTotalIndex"); // -1: the meter sends one per record
        QTest::newRow("CWDM18 fw 3.7.4") << 1 << QStringList{"--kind", "CWDM18"} << true << 4;
        QTest::newRow("CWDM18 fw 3.7.3")
            << 1 << QStringList{"--kind", "1", "--fw", "3.7.3"} << true << 4;
        QTest::newRow("DWDM48 fw 2.1.0")
            << 2 << QStringList{"--kind", "DWDM48", "--fw", "2.1.0"} << false << 4;
        QTest::newRow("DWDM48 fw 2.2.0") << 2 << QStringList{"--kind", "DWDM48"} << true << 4;
        QTest::newRow("DWDM48Big")
            << 2 << QStringList{"--kind", "DWDM48", "--dwdm48-big"} << true << -1;
        QTest::newRow("Vendral8 named") << 3 << QStringList{"--kind", "Vendral8"} << true << 4;
        QTest::newRow("Vendral8 fw 1.2.7")
            << 3 << QStringList{"--kind", "Vendral8", "--fw", "1.2.7"} << false << 4;
        QTest::newRow("DWDM96") << 4 << QStringList{"--kind", "DWDM96"} << true << 4;
        QTest::newRow("Tarnex8 fw 4.0.2") << 5 << QStringList{"--kind", "Tarnex8"} << true << 4;
        QTest::newRow("Tarnex8 fw 4.0.0")
            << 5 << QStringList{"--kind", "Tarnex8", "--fw", "4.0.0"} << false << 4;
        QTest::newRow("Tarnex56 fw 2.0.0") << 6 << QStringList{"--kind", "Tarnex56"} << true << -1;
        QTest::newRow("Tarnex56 fw 1.3.7")
            << 6 << QStringList{"--kind", "Tarnex56", "--fw", "1.3.7"} << true << 4;
        QTest::newRow("Tarnex56 fw 1.3.6")
            << 6 << QStringList{"--kind", "Tarnex56", "--fw", "1.3.6"} << false << 4;
        QTest::newRow("Tarnex57") << 7 << QStringList{"--kind", "Tarnex57"} << true << -1;
        QTest::newRow("Tarnex64") << 8 << QStringList{"--kind", "Tarnex64"} << true << -1;
        QTest::newRow("DWDM49TOTAL") << 9 << QStringList{"--kind", "DWDM49TOTAL"} << true << 4;
        QTest::newRow("MPO12") << 10 << QStringList{"--kind", "MPO12"} << true << 4;
        QTest::newRow("MPO24") << 11 << QStringList{"--kind", "MPO24"} << true << 4;
        QTest::newRow("MPO16") << 12 << QStringList{"--kind", "MPO16"} << true << 4;
        QTest::newRow("MPO32") << 13 << QStringList{"--kind", "MPO32"} << true << 4;
    }
    void fullDownload()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, args);
        QFETCH(bool, named);
        QFETCH(int, fixedTotalIndex);
        // Five records: every totalIndex 0..4, named and unnamed ones.
        constexpr int count = 5;
        MeterSim sim;
        QVERIFY(sim.start(args << "--register"
                               << "COM7"
                               << "--records" << QString::number(count)));
        MainWindow w;
        connectAs(w, deviceIndexFor(kind));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(w.kindCode(), kind);
        getData(w);
        QTRY_COMPARE_WITH_TIMEOUT(completions(), 1, 10000);
        QCOMPARE(m_session.prompts.size(), 1);
        QCOMPARE(status(w), QStringLiteral("Retrieved 5 of 5 records"));
        QCOMPARE(progress(w), -1);
        checkRows(w, kind, count, named);
        for (int r = 0; r < count; ++r) {
            checkDetail(w, kind, r, fixedTotalIndex);
            if (QTest::currentTestFailed()) {
                qWarning("record %d", r);
                return;
            }
        }
        QVERIFY(!w.isGettingData());
    }

    // The requests of a whole download, in order; none after the last record, and the identity
    // asked for once. Choosing another device type once connected changes nothing: the records
    // are asked for in the form of the meter that is connected.
    void requestOrder_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("chooserAfter"); // -1: left alone
        QTest::addColumn<QStringList>("requests");
        const QStringList cwdm3{"sysinfo", "data 0", "data 1", "data 2"};
        const QStringList dwdm96{"sysinfo", "data96 0 0", "data96 0 1", "data96 1 0", "data96 1 1"};
        QTest::newRow("1 record") << 1 << 1 << -1 << QStringList{"sysinfo", "data 0"};
        QTest::newRow("3 records") << 1 << 3 << -1 << cwdm3;
        QTest::newRow("DWDM96 2 records") << 4 << 2 << -1 << dwdm96;
        QTest::newRow("MPO12 2 records")
            << 10 << 2 << -1 << QStringList{"sysinfo", "data 0", "data 1"};
        QTest::newRow("CWDM18, then Vendral-8 chosen") << 1 << 3 << 3 << cwdm3;
        QTest::newRow("DWDM96, then CWDM-18 chosen") << 4 << 2 << 1 << dwdm96;
    }
    void requestOrder()
    {
        QFETCH(int, kind);
        QFETCH(int, count);
        QFETCH(int, chooserAfter);
        QFETCH(QStringList, requests);
        MeterSim sim;
        QVERIFY(sim.start({"--kind", QString::number(kind), "--register", "COM7", "--records",
                           QString::number(count)}));
        MainWindow w;
        // Longer than a 96-channel record takes, so that no request is repeated.
        w.setRetryIntervalMs(250);
        connectAs(w, deviceIndexFor(kind));
        if (QTest::currentTestFailed())
            return;
        if (chooserAfter >= 0)
            child<QComboBox>(w, "cbSelectDevice")->setCurrentIndex(chooserAfter);
        getData(w);
        QTRY_COMPARE_WITH_TIMEOUT(completions(), 1, 10000);
        // The retry timer has stopped (two of its periods pass without a request), and a meter
        // that answered at once is not asked for its identity again.
        QTest::qWait(std::max(600, MainWindow::IdentityRetryMs + 200));
        QCOMPARE(sim.requests(), requests);
        QCOMPARE(completions(), 1);
        QCOMPARE(records(w)->topLevelItemCount(), count);
    }

    // A meter that reports no records: nothing is listed, no message, index 0 again and again
    // until the stop button.
    void totalZeroAsksUntilStopped()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7", "--total0"}));
        MainWindow w;
        w.setRetryIntervalMs(50);
        connectAs(w, 1);
        if (QTest::currentTestFailed())
            return;
        getData(w);
        QVERIFY(sim.waitForRequests(5));
        QCOMPARE(sim.requests().mid(1), QStringList(4, QStringLiteral("data 0")));
        QCOMPARE(records(w)->topLevelItemCount(), 0);
        stopButton(w)->click();
        QVERIFY(!w.isGettingData());
        const int asked = int(sim.requests().size());
        QTest::qWait(300);
        QCOMPARE(sim.requests().size(), asked);
        QCOMPARE(m_session.prompts.size(), 0);
        QVERIFY(LogCapture::logged(QStringLiteral("# Stop Data")));
    }

    // Stop between two records: what arrived stays, the answer in transit is dropped (the MPO
    // kinds once stored it and went on asking).
    void stopDropsLateReports_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("CWDM18") << 1;
        QTest::newRow("MPO12") << 10;
        QTest::newRow("DWDM96") << 4;
    }
    void stopDropsLateReports()
    {
        QFETCH(int, kind);
        MeterSim sim;
        QVERIFY(sim.start({"--kind", QString::number(kind), "--register", "COM7", "--records", "6",
                           "--delay", "200"}));
        MainWindow w;
        connectAs(w, deviceIndexFor(kind));
        if (QTest::currentTestFailed())
            return;
        getData(w);
        QTRY_COMPARE_WITH_TIMEOUT(records(w)->topLevelItemCount(), 2, 10000);
        stopButton(w)->click();
        const QStringList asked = sim.requests();
        // Long enough for the answer to the last request to arrive and be dropped.
        QTest::qWait(600);
        QCOMPARE(records(w)->topLevelItemCount(), 2);
        QCOMPARE(column(records(w), 0), QStringList({"REC-0", "REC-1"}));
        QCOMPARE(status(w), QStringLiteral("Stopped after 2 of 6 records"));
        QCOMPARE(progress(w), -1);
        QCOMPARE(sim.requests(), asked);
        QCOMPARE(m_session.prompts.size(), 0);
        QVERIFY(!w.isGettingData());
    }

    // Faults on the line or in the meter: the download ends with exactly the meter's records,
    // in order, each once.
    void faultsEndWithTheMetersRecords_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("faults");
        const QStringList spareSysInfo{"--faults-from", "2"};
        for (int kind : {1, 4}) {
            const QString k = kind == 1 ? "CWDM18 " : "DWDM96 ";
            QTest::newRow(qPrintable(k + "dropped answer"))
                << kind << (QStringList{"--drop-every", "3"} + spareSysInfo);
            QTest::newRow(qPrintable(k + "split")) << kind << QStringList{"--split"};
            QTest::newRow(qPrintable(k + "merged double answer"))
                << kind << (QStringList{"--double-every", "2"} + spareSysInfo);
            QTest::newRow(qPrintable(k + "garbage"))
                << kind << (QStringList{"--garbage"} + spareSysInfo);
            QTest::newRow(qPrintable(k + "L+1")) << kind << QStringList{"--l1"};
            QTest::newRow(qPrintable(k + "slower than the retry"))
                << kind << QStringList{"--delay", "180"};
        }
        QTest::newRow("MPO12 dropped answer")
            << 10 << (QStringList{"--drop-every", "2"} + spareSysInfo);
        QTest::newRow("Tarnex64 slower than the retry") << 8 << QStringList{"--delay", "180"};
    }
    void faultsEndWithTheMetersRecords()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, faults);
        constexpr int count = 6;
        MeterSim sim;
        QVERIFY(sim.start(QStringList{"--kind", QString::number(kind), "--register", "COM7",
                                      "--records", QString::number(count)} +
                          faults));
        MainWindow w;
        // Shortened so that losses are repaired quickly; the answers of a slow meter then
        // overtake the retries.
        w.setRetryIntervalMs(60);
        connectAs(w, deviceIndexFor(kind));
        if (QTest::currentTestFailed())
            return;
        getData(w);
        QTRY_COMPARE_WITH_TIMEOUT(completions(), 1, 30000);
        checkRows(w, kind, count, true);
        checkDetail(w, kind, count - 1, kind == 8 ? -1 : 4);
        QCOMPARE(completions(), 1);
    }

    // Get Data again while a download runs: the newer one takes over and ends once.
    void getDataDuringRetrieval()
    {
        constexpr int count = 4;
        MeterSim sim;
        QVERIFY(sim.start(
            {"--register", "COM7", "--records", QString::number(count), "--delay", "120"}));
        MainWindow w;
        w.setRetryIntervalMs(70);
        connectAs(w, 1);
        if (QTest::currentTestFailed())
            return;
        getData(w);
        QTRY_COMPARE_WITH_TIMEOUT(records(w)->topLevelItemCount(), 2, 10000);
        getData(w);
        QTRY_COMPARE_WITH_TIMEOUT(completions(), 1, 20000);
        checkRows(w, 1, count, true);
        QTest::qWait(300);
        QCOMPARE(completions(), 1);
        QCOMPARE(records(w)->topLevelItemCount(), count);
    }

    // Disconnecting in the middle of a download ends it: its retry timer must not go on asking
    // whichever meter is connected next.
    void disconnectEndsTheDownload()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7", "--records", "20", "--delay", "100"}));
        MainWindow w;
        w.setRetryIntervalMs(50);
        connectAs(w, 1);
        if (QTest::currentTestFailed())
            return;
        getData(w);
        QTRY_VERIFY_WITH_TIMEOUT(records(w)->topLevelItemCount() >= 1, 10000);
        child<QAction>(w, "actionConnect")->trigger();
        QVERIFY(!w.isGettingData());
        // The answer the meter was still preparing lands in the closed port before the next
        // connection opens it, which discards it.
        QTest::qWait(300);
        connectAs(w, 1);
        if (QTest::currentTestFailed())
            return;
        const int asked = int(sim.requests().size());
        // Several retry periods: a timer left running would ask again within each.
        QTest::qWait(300);
        QCOMPARE(sim.requests().size(), asked);
        QCOMPARE(sim.requests().last(), QStringLiteral("sysinfo"));
    }

    // A second download lists the records once, not after those of the first.
    void secondDownloadStartsOver()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--kind", "Vendral8", "--register", "COM7", "--records", "3"}));
        MainWindow w;
        connectAs(w, deviceIndexFor(3));
        if (QTest::currentTestFailed())
            return;
        for (int round = 1; round <= 2; ++round) {
            getData(w);
            QTRY_COMPARE_WITH_TIMEOUT(completions(), round, 10000);
            checkRows(w, 3, 3, true);
            // The names a report file pairs with the records: this download's, by position.
            QStringList names;
            for (const Measurement& record : w.session().download().records(3))
                names << record.nameText();
            QCOMPARE(names, QStringList({"REC-0", "REC-1", ""}));
        }
        checkDetail(w, 3, 2, 4);
    }

    // The headers of the detail view follow the display unit and, for MPO meters, name the
    // test wavelength and the polarity.
    void detailHeaders_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("byFrequency");
        QTest::addColumn<QString>("column1");
        QTest::addColumn<QString>("column2");
        QTest::newRow("CWDM18 nm") << 1 << false << "ITU Channel #"
                                   << "Wavelength (nm)";
        QTest::newRow("DWDM96 THz") << 4 << true << "ITU Channel #"
                                    << "Frequency (THz)";
        QTest::newRow("MPO32") << 13 << false << "Wavelength"
                               << "Polarity";
        // Kinds without frequencies show wavelengths whatever the unit, and say so.
        QTest::newRow("CWDM18 THz") << 1 << true << "ITU Channel #"
                                    << "Wavelength (nm)";
        QTest::newRow("Tarnex57 THz") << 7 << true << "ITU Channel #"
                                      << "Wavelength (nm)";
    }
    void detailHeaders()
    {
        QFETCH(int, kind);
        QFETCH(bool, byFrequency);
        QFETCH(QString, column1);
        QFETCH(QString, column2);
        MeterSim sim;
        QVERIFY(
            sim.start({"--kind", QString::number(kind), "--register", "COM7", "--records", "1"}));
        MainWindow w;
        auto* unit =
            w.findChild<QToolBar*>(QStringLiteral("toolBarControl"))->findChild<QComboBox*>();
        unit->setCurrentIndex(byFrequency ? 1 : 0);
        connectAs(w, deviceIndexFor(kind));
        if (QTest::currentTestFailed())
            return;
        getData(w);
        QTRY_COMPARE_WITH_TIMEOUT(completions(), 1, 10000);
        QCOMPARE(detail(w)->headerItem()->text(1), column1);
        QCOMPARE(detail(w)->headerItem()->text(2), column2);
        if (kind == 4) {
            records(w)->setCurrentItem(records(w)->topLevelItem(0));
            QCOMPARE(detail(w)->topLevelItem(0)->text(2), QStringLiteral("196.45"));
            QCOMPARE(detail(w)->topLevelItem(95)->text(2), QStringLiteral("191.70"));
            // The other unit relabels the heading, the record shown and the graph at once.
            child<QAction>(w, "actionGraphData")->trigger();
            QCOMPARE(w.graphWidget()->labels().first(), QStringLiteral("196.45"));
            unit->setCurrentIndex(0);
            QCOMPARE(detail(w)->headerItem()->text(2), QStringLiteral("Wavelength (nm)"));
            QCOMPARE(detail(w)->topLevelItem(0)->text(2), QStringLiteral("1526.05"));
            QCOMPARE(w.graphWidget()->labels().first(), QStringLiteral("1526.05"));
            QVERIFY(!w.graphWidget()->displayFreq());
        }
    }

    // A meter that answers its identity but not the chosen kind's record requests: said once,
    // after three unanswered requests, while the requests go on.
    void wrongDeviceType()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--kind", "1", "--register", "COM7", "--records", "3"}));
        MainWindow w;
        w.setRetryIntervalMs(50);
        connectAs(w, 2);
        if (QTest::currentTestFailed())
            return;
        getData(w);
        const QString text = QStringLiteral("The meter answers, but not to requests for DWDM-48 "
                                            "records: check the device type.");
        QTRY_COMPARE_WITH_TIMEOUT(m_session.prompts.size(), 1, 5000);
        QCOMPARE(m_session.prompts.first().text, text);
        QCOMPARE(status(w), text);
        QVERIFY(sim.waitForRequests(10));
        QVERIFY(w.isGettingData());
        QCOMPARE(m_session.prompts.size(), 1);
        stopButton(w)->click();
        QCOMPARE(status(w), QStringLiteral("Stopped after 0 records"));
    }

    // A meter with ITU channels after an MPO meter gets its "ITU Channel #" header back.
    void headersAfterAnMpoMeter()
    {
        MainWindow w;
        for (int kind : {10, 2}) {
            // Each meter on a COM name of its own, as two meters plugged in one after the other.
            const QString port = kind == 10 ? QStringLiteral("COM7") : QStringLiteral("COM8");
            MeterSim sim;
            QVERIFY(sim.start({"--kind", QString::number(kind), "--register", port, "--records",
                               "1"}));
            auto* ports = w.findChild<QToolBar*>(QStringLiteral("toolBarConnect"))
                              ->findChild<QComboBox*>();
            ports->setCurrentIndex(ports->findText(port));
            m_session.prompts.clear();
            connectAs(w, deviceIndexFor(kind));
            if (QTest::currentTestFailed())
                return;
            getData(w);
            QTRY_COMPARE_WITH_TIMEOUT(completions(), 1, 10000);
            child<QAction>(w, "actionConnect")->trigger();
        }
        QCOMPARE(detail(w)->headerItem()->text(1), QStringLiteral("ITU Channel #"));
        QCOMPARE(detail(w)->headerItem()->text(2), QStringLiteral("Wavelength (nm)"));
    }
};

QTEST_MAIN(TestDownload)
#include "tst_download.moc"
