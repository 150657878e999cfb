#pragma once

#include "quietlog.h"

#include "app/mainwindow.h"
#include "metersim.h"
#include "testsupport.h"
#include "velumin_version.h"

#include <QAction>
#include <QApplication>
#include <QByteArray>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QString>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <time.h>

// Plumbing shared by the benchmarks, so that each sets up its process, times, connects to the
// simulated meter and reports its goals the same way.
namespace Bench {

// What every measured operation reports besides its figures.
struct Outcome {
    bool ok = false;
    QString failure;
};

namespace Detail {

// What has to be in place before the QApplication is made.
struct Environment {
    // The window reads its setting and the meter registers its port here, never in the user's
    // own store.
    QTemporaryDir config;
    // The downloads measured are archived here.
    QTemporaryDir data;

    Environment()
    {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
        qputenv("XDG_DATA_HOME", data.path().toLocal8Bit());
#ifdef VELUMIN_METER_SIM_PATH
        if (MeterSim::binary().isEmpty())
            qputenv("VELUMIN_METER_SIM", VELUMIN_METER_SIM_PATH);
#endif
    }
};

} // namespace Detail

// The application a benchmark runs in: offscreen unless told otherwise, a settings store of its
// own, the simulated meter this build made unless one is named, the version the window shows,
// and debug lines muted. The window and the receiver log every request and frame; thousands of
// lines would bury the figures. Warnings and worse still come through.
class Application {
public:
    Application(int& argc, char** argv)
        : m_app(argc, argv)
    {
        QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));
        QuietLog::install();
    }

private:
    Detail::Environment m_environment; // made first, destroyed last
    QApplication m_app;
};

// The prompt that ends a download.
const char* const CompletionTitle = "Get Data";
const char* const CompletionText = "Measurement data retrieving has been completed!!";

// A widget or action by object name; a benchmark of a window without it measures nothing.
using TestSupport::child;

// CPU time of the calling thread: what the GUI thread itself spent, whoever else ran.
inline qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// Waits for `done` while the event loop runs; false when `timeoutMs` passed first.
template <typename Done> bool waitFor(Done done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

// Starts a simulated meter of `kind` with `records` records, registered as COM7.
inline bool startMeter(MeterSim& sim, const char* kind, int records)
{
    return sim.start({"--kind", kind, "--records", QString::number(records), "--register", "COM7"});
}

// A person takes longer than the first discovery tick; without this wait that tick's listing
// of the serial ports would fall into what is measured. False when it did not end.
inline bool waitForDiscovery(MainWindow& window)
{
    return waitFor([&] { return !window.isDiscovering(); }, 5000);
}

// Chooses the device type and connects as a user would, then waits until the meter has
// identified itself and `ready` is enabled, or until `giveUp` holds; false when the meter did
// not identify itself or `giveUp` held.
template <typename GiveUp>
bool connectMeter(MainWindow& window, int deviceIndex, QAction* ready, GiveUp giveUp)
{
    child<QComboBox>(window, "cbSelectDevice")->setCurrentIndex(deviceIndex);
    child<QAction>(window, "actionConnect")->trigger();
    auto* product = child<QLineEdit>(window, "editProductNum");
    return waitFor([&] { return giveUp() || (!product->text().isEmpty() && ready->isEnabled()); },
                   5000) &&
           !giveUp();
}

// Record r of `total` as the decoder hands it on: `readings` in hundredths of a dBm, taken on
// 2026-03-(1 + r % 28) at 10:(r % 60):(13r % 60), named `prefix` and the number.
inline Measurement record(int kind, int r, int total, const QVector<qint16>& readings,
                          const char* prefix)
{
    TestSupport::Values v;
    v.index = r;
    v.total = total;
    v.date = TestSupport::dateWord(2026, 3, uint(1 + r % 28));
    v.time = TestSupport::timeWord(10, uint(r % 60), uint((13 * r) % 60));
    v.name = QByteArray(prefix) + QByteArray::number(r);
    return TestSupport::measurement(kind, readings, v);
}

// A figure held against its goal: at most `goal` unless `atLeast`.
struct Goal {
    QString figure;
    double value;
    double goal;
    bool atLeast = false;
    QString unit = {}; // printed after the value and the goal: " ms", " MB" or nothing

    bool met() const { return atLeast ? value >= goal : value <= goal; }
};

// The best of five runs of `work`, in ms: the figure a user sees once the data is in the cache.
inline double bestMs(const std::function<void()>& work)
{
    double best = 1e18;
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        best = std::min(best, t.nsecsElapsed() / 1e6);
    }
    return best;
}

// The summary every benchmark ends with: one line per goal, met or not.
inline void printSummary(const std::vector<Goal>& goals)
{
    std::printf("\nSummary\n");
    for (const Goal& g : goals) {
        std::printf("  %-40s %9.3f%-3s goal %s %g%-3s %s\n", qPrintable(g.figure), g.value,
                    qPrintable(g.unit), g.atLeast ? ">=" : "<=", g.goal, qPrintable(g.unit),
                    g.met() ? "met" : "NOT met");
    }
}

} // namespace Bench
