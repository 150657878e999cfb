#include "app/mainwindow.h"
#include "app/prompts.h"
#include "metersim.h"
#include "testsupport.h"
#include "velumin_version.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>

#include <sys/resource.h>

// The meter goes away while connected, as when its cable is pulled: the window says so once,
// keeps what arrived, and connects again once the meter is back.
namespace {

// CPU time this process has used so far, in seconds.
double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

const QString lostText = QStringLiteral("The meter was disconnected");

} // namespace

using TestSupport::child;

class TestUnplug : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QList<Prompts::Request> m_prompts;

    static QAction* action(MainWindow& w, const char* name) { return child<QAction>(w, name); }
    static int rows(MainWindow& w)
    {
        return child<QTreeWidget>(w, "treeData")->topLevelItemCount();
    }

    int prompted(const QString& start) const
    {
        return int(std::count_if(m_prompts.cbegin(), m_prompts.cend(),
                                 [&start](const auto& p) { return p.text.startsWith(start); }));
    }

    // Waits for discovery to find the meter on COM7, then connects as a user would.
    static void connectMeter(MainWindow& w)
    {
        auto* ports = child<QToolBar>(w, "toolBarConnect")->findChild<QComboBox*>();
        QTRY_COMPARE_WITH_TIMEOUT(ports->currentText(), QStringLiteral("COM7"), 5000);
        child<QComboBox>(w, "cbSelectDevice")->setCurrentIndex(1);
        child<QLineEdit>(w, "editProductNum")->clear();
        action(w, "actionConnect")->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(!child<QLineEdit>(w, "editProductNum")->text().isEmpty(), 5000);
    }

    // After the warning: no hot loop. The process may use well under a tenth of a core.
    static void checkQuiet()
    {
        const double before = cpuSeconds();
        QTest::qWait(1000);
        QVERIFY2(
            cpuSeconds() - before < 0.1,
            qPrintable(QStringLiteral("%1 s of CPU in one second").arg(cpuSeconds() - before)));
    }

    // Lost: the records stay, Get Data is off, saving and drawing still work, Connect stays.
    void checkLost(MainWindow& w)
    {
        QTRY_COMPARE_WITH_TIMEOUT(prompted(lostText), 1, 5000);
        QVERIFY(!w.isLinked());
        QVERIFY(!w.isGettingData());
        QVERIFY(action(w, "actionConnect")->isChecked());
        QVERIFY(!action(w, "actionGetData")->isEnabled());
        QVERIFY(action(w, "actionSaveData")->isEnabled());
        QVERIFY(action(w, "actionGraphData")->isEnabled());
        // The progress bar is emptied; the status says how far the download came.
        QCOMPARE(w.statusBar()->findChild<QProgressBar*>()->value(), -1);
        const QString expected =
            rows(w) > 0
                ? QStringLiteral("The meter was disconnected after %1 of 40 records").arg(rows(w))
                : QStringLiteral("The meter was disconnected.");
        QCOMPARE(w.statusBar()->findChild<QLabel*>()->text(), expected);
        const auto lost = std::find_if(m_prompts.cbegin(), m_prompts.cend(),
                                       [](const auto& p) { return p.text.startsWith(lostText); });
        QVERIFY(lost != m_prompts.cend());
        QVERIFY(
            lost->text.contains(QStringLiteral("until Connect is unchecked, which clears them")));
    }

    // Unchecking Connect ends it as usual; the meter plugged in again on the same COM name
    // connects.
    void checkReconnect(MainWindow& w)
    {
        action(w, "actionConnect")->trigger();
        QVERIFY(!action(w, "actionConnect")->isChecked());
        QCOMPARE(rows(w), 0);
        MeterSim again;
        QVERIFY(again.start({"--register", "COM7"}));
        connectMeter(w);
        QVERIFY(w.isLinked());
        QVERIFY(action(w, "actionGetData")->isEnabled());
        QVERIFY(w.statusBar()->findChild<QLabel*>()->text().isEmpty());
        QCOMPARE(again.requests(), QStringList{"sysinfo"});
    }

private Q_SLOTS:
    void initTestCase()
    {
        QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));
        if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
            qputenv("XDG_CONFIG_HOME", m_dir.path().toUtf8());
        if (MeterSim::binary().isEmpty()) {
            QTest::qSkip("VELUMIN_METER_SIM is not set: no simulated meter", __FILE__, __LINE__);
            return;
        }
        Prompts::setResponder([this](const Prompts::Request& r) {
            m_prompts.append(r);
            return QMessageBox::Ok;
        });
    }
    void cleanupTestCase()
    {
        Prompts::setResponder({});
        Prompts::setFileResponder({});
    }
    void init() { m_prompts.clear(); }

    void lostDuringDownload()
    {
        MainWindow w;
        {
            MeterSim sim;
            QVERIFY(sim.start({"--register", "COM7", "--records", "40", "--delay", "100"}));
            connectMeter(w);
            if (QTest::currentTestFailed())
                return;
            action(w, "actionGetData")->trigger();
            QTRY_VERIFY_WITH_TIMEOUT(rows(w) >= 3, 10000);
            QVERIFY(sim.stop());
        }
        checkLost(w);
        const int kept = rows(w);
        QVERIFY(kept >= 3 && kept < 40);
        checkQuiet();
        QCOMPARE(rows(w), kept);
        QCOMPARE(prompted(lostText), 1);
        QCOMPARE(prompted(QStringLiteral("Measurement data retrieving")), 0);

        // What arrived can still be saved: a heading, five label lines and one line a record.
        const QString path = m_dir.filePath(QStringLiteral("kept.csv"));
        Prompts::setFileResponder([&path](const Prompts::FileRequest&) { return path; });
        action(w, "actionSaveData")->trigger();
        Prompts::setFileResponder({});
        QCOMPARE(prompted(QStringLiteral("Complete Save")), 1);
        QFile saved(path);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll().count("\r\n"), 5 + kept);

        checkReconnect(w);
    }

    void lostWhileIdle()
    {
        MainWindow w;
        {
            MeterSim sim;
            QVERIFY(sim.start({"--register", "COM7"}));
            connectMeter(w);
            if (QTest::currentTestFailed())
                return;
            QVERIFY(sim.stop());
        }
        checkLost(w);
        checkQuiet();
        QCOMPARE(prompted(lostText), 1);
        checkReconnect(w);
    }
};

QTEST_MAIN(TestUnplug)
#include "tst_unplug.moc"
