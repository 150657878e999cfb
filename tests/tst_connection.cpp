#include "app/mainwindow.h"
#include "app/prompts.h"
#include "device/discovery.h"
#include "logcapture.h"
#include "metersim.h"
#include "windowharness.h"

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

// Connecting to a meter: discovery in the window, connect and identify against the simulated
// meter on a pseudo-terminal, the command states, and disconnection.

using LogCapture::logged;
using LogCapture::loggedStart;
using WindowHarness::child;

// Connects and ends the test function when the meter's answer did not arrive.
#define CONNECT_AS(window, deviceIndex)                                                           \
    do {                                                                                          \
        connectAs(window, deviceIndex);                                                           \
        if (QTest::currentTestFailed())                                                           \
            return;                                                                               \
    } while (false)

class TestConnection : public QObject {
    Q_OBJECT

    WindowHarness::Session m_session;
    QMessageBox::StandardButton m_answer = QMessageBox::Ok;

    static QComboBox* portChooser(MainWindow& w)
    {
        return child<QToolBar>(w, "toolBarConnect")->findChild<QComboBox*>();
    }
    static QAction* action(MainWindow& w, const char* name) { return child<QAction>(w, name); }

    static bool dataCommandsEnabled(MainWindow& w)
    {
        return action(w, "actionGetData")->isEnabled() && action(w, "actionSaveData")->isEnabled() &&
               action(w, "actionGraphData")->isEnabled() && action(w, "actionSave")->isEnabled() &&
               child<QTabWidget>(w, "tabMain")->isEnabled();
    }
    static bool dataCommandsDisabled(MainWindow& w)
    {
        return !action(w, "actionGetData")->isEnabled() && !action(w, "actionSaveData")->isEnabled() &&
               !action(w, "actionGraphData")->isEnabled() && !action(w, "actionSave")->isEnabled() &&
               !child<QTabWidget>(w, "tabMain")->isEnabled();
    }
    static QStringList systemInfo(MainWindow& w)
    {
        QStringList fields;
        for (const char* name : {"editProductNum", "editSerialNum", "editHwVer", "editFwVer"})
            fields << child<QLineEdit>(w, name)->text();
        return fields;
    }
    // Texts of the device entries, as "group/entry".
    static QStringList deviceEntries(MainWindow& w)
    {
        QStringList entries;
        auto* tree = child<QTreeWidget>(w, "treeDevice");
        for (int g = 0; g < tree->topLevelItemCount(); ++g) {
            QTreeWidgetItem* group = tree->topLevelItem(g);
            for (int i = 0; i < group->childCount(); ++i)
                entries << group->text(0) + "/" + group->child(i)->text(0);
        }
        return entries;
    }

    // The window takes in a meter of kind `device` with serial "S" as it identifies itself.
    static bool identify(MainWindow& w, int device, const QString& product, uint hwVer, uint fwVer)
    {
        MeterIdentity identity =
            meterIdentity(product, QStringLiteral("S"), hwVer, fwVer, QStringLiteral("build"));
        identity.kind = device;
        identity.hwVer = hwVer;
        identity.fwVer = fwVer;
        return QMetaObject::invokeMethod(&w, "slotIdentified", Q_ARG(MeterIdentity, identity));
    }

    // Chooses the device type, checks Connect and waits for the meter's answer to be taken in.
    static void connectAs(MainWindow& w, int deviceIndex)
    {
        child<QComboBox>(w, "cbSelectDevice")->setCurrentIndex(deviceIndex);
        LogCapture::clear();
        action(w, "actionConnect")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(loggedStart("slotRecvedSysInfo:"), 5000);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_session.startWithMeter([this](const Prompts::Request&) { return m_answer; });
    }
    void cleanupTestCase() { m_session.stop(); }
    void init()
    {
        m_session.prompts.clear();
        m_answer = QMessageBox::Ok;
        LogCapture::clear();
        setDeviceListing({});
    }

