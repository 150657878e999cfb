// Usage: QT_QPA_PLATFORM=offscreen bench_idle
// Measures what the window costs while nothing happens: the CPU share of the whole process while
// connected to the simulated meter and idle, and while disconnected with port discovery listing
// the serial ports every second, each against an idle bare QMainWindow over the same time; and how
// long one discovery tick holds the GUI thread, and how long unchecking Connect blocks the window
// on a line that never goes quiet. Prints one line per figure and a summary; exits
// non-zero only when the connection itself fails.

#include "app/mainwindow.h"
#include "app/prompts.h"
#include "metersim.h"

#include "quietlog.h"
#include "testsupport.h"
#include "velumin_version.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QMap>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int WindowMs = 10000;
constexpr int ProbeMs = 10000;
constexpr int SettleMs = 1000;
constexpr double ShareGoalPercent = 1.0;
// Connected and idle, the receiver sleeps until the meter sends a byte.
constexpr double ConnectedShareGoalPercent = 0.1;
constexpr double StallGoalMs = 16.0;
constexpr double DisconnectGoalMs = 100.0;

using TestSupport::child;

qint64 timevalNs(const timeval& t)
{
    return qint64(t.tv_sec) * 1000000000LL + t.tv_usec * 1000LL;
}

// User and system CPU time of every thread of this process.
qint64 processCpuNs()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return timevalNs(u.ru_utime) + timevalNs(u.ru_stime);
}

// CPU time of the calling thread.
qint64 threadCpuNs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return qint64(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// The name and user+system CPU time (in clock ticks) from a /proc/.../stat file; false when it
// cannot be read.
struct ProcStat {
    QString name;
    long long ppid = 0;
    long long ticks = 0;
};

bool readProcStat(const QString& path, ProcStat* out)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QByteArray line = f.readAll();
    const int open = line.indexOf('(');
    const int close = line.lastIndexOf(')');
    if (open < 0 || close < open)
        return false;
    out->name = QString::fromLocal8Bit(line.mid(open + 1, close - open - 1));
    // After the name: state, ppid, ... ; utime and stime are fields 14 and 15 of the whole line.
    const QList<QByteArray> fields = line.mid(close + 2).split(' ');
    if (fields.size() < 13)
        return false;
    out->ppid = fields.at(1).toLongLong();
    out->ticks = fields.at(11).toLongLong() + fields.at(12).toLongLong();
    return true;
}

double ticksToNs(long long ticks)
{
    return double(ticks) * 1e9 / double(sysconf(_SC_CLK_TCK));
}

// The simulated meter is a child this process has not waited for, so RUSAGE_CHILDREN does not
// count it; its own /proc entry does. -1 when there is no such child.
pid_t meterSimPid()
{
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& e : entries) {
        bool ok = false;
        const pid_t pid = pid_t(e.toInt(&ok));
        ProcStat s;
        if (ok && readProcStat(QStringLiteral("/proc/%1/stat").arg(pid), &s) &&
            s.ppid == getpid() && s.name == QLatin1String("meter-sim"))
            return pid;
    }
    return -1;
}

long long processTicks(pid_t pid)
{
    ProcStat s;
    return readProcStat(QStringLiteral("/proc/%1/stat").arg(pid), &s) ? s.ticks : -1;
}

// CPU ticks of each thread of this process, by thread id.
QMap<QString, ProcStat> threadTicks()
{
    QMap<QString, ProcStat> threads;
    const QStringList tids =
        QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& tid : tids) {
        ProcStat s;
        if (readProcStat(QStringLiteral("/proc/self/task/%1/stat").arg(tid), &s))
            threads.insert(tid, s);
    }
    return threads;
}

// Times every timer event delivered to one object: for the main window while disconnected that
// is the discovery tick, the device listing included.
class BenchApp : public QApplication {
public:
    using QApplication::QApplication;

    void watchTimers(QObject* receiver)
    {
        m_watched = receiver;
        m_ticksNs.clear();
        m_ticksCpuNs.clear();
    }
    const std::vector<qint64>& ticksNs() const { return m_ticksNs; }
    const std::vector<qint64>& ticksCpuNs() const { return m_ticksCpuNs; }

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!m_watched || receiver != m_watched || event->type() != QEvent::Timer)
            return QApplication::notify(receiver, event);
        QElapsedTimer clock;
        clock.start();
        const qint64 cpu = threadCpuNs();
        const bool result = QApplication::notify(receiver, event);
        m_ticksCpuNs.push_back(threadCpuNs() - cpu);
        m_ticksNs.push_back(clock.nsecsElapsed());
        return result;
    }