    void constructorSelectsRegisteredMeter()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7"}));
        MainWindow w;
        QCOMPARE(portChooser(w)->currentText(), QStringLiteral("COM7"));
        // The constructor's own pass does not end discovery; the first tick that finds it does.
        QVERIFY(w.isDiscovering());
        QTRY_VERIFY_WITH_TIMEOUT(!w.isDiscovering(), 5000);
        QCOMPARE(portChooser(w)->currentText(), QStringLiteral("COM7"));
    }

    void timerFindsMeterPluggedInLater()
    {
        MainWindow w;
        QCOMPARE(portChooser(w)->currentIndex(), -1);
        QVERIFY(w.isDiscovering());
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM12"}));
        QTRY_COMPARE_WITH_TIMEOUT(portChooser(w)->currentText(), QStringLiteral("COM12"), 5000);
        QVERIFY(!w.isDiscovering());
    }

    void discoveryStopsBeyondTheChooser()
    {
        setDeviceListing(
            [] { return QStringList{"STMicroelectronics Virtual COM Port (COM300)"}; });
        MainWindow w;
        QCOMPARE(portChooser(w)->currentIndex(), -1);
        QTRY_VERIFY_WITH_TIMEOUT(!w.isDiscovering(), 5000);
        QCOMPARE(portChooser(w)->currentIndex(), -1);
    }

    void discoveryGoesOnWithoutNumber()
    {
        int calls = 0;
        setDeviceListing([&calls] {
            ++calls;
            return QStringList{"STMicroelectronics Virtual COM Port"};
        });
        MainWindow w;
        QTRY_VERIFY_WITH_TIMEOUT(calls >= 3, 5000);
        QVERIFY(w.isDiscovering());
        QCOMPARE(portChooser(w)->currentIndex(), -1);
    }

    void commandStates()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7"}));
        MainWindow w;
        QAction* connectAction = action(w, "actionConnect");
        for (const char* always : {"actionOpen", "actionExit", "actionSetting", "actionAbout"})
            QVERIFY(action(w, always)->isEnabled());
        QVERIFY(!connectAction->isEnabled());
        QVERIFY(dataCommandsDisabled(w));
        QVERIFY(child<QGroupBox>(w, "gbSystemInfor")->isEnabled());

        auto* device = child<QComboBox>(w, "cbSelectDevice");
        device->setCurrentIndex(1);
        QVERIFY(connectAction->isEnabled());
        device->setCurrentIndex(0);
        QVERIFY2(connectAction->isEnabled(), "NONE does not take Connect back");
        QVERIFY(dataCommandsDisabled(w));

        CONNECT_AS(w, 1);
        QVERIFY(connectAction->isChecked());
        QVERIFY(dataCommandsEnabled(w));
        QCOMPARE(child<QTabWidget>(w, "tabMain")->currentIndex(), 0);
        QVERIFY(child<QGroupBox>(w, "gbSystemInfor")->isEnabled());

        child<QTreeWidget>(w, "treeData")->addTopLevelItem(new QTreeWidgetItem({"row"}));
        connectAction->trigger();
        QVERIFY(!connectAction->isChecked());
        QVERIFY(connectAction->isEnabled());
        QVERIFY(dataCommandsDisabled(w));
        QVERIFY(!child<QGroupBox>(w, "gbSystemInfor")->isEnabled());
        QCOMPARE(systemInfo(w), QStringList({"", "", "", ""}));
        QCOMPARE(child<QTreeWidget>(w, "treeData")->topLevelItemCount(), 0);
        QCOMPARE(deviceEntries(w), QStringList());
        QVERIFY(w.isDiscovering());
        QVERIFY(logged("Stop recv data"));
        QVERIFY(logged("is open: 0"));
        QVERIFY(m_session.prompts.isEmpty());
    }

    void identify_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("deviceIndex");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("entries");

        QTest::newRow("CWDM-18, fw 3.7.4")
            << QStringList{} << 1 << QStringList{"Ruvo730", "RV7300123", "V1.2.10", "V3.7.4"} << 1
            << QStringList{"CWDM-18/Ruvo730 (RV7300123)"};
        QTest::newRow("CWDM-18, fw 3.6.9")
            << QStringList{"--fw", "3.6.9", "--serial", "SN1"} << 1
            << QStringList{"Ruvo730", "SN1", "V1.2.10", "V3.6.9"} << 1
            << QStringList{"CWDM-18/Ruvo730 (SN1)"};
        QTest::newRow("Quibrant renamed")
            << QStringList{"--kind", "2", "--product", "Quibrant", "--serial", "Q48-0001", "--hw",
                           "2.0.3"}
            << 2 << QStringList{"Quibrant-48-100", "Q48-0001", "V2.0.3", "V2.2.0"} << 2
            << QStringList{"DWDM-48/Quibrant-48-100 (Q48-0001)"};
        QTest::newRow("full name kept")
            << QStringList{"--kind", "2", "--product", "Quibrant-48", "--serial", "Q1"} << 2
            << QStringList{"Quibrant-48", "Q1", "V1.2.10", "V2.2.0"} << 2
            << QStringList{"DWDM-48/Quibrant-48 (Q1)"};
        QTest::newRow("third type is the 96-channel kind")
            << QStringList{"--kind", "4", "--product", "Ruvo710"} << 3
            << QStringList{"Ruvo710", "RV7300123", "V1.2.10", "V1.0.0"} << 4
            << QStringList{"DWDM-96/Ruvo710 (RV7300123)"};
    }
    void identify()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(int, deviceIndex);
        QFETCH(QStringList, shown);
        QFETCH(int, kind);
        QFETCH(QStringList, entries);

        MeterSim sim;
        QVERIFY(sim.start(simArgs << "--register" << "COM7"));
        MainWindow w;
        CONNECT_AS(w, deviceIndex);
        QCOMPARE(systemInfo(w), shown);
        QCOMPARE(w.kindCode(), kind);
        QCOMPARE(deviceEntries(w), entries);
        QVERIFY(dataCommandsEnabled(w));
        QCOMPARE(sim.requests(), QStringList{"sysinfo"});
        QVERIFY(logged("sendSystemInfo()"));
        QVERIFY(logged("is open: 1"));
    }

    // What an earlier connection left in the line is discarded at the open, and a meter whose
    // answer is lost is asked again a second later, until it answers.
    void identityDespiteTheLine_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<int>("asked");
        QTest::newRow("part of an answer waiting") << QStringList{"--leftover", "10"} << 1;
        QTest::newRow("an answer and a half waiting") << QStringList{"--leftover", "90"} << 1;
        QTest::newRow("first answer garbled") << QStringList{"--garbage"} << 2;
    }
    void identityDespiteTheLine()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(int, asked);
        MeterSim sim;
        QVERIFY(sim.start(simArgs << "--register" << "COM7"));
        MainWindow w;
        child<QComboBox>(w, "cbSelectDevice")->setCurrentIndex(1);
        action(w, "actionConnect")->trigger();
        QTRY_COMPARE_WITH_TIMEOUT(systemInfo(w),
                                  QStringList({"Ruvo730", "RV7300123", "V1.2.10", "V3.7.4"}),
                                  asked * MainWindow::IdentityRetryMs + 5000);
        QCOMPARE(sim.requests(), QStringList(asked, QStringLiteral("sysinfo")));
        QVERIFY(dataCommandsEnabled(w));
    }

    // A line that never goes quiet still lets the user disconnect, and connect again.
    void disconnectOnABabblingLine()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7", "--babble", "3"}));
        MainWindow w;
        CONNECT_AS(w, 1);
        action(w, "actionConnect")->trigger();
        QVERIFY(!w.isLinked());
        QVERIFY(logged("Stop recv data"));
        QVERIFY(logged("is open: 0"));
        // The line still babbles: an answer is taken in only when it starts a read of its own,
        // which the identity's retries bring about sooner or later (later under a sanitizer).
        LogCapture::clear();
        action(w, "actionConnect")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(loggedStart("slotRecvedSysInfo:"), 30000);
        QCOMPARE(child<QLineEdit>(w, "editSerialNum")->text(), QStringLiteral("RV7300123"));
    }

    void noneKeepsDataCommandsDisabled()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7"}));
        MainWindow w;
        child<QComboBox>(w, "cbSelectDevice")->setCurrentIndex(2);
        CONNECT_AS(w, 0);
        QCOMPARE(w.kindCode(), 0);
        QVERIFY(dataCommandsDisabled(w));
        QVERIFY(action(w, "actionConnect")->isChecked());
        QCOMPARE(deviceEntries(w), QStringList());
    }

    void noneAfterIdentificationKeepsPreviousKind()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7"}));
        MainWindow w;
        CONNECT_AS(w, 2);
        QCOMPARE(w.kindCode(), 2);
        action(w, "actionConnect")->trigger();
        QVERIFY(dataCommandsDisabled(w));
        CONNECT_AS(w, 0);
        QCOMPARE(w.kindCode(), 2);
        QVERIFY(dataCommandsEnabled(w));
        QCOMPARE(sim.requests(), QStringList({"sysinfo", "sysinfo"}));
    }

    void requestsReachTheMeter()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7", "--records", "300"}));
        MainWindow w;
        CONNECT_AS(w, 1);
        w.sendData(258);
        w.sendData96(5, 1);
        w.sendData(0);
        QVERIFY(sim.waitForRequests(4));
        QCOMPARE(sim.requests(), QStringList({"sysinfo", "data 258", "data96 5 1", "data 0"}));
        QVERIFY(logged("Send Data / index: 258"));
        QVERIFY(logged("Send Data for 96 / index: 5"));
    }

    void openFailure_data()
    {
        QTest::addColumn<int>("portIndex");
        QTest::newRow("no device behind the name") << 199; // COM200: no rule, no map entry
        QTest::newRow("no port chosen") << -1;
        QTest::newRow("device file absent") << 95;           // COM96: /dev/ttyACM31
    }
    void openFailure()
    {
        QFETCH(int, portIndex);
        MainWindow w;
        portChooser(w)->setCurrentIndex(portIndex);
        child<QComboBox>(w, "cbSelectDevice")->setCurrentIndex(1);
        action(w, "actionConnect")->trigger();
        QCOMPARE(m_session.prompts.size(), 1);
        QCOMPARE(m_session.prompts[0].icon, QMessageBox::Warning);
        QCOMPARE(m_session.prompts[0].title, QStringLiteral("Warning"));
        QCOMPARE(m_session.prompts[0].text, QStringLiteral("Serial port open failed!"));
        QCOMPARE(m_session.prompts[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QVERIFY(!action(w, "actionConnect")->isChecked());
        QVERIFY(w.isDiscovering());
        QVERIFY(dataCommandsDisabled(w));
    }

    void systemInfoTakenIn_data()
    {
        QTest::addColumn<int>("device");
        QTest::addColumn<QString>("product");
        QTest::addColumn<uint>("hwVer");
        QTest::addColumn<QString>("shownProduct");
        QTest::addColumn<QString>("shownHw");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("top byte not shown")
            << 1 << "P" << 0x0701020Au << "P" << "V1.2.10" << true << QStringList{"CWDM-18/P (S)"};
        QTest::newRow("Tarnex64 has no entry")
            << 8 << "T64" << 0x00010000u << "T64" << "V1.0.0" << true << QStringList{};
        QTest::newRow("Tarnex57 under Tarnex-56")
            << 7 << "T57" << 0u << "T57" << "V0.0.0" << true << QStringList{"Tarnex-56/T57 (S)"};
        QTest::newRow("DWDM49TOTAL under Tarnex-56")
            << 9 << "D49" << 0u << "D49" << "V0.0.0" << true << QStringList{"Tarnex-56/D49 (S)"};
        QTest::newRow("Vendral8") << 3 << "V8" << 0u << "V8" << "V0.0.0" << true
                                  << QStringList{"Vendral-8/V8 (S)"};
        QTest::newRow("MPO32 has no entry")
            << 13 << "M" << 0u << "M" << "V0.0.0" << true << QStringList{};
        QTest::newRow("kind 14 is no kind")
            << 14 << "X" << 0u << "" << "" << false << QStringList{};
        QTest::newRow("Quibrant") << 2 << "Quibrant" << 0u << "Quibrant-48-100" << "V0.0.0" << true
                                  << QStringList{"DWDM-48/Quibrant-48-100 (S)"};
        QTest::newRow("Quibrant is case-sensitive")
            << 2 << "quibrant" << 0u << "quibrant" << "V0.0.0" << true
            << QStringList{"DWDM-48/quibrant (S)"};
    }
    void systemInfoTakenIn()
    {
        QFETCH(int, device);
        QFETCH(QString, product);
        QFETCH(uint, hwVer);
        QFETCH(QString, shownProduct);
        QFETCH(QString, shownHw);
        QFETCH(bool, enabled);
        QFETCH(QStringList, entries);
        MainWindow w;
        QVERIFY(identify(w, device, product, hwVer, 0x00030704u));
        QCOMPARE(dataCommandsEnabled(w), enabled);
        QCOMPARE(child<QLineEdit>(w, "editProductNum")->text(), shownProduct);
        QCOMPARE(child<QLineEdit>(w, "editHwVer")->text(), shownHw);
        QCOMPARE(deviceEntries(w), entries);
        QCOMPARE(w.kindCode(), enabled ? device : 0);
    }

    void deviceTreeClicks()
    {
        MainWindow w;
        QVERIFY(identify(w, 5, "T8", 0u, 0u));
        auto* tree = child<QTreeWidget>(w, "treeDevice");
        QTreeWidgetItem* group = tree->topLevelItem(4);
        QCOMPARE(group->text(0), QStringLiteral("Tarnex-8"));
        QCOMPARE(group->childCount(), 1);
        Q_EMIT tree->itemClicked(group, 0);
        QVERIFY(dataCommandsDisabled(w));
        QCOMPARE(child<QLineEdit>(w, "editProductNum")->text(), QString());
        Q_EMIT tree->itemClicked(group->child(0), 0);
        QVERIFY(dataCommandsEnabled(w));
        QCOMPARE(child<QLineEdit>(w, "editProductNum")->text(), QStringLiteral("T8"));
        QVERIFY(logged("# Device Tree Item Clicked"));
    }

    void reconnectAfterDisconnect()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7"}));
        MainWindow w;
        for (int round = 0; round < 3; ++round) {
            CONNECT_AS(w, 1);
            QCOMPARE(child<QLineEdit>(w, "editSerialNum")->text(), QStringLiteral("RV7300123"));
            action(w, "actionConnect")->trigger();
            QCOMPARE(child<QLineEdit>(w, "editSerialNum")->text(), QString());
        }
        QCOMPARE(sim.requests(), QStringList({"sysinfo", "sysinfo", "sysinfo"}));
    }

    void exitWhileConnectedStopsTheLink()
    {
        MeterSim sim;
        QVERIFY(sim.start({"--register", "COM7"}));
        // Not shown: painting runs through Qt's thread pool, which ThreadSanitizer cannot follow.
        MainWindow w;
        CONNECT_AS(w, 1);
        LogCapture::clear();
        m_answer = QMessageBox::Ok;
        QVERIFY(w.close());
        QCOMPARE(m_session.prompts.size(), 1);
        QCOMPARE(m_session.prompts[0].text, QStringLiteral("Do you want to exit?"));
        QVERIFY(logged("Stop recv data"));
        QVERIFY(logged("is open: 0"));
        // The port is free again: another program (here a second window) can open it.
        MainWindow again;
        CONNECT_AS(again, 1);
        QCOMPARE(m_session.prompts.size(), 1);
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