private:
    QObject* m_watched = nullptr;
    std::vector<qint64> m_ticksNs;
    std::vector<qint64> m_ticksCpuNs;
};

BenchApp* benchApp()
{
    return static_cast<BenchApp*>(QCoreApplication::instance());
}

// Runs the event loop alone for `ms`: no polling loop of our own adds wake-ups.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// Waits for `done` while the event loop runs; false when `timeoutMs` passed first.
template <typename Done> bool waitFor(Done done, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return done();
}

struct Share {
    double wallMs = 0;
    double processPercent = 0;
    double guiThreadPercent = 0;
    double simPercent = -1; // below 0: no simulated meter measured
    long long simTicks = 0;
    QStringList threads; // other threads that ran, "name 0.12 %"
};

// The CPU share of one core over `ms` of idle event loop.
Share measureShare(int ms, pid_t simPid = -1)
{
    Share s;
    const QMap<QString, ProcStat> threadsBefore = threadTicks();
    const long long simBefore = simPid > 0 ? processTicks(simPid) : -1;
    const qint64 guiBefore = threadCpuNs();
    const qint64 cpuBefore = processCpuNs();
    QElapsedTimer wall;
    wall.start();
    runEventLoop(ms);
    const qint64 cpuNs = processCpuNs() - cpuBefore;
    const qint64 guiNs = threadCpuNs() - guiBefore;
    const qint64 wallNs = wall.nsecsElapsed();
    const long long simAfter = simPid > 0 ? processTicks(simPid) : -1;
    const QMap<QString, ProcStat> threadsAfter = threadTicks();

    s.wallMs = wallNs / 1e6;
    s.processPercent = 100.0 * double(cpuNs) / double(wallNs);
    s.guiThreadPercent = 100.0 * double(guiNs) / double(wallNs);
    if (simBefore >= 0 && simAfter >= 0) {
        s.simTicks = simAfter - simBefore;
        s.simPercent = 100.0 * ticksToNs(s.simTicks) / double(wallNs);
    }
    // The main thread's entry has the process id as its thread id.
    const QString mainTid = QString::number(getpid());
    for (auto it = threadsAfter.cbegin(); it != threadsAfter.cend(); ++it) {
        if (it.key() == mainTid)
            continue;
        const long long before = threadsBefore.value(it.key()).ticks;
        const long long ticks = it.value().ticks - before;
        if (ticks > 0)
            s.threads.append(QStringLiteral("%1 %2 %")
                                 .arg(it.value().name)
                                 .arg(100.0 * ticksToNs(ticks) / double(wallNs), 0, 'f', 2));
    }
    return s;
}

// The largest delay of a 1 ms repeating timer beyond its interval: how long the GUI thread was
// kept from its event loop at worst.
struct Stall {
    double worstMs = 0;
    double worstCpuMs = 0;
};

Stall measureStall(int ms)
{
    constexpr int IntervalMs = 1;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    timer.setInterval(IntervalMs);
    QElapsedTimer clock;
    qint64 lastNs = -1;
    qint64 lastCpuNs = 0;
    qint64 worstGapNs = 0;
    qint64 worstGapCpuNs = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 cpu = threadCpuNs();
        if (lastNs >= 0 && now - lastNs > worstGapNs) {
            worstGapNs = now - lastNs;
            worstGapCpuNs = cpu - lastCpuNs;
        }
        lastNs = now;
        lastCpuNs = cpu;
    });
    clock.start();
    timer.start();
    runEventLoop(ms);
    timer.stop();
    return {std::max<qint64>(0, worstGapNs - IntervalMs * 1000000LL) / 1e6, worstGapCpuNs / 1e6};
}

void printShare(const char* label, const Share& s)
{
    std::printf("%s CPU share: %.3f %% of one core over %.0f ms (GUI thread %.3f %%)\n", label,
                s.processPercent, s.wallMs, s.guiThreadPercent);
    if (!s.threads.isEmpty())
        std::printf("%s other threads: %s\n", label,
                    qPrintable(s.threads.join(QStringLiteral(", "))));
    std::fflush(stdout);
}

void printAgainst(const char* label, const Share& s, const Share& reference)
{
    std::printf("%s CPU share against the bare window: %.3f %% vs %.3f %%, difference %+.3f "
                "points\n",
                label, s.processPercent, reference.processPercent,
                s.processPercent - reference.processPercent);
    std::fflush(stdout);
}

double median(std::vector<qint64> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? double(v[n / 2]) : (double(v[n / 2 - 1]) + double(v[n / 2])) / 2.0;
}

struct Goal {
    QString figure;
    double value;
    QString unit;
    double goal;
    bool orEqual; // the goal itself still counts as met
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The window reads its setting and the meter registers its port here, never in the user's
    // own store.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Without one, Qt warns that it makes its own.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
#ifdef VELUMIN_METER_SIM_PATH
    if (MeterSim::binary().isEmpty())
        qputenv("VELUMIN_METER_SIM", VELUMIN_METER_SIM_PATH);
#endif

    BenchApp app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));
    QuietLog::install();

    if (MeterSim::binary().isEmpty()) {
        std::fprintf(stderr, "no simulated meter: set VELUMIN_METER_SIM\n");
        return 1;
    }

    bool failed = false;
    std::vector<Goal> goals;

    // Reference: an empty main window, shown and left alone.
    Share bare;
    Stall bareStall;
    {
        QMainWindow window;
        window.show();
        runEventLoop(SettleMs);
        bare = measureShare(WindowMs);
        bareStall = measureStall(ProbeMs);
    }
    printShare("bare QMainWindow idle", bare);
    std::printf("bare QMainWindow idle longest GUI stall: %.2f ms (GUI thread on the CPU for %.2f "
                "ms of it) over %d ms\n",
                bareStall.worstMs, bareStall.worstCpuMs, ProbeMs);
    std::fflush(stdout);

    // Connected and idle: the meter has identified itself, nothing is being downloaded.
    {
        MeterSim sim;
        if (!sim.start({"--kind", "CWDM18", "--records", "5", "--register", "COM7"})) {
            std::printf("connected idle FAILED: the simulated meter did not start\n");
            failed = true;
        } else {
            MainWindow window;
            window.show();
            Prompts::setResponder([&](const Prompts::Request& r) {
                std::printf("connected idle: unexpected prompt: %s\n", qPrintable(r.text));
                failed = true;
                return QMessageBox::Ok;
            });
            const bool found = waitFor([&] { return !window.isDiscovering(); }, 5000);
            bool linked = false;
            if (found) {
                child<QComboBox>(window, "cbSelectDevice")->setCurrentIndex(1);
                child<QAction>(window, "actionConnect")->trigger();
                auto* product = child<QLineEdit>(window, "editProductNum");
                linked =
                    waitFor(
                        [&] { return failed || (window.isLinked() && !product->text().isEmpty()); },
                        5000) &&
                    !failed;
            }
            if (!linked) {
                std::printf("connected idle FAILED: %s\n",
                            found ? "the meter did not identify itself"
                                  : "discovery did not find the simulated meter");
                failed = true;
            } else {
                runEventLoop(SettleMs);
                const Share connected = measureShare(WindowMs, meterSimPid());
                if (!window.isLinked()) {
                    std::printf("connected idle FAILED: the link went down while measuring\n");
                    failed = true;
                } else {
                    printShare("connected idle", connected);
                    printAgainst("connected idle", connected, bare);
                    if (connected.simPercent >= 0)
                        std::printf("connected idle simulated meter CPU share: %.2f %% (%lld "
                                    "clock ticks of %.0f ms)\n",
                                    connected.simPercent, connected.simTicks,
                                    1000.0 / double(sysconf(_SC_CLK_TCK)));
                    else
                        std::printf("connected idle simulated meter CPU share: not measured (no "
                                    "/proc entry found)\n");
                    std::fflush(stdout);
                    goals.push_back({QStringLiteral("connected idle CPU share"),
                                     connected.processPercent, QStringLiteral(" %"),
                                     ConnectedShareGoalPercent, true});
                }
            }
            if (child<QAction>(window, "actionConnect")->isChecked())
                child<QAction>(window, "actionConnect")->trigger();
            Prompts::setResponder({});
        }
        sim.stop();
    }

    // Unchecking Connect while the line babbles one byte every 3 ms: it never goes quiet, so
    // only the bound on a read and the stop request end the receiver's read.
    {
        MeterSim sim;
        MainWindow window;
        auto* connectAction = child<QAction>(window, "actionConnect");
        auto* product = child<QLineEdit>(window, "editProductNum");
        bool linked = sim.start({"--kind", "CWDM18", "--babble", "3", "--register", "COM7"}) &&
                      waitFor([&] { return !window.isDiscovering(); }, 5000);
        if (linked) {
            child<QComboBox>(window, "cbSelectDevice")->setCurrentIndex(1);
            connectAction->trigger();
            linked = waitFor([&] { return !product->text().isEmpty(); }, 5000);
        }
        if (!linked) {
            std::printf("disconnect while babbling FAILED: the meter did not identify itself\n");
            failed = true;
        } else {
            runEventLoop(500);
            QElapsedTimer blocked;
            blocked.start();
            connectAction->trigger();
            const double ms = double(blocked.nsecsElapsed()) / 1e6;
            std::printf("disconnect while the line babbles: the window blocked for %.2f ms\n", ms);
            std::fflush(stdout);
            goals.push_back({QStringLiteral("disconnect on a babbling line"), ms,
                             QStringLiteral(" ms"), DisconnectGoalMs, true});
        }
        sim.stop();
    }

    // Disconnected: no meter registered, so discovery lists the ports every second for good.
    {
        MainWindow window;
        window.show();
        runEventLoop(SettleMs);
        benchApp()->watchTimers(&window);
        const Share discovering = measureShare(WindowMs);
        const std::vector<qint64> ticks = benchApp()->ticksNs();
        const std::vector<qint64> ticksCpu = benchApp()->ticksCpuNs();
        benchApp()->watchTimers(nullptr);
        const Stall stall = measureStall(ProbeMs);
        const bool stillDiscovering = window.isDiscovering();

        printShare("disconnected discovering", discovering);
        printAgainst("disconnected discovering", discovering, bare);
        if (!ticks.empty()) {
            std::printf("disconnected discovery ticks: %zu in %.0f ms, longest %.2f ms, median "
                        "%.2f ms (GUI thread CPU: longest %.2f ms, median %.2f ms)\n",
                        ticks.size(), discovering.wallMs,
                        *std::max_element(ticks.begin(), ticks.end()) / 1e6, median(ticks) / 1e6,
                        *std::max_element(ticksCpu.begin(), ticksCpu.end()) / 1e6,
                        median(ticksCpu) / 1e6);
        } else {
            std::printf("disconnected discovery ticks: none seen\n");
        }
        std::printf("disconnected discovering longest GUI stall: %.2f ms (GUI thread on the CPU "
                    "for %.2f ms of it) over %d ms; bare window %.2f ms, difference %+.2f ms\n",
                    stall.worstMs, stall.worstCpuMs, ProbeMs, bareStall.worstMs,
                    stall.worstMs - bareStall.worstMs);
        if (!stillDiscovering)
            std::printf("disconnected discovering: note: discovery found a port and stopped, "
                        "the figures above are not those of a window that keeps searching\n");
        std::fflush(stdout);
        goals.push_back({QStringLiteral("disconnected discovering CPU share"),
                         discovering.processPercent, QStringLiteral(" %"), ShareGoalPercent,
                         false});
        goals.push_back({QStringLiteral("discovery tick longest GUI stall"), stall.worstMs,
                         QStringLiteral(" ms"), StallGoalMs, true});
    }

    std::printf("\nSummary\n");
    std::printf("  %-40s %9.3f %%  (reference)\n", "bare QMainWindow idle CPU share",
                bare.processPercent);
    for (const Goal& g : goals) {
        const bool met = g.orEqual ? g.value <= g.goal : g.value < g.goal;
        std::printf("  %-40s %9.3f%-3s goal %s %g%-3s %s\n", qPrintable(g.figure), g.value,
                    qPrintable(g.unit), g.orEqual ? "<=" : "<", g.goal, qPrintable(g.unit),
                    met ? "met" : "NOT met");
    }
    if (failed)
        std::printf("  connection FAILED (see above)\n");
    std::fflush(stdout);
    return failed ? 1 : 0;
}
