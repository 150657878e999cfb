// Usage: QT_QPA_PLATFORM=offscreen bench_download
// Measures Get Data: how close a download from the simulated meter comes to the pace the link
// allows, how long the GUI thread stalls meanwhile, and what a long record list costs in memory;
// and beside it the same download by velumin-export.
// Prints one line per figure and a summary; exits non-zero only when a download itself fails.

#include "app/mainwindow.h"
#include "app/prompts.h"
#include "benchsupport.h"
#include "files/archivestore.h"
#include "session/archiverecorder.h"
#include "metersim.h"

#include <QAction>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <cstdio>
#include <vector>

#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The receiver pauses this long after every accepted frame, so no download can beat one frame
// per pause.
constexpr double PauseAfterFrameMs = 50.0;
constexpr double RatioGoal = 0.95;
// With every record archived as it is listed.
constexpr double ArchiveRatioGoal = 0.99;
constexpr double StallGoalMs = 16.0;
constexpr double MemoryGoalMb = 30.0;
constexpr int MemoryRecords = 10000;

// The largest delay of a 1 ms repeating timer beyond its interval: how long the GUI thread was
// kept from its event loop at worst.
class StallProbe {
public:
    StallProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(IntervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }

    void start()
    {
        m_worstGapNs = 0;
        m_longStalls = 0;
        m_worstGapCpuNs = 0;
        m_lastNs = -1;
        m_clock.start();
        m_timer.start();
    }
    void stop() { m_timer.stop(); }

    double worstStallMs() const { return stallNs(m_worstGapNs) / 1e6; }
    // Stalls beyond the goal: one outlier reads differently from a stall on every record.
    int longStalls() const { return m_longStalls; }
    // The GUI thread's own CPU time within the worst stall: close to the stall when the window
    // was busy, far below it when the thread was waiting or not scheduled.
    double worstStallCpuMs() const { return m_worstGapCpuNs / 1e6; }

private:
    static constexpr int IntervalMs = 1;

    static qint64 stallNs(qint64 gapNs)
    {
        return std::max<qint64>(0, gapNs - IntervalMs * 1000000LL);
    }

    void tick()
    {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 cpu = Bench::threadCpuNs();
        if (m_lastNs >= 0) {
            if (now - m_lastNs > m_worstGapNs) {
                m_worstGapNs = now - m_lastNs;
                m_worstGapCpuNs = cpu - m_lastCpuNs;
            }
            if (stallNs(now - m_lastNs) > qint64(StallGoalMs * 1e6))
                ++m_longStalls;
        }
        m_lastNs = now;
        m_lastCpuNs = cpu;
    }

    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_lastNs = -1;
    qint64 m_lastCpuNs = 0;
    qint64 m_worstGapNs = 0;
    qint64 m_worstGapCpuNs = 0;
    int m_longStalls = 0;
};

struct DownloadCase {
    const char* label;
    const char* simKind;
    int records;
    int deviceIndex;
    int framesPerRecord;
};

struct DownloadResult : Bench::Outcome {
    double seconds = 0;
    double recordsPerSecond = 0;
    double ratio = 0;
    double stallMs = 0;
    double stallCpuMs = 0;
    int longStalls = 0;
    double guiCpuMsPerRecord = 0;
};

double floorRecordsPerSecond(const DownloadCase& d)
{
    return 1000.0 / (PauseAfterFrameMs * d.framesPerRecord);
}

// Downloads every record as a user would: device type, Connect, wait for the identity, Get
// Data, wait for the completion message.
DownloadResult runDownload(const DownloadCase& d)
{
    DownloadResult result;
    MeterSim sim;
    if (!Bench::startMeter(sim, d.simKind, d.records)) {
        result.failure = QStringLiteral("the simulated meter did not start");
        return result;
    }

    MainWindow window;
    window.show();
    QCoreApplication::processEvents();

    bool completed = false;
    bool refused = false;
    qint64 completedNs = 0;
    QElapsedTimer clock;
    QEventLoop loop;
    Prompts::setResponder([&](const Prompts::Request& r) {
        if (r.title == QLatin1String(Bench::CompletionTitle) &&
            r.text == QLatin1String(Bench::CompletionText)) {
            completedNs = clock.nsecsElapsed();
            completed = true;
        } else {
            refused = true;
            result.failure = QStringLiteral("unexpected prompt: ") + r.text;
        }
        loop.quit();
        return QMessageBox::Ok;
    });

    // The discovery tick's listing of the serial ports is measured on its own below.
    if (!Bench::waitForDiscovery(window)) {
        result.failure = QStringLiteral("discovery did not find the simulated meter");
        Prompts::setResponder({});
        return result;
    }
    auto* getData = Bench::child<QAction>(window, "actionGetData");
    if (!Bench::connectMeter(window, d.deviceIndex, getData, [&] { return refused; })) {
        if (result.failure.isEmpty())
            result.failure = QStringLiteral("the meter did not identify itself");
        Prompts::setResponder({});
        return result;
    }

    // Generous: a download slower than four times the link's pace has failed, not just lagged.
    const int timeoutMs = int(4 * d.records / floorRecordsPerSecond(d) * 1000) + 10000;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);

    StallProbe probe;
    probe.start();
    const qint64 cpuStartNs = Bench::threadCpuNs();
    clock.start();
    getData->trigger();
    timeout.start(timeoutMs);
    if (!completed && !refused)
        loop.exec();
    const qint64 cpuNs = Bench::threadCpuNs() - cpuStartNs;
    probe.stop();
    Prompts::setResponder({});

    const int rows = Bench::child<QTreeWidget>(window, "treeData")->topLevelItemCount();
    Bench::child<QAction>(window, "actionConnect")->trigger();

    if (!completed) {
        if (result.failure.isEmpty())
            result.failure = QStringLiteral("no completion after %1 s, %2 of %3 records")
                                 .arg(timeoutMs / 1000)
                                 .arg(rows)
                                 .arg(d.records);
        return result;
    }
    if (rows != d.records) {
        result.failure =
            QStringLiteral("%1 rows in the record list, expected %2").arg(rows).arg(d.records);
        return result;
    }
    // The download was measured with the archive on: it must hold every record.
    const QString archiveError = window.archive().finish();
    const QList<Archive::Download> archived = ArchiveStore(Archive::location()).downloads();
    if (!archiveError.isEmpty() || archived.isEmpty() || archived.first().records != d.records ||
        !archived.first().complete) {
        result.failure = QStringLiteral("the archive does not hold the download whole: %1")
                             .arg(archiveError);
        return result;
    }
    result.ok = true;
    result.seconds = completedNs / 1e9;
    result.recordsPerSecond = d.records / result.seconds;
    result.ratio = result.recordsPerSecond / floorRecordsPerSecond(d);
    result.stallMs = probe.worstStallMs();
    result.stallCpuMs = probe.worstStallCpuMs();
    result.longStalls = probe.longStalls();
    result.guiCpuMsPerRecord = cpuNs / 1e6 / d.records;
    return result;
}

// A window with no meter to find lists the serial ports once a second on the GUI thread; this
// is the longest stall that costs while the user waits for the meter.
struct ExportResult : Bench::Outcome {
    double recordsPerSecond = 0; // its own figure, from identity to the last record
    double ratio = 0;
    double wholeRunSeconds = 0; // start-up, identity, download and the CSV report
};

// The same download by velumin-export writing the CSV report; its last progress line gives the
// rate it measured over the download itself.
ExportResult runExport(const DownloadCase& d)
{
    ExportResult result;
    MeterSim sim;
    QTemporaryDir dir;
    if (!Bench::startMeter(sim, d.simKind, d.records)) {
        result.failure = QStringLiteral("the simulated meter did not start");
        return result;
    }
    QProcess p;
    QElapsedTimer clock;
    clock.start();
    p.start(QStringLiteral(VELUMIN_EXPORT_PATH),
            {"--port", "COM7", "--type", QString::number(d.deviceIndex), "--csv",
             dir.filePath(QStringLiteral("report.csv"))});
    const int timeoutMs = int(4 * d.records / floorRecordsPerSecond(d) * 1000) + 10000;
    if (!p.waitForFinished(timeoutMs) || p.exitStatus() != QProcess::NormalExit ||
        p.exitCode() != 0) {
        p.kill();
        result.failure = QStringLiteral("exit status %1: %2")
                             .arg(p.exitCode())
                             .arg(QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
        return result;
    }
    result.wholeRunSeconds = clock.nsecsElapsed() / 1e9;
    const QList<QByteArray> lines = p.readAllStandardError().split('\n');
    for (const QByteArray& line : lines) {
        // "velumin-export: 100%, 1000 of 1000 records, 19.9 records/s"
        if (!line.contains("100%"))
            continue;
        const QList<QByteArray> words = line.split(' ');
        if (words.size() >= 2)
            result.recordsPerSecond = words.at(words.size() - 2).toDouble();
    }
    if (result.recordsPerSecond <= 0) {
        result.failure = QStringLiteral("no final progress line");
        return result;
    }
    result.ratio = result.recordsPerSecond / floorRecordsPerSecond(d);
    result.ok = true;
    return result;
}

struct IdleResult {
    double stallMs;
    double stallCpuMs;
};

IdleResult idleDiscoveryStall()
{
    MainWindow window;
    window.show();
    StallProbe probe;
    probe.start();
    Bench::waitFor([] { return false; }, 3500);
    probe.stop();
    return {probe.worstStallMs(), probe.worstStallCpuMs()};
}

double residentMb()
{
    long pages = 0;
    long resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Lets pending work (deferred deletes, layouts, paints) finish and hands free heap pages back,
// so that the resident size counts what is in use rather than what malloc keeps around.
double settledResidentMb()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
    return residentMb();
}

struct MemoryResult : Bench::Outcome {
    double emptyMb = 0;
    double filledMb = 0;
    double intakePerSecond = 0;
};

QVector<qint16> powers96(int r)
{
    QVector<qint16> raw(96);
    for (int c = 0; c < 96; ++c)
        raw[c] = qint16((7 * r + c) % 13 == 0 ? 100 + 10 * (c % 10)
                                              : -((100 * r + 37 * c + 250) % 6000) - 500);
    return raw;
}

// Feeds DWDM-96 records straight to the window's session, the way its link's queued signals
// arrive, and compares the resident size with that of the empty window.
MemoryResult runMemory()
{
    MemoryResult result;
    MainWindow window;
    window.show();
    result.emptyMb = settledResidentMb();

    bool completed = false;
    Prompts::setResponder([&](const Prompts::Request& r) {
        completed = r.title == QLatin1String(Bench::CompletionTitle);
        return QMessageBox::Ok;
    });
    // Without a connection its requests go nowhere; it only makes the session take records.
    QMetaObject::invokeMethod(&window, "on_actionGetData_triggered", Qt::DirectConnection);

    QElapsedTimer clock;
    clock.start();
    for (int r = 0; r < MemoryRecords; ++r)
        window.session().take(Bench::record(Kind::DWDM96, r, MemoryRecords, powers96(r), "MEM-"));
    result.intakePerSecond = MemoryRecords / (clock.nsecsElapsed() / 1e9);
    Prompts::setResponder({});

    const int rows = Bench::child<QTreeWidget>(window, "treeData")->topLevelItemCount();
    result.filledMb = settledResidentMb();
    if (!completed || rows != MemoryRecords) {
        result.failure =
            QStringLiteral("%1 rows after feeding %2 reports%3")
                .arg(rows)
                .arg(MemoryRecords)
                .arg(completed ? QString() : QStringLiteral(", no completion message"));
        return result;
    }
    result.ok = true;
    return result;
}

} // namespace

int main(int argc, char* argv[])
{
    Bench::Application app(argc, argv);

    if (MeterSim::binary().isEmpty()) {
        std::fprintf(stderr, "no simulated meter: set VELUMIN_METER_SIM\n");
        return 1;
    }

    bool failed = false;
    std::vector<Bench::Goal> goals;

    const DownloadCase downloads[] = {
        {"CWDM18", "CWDM18", 1000, 1, 1},
        {"DWDM96", "DWDM96", 200, 3, 2},
    };
    for (const DownloadCase& d : downloads) {
        const DownloadResult r = runDownload(d);
        const QByteArray label = d.label;
        if (!r.ok) {
            std::printf("%s download of %d records FAILED: %s\n", label.constData(), d.records,
                        qPrintable(r.failure));
            std::fflush(stdout);
            failed = true;
            continue;
        }
        const char* l = label.constData();
        const double frameMs = r.seconds * 1000.0 / (d.records * d.framesPerRecord);
        std::printf("%s download: %d records in %.3f s\n", l, d.records, r.seconds);
        std::printf("%s records/s: %.2f (link floor %.0f records/s)\n", l, r.recordsPerSecond,
                    floorRecordsPerSecond(d));
        std::printf("%s ratio to floor: %.3f\n", l, r.ratio);
        std::printf("%s time per frame: %.2f ms (of which %.0f ms is the pause after each frame)\n",
                    l, frameMs, PauseAfterFrameMs);
        std::printf("%s longest GUI stall: %.2f ms (GUI thread on the CPU for %.2f ms of it; %d "
                    "stalls over %.0f ms)\n",
                    l, r.stallMs, r.stallCpuMs, r.longStalls, StallGoalMs);
        std::printf("%s GUI thread CPU per record: %.2f ms (with the probe's 1000 wake-ups/s)\n", l,
                    r.guiCpuMsPerRecord);
        std::fflush(stdout);
        goals.push_back({d.label + QStringLiteral(" ratio to floor"), r.ratio, RatioGoal, true});
        goals.push_back({d.label + QStringLiteral(" ratio, archive on"), r.ratio,
                         ArchiveRatioGoal, true});

        const ExportResult e = runExport(d);
        if (!e.ok) {
            std::printf("%s velumin-export of %d records FAILED: %s\n", l, d.records,
                        qPrintable(e.failure));
            failed = true;
        } else {
            std::printf("%s velumin-export records/s: %.2f (window %.2f), ratio to floor %.3f; "
                        "whole run %.3f s\n",
                        l, e.recordsPerSecond, r.recordsPerSecond, e.ratio, e.wholeRunSeconds);
            goals.push_back({d.label + QStringLiteral(" velumin-export ratio to floor"), e.ratio,
                             RatioGoal, true});
        }
        std::fflush(stdout);
        goals.push_back({d.label + QStringLiteral(" longest GUI stall"), r.stallMs, StallGoalMs,
                         false, QStringLiteral(" ms")});
    }

    const IdleResult idle = idleDiscoveryStall();
    std::printf("idle window discovering (no meter) longest GUI stall: %.2f ms (GUI thread on the "
                "CPU for %.2f ms of it)\n",
                idle.stallMs, idle.stallCpuMs);
    std::fflush(stdout);
    goals.push_back({QStringLiteral("idle discovering window longest stall"), idle.stallMs,
                     StallGoalMs, false, QStringLiteral(" ms")});

    const MemoryResult m = runMemory();
    if (!m.ok) {
        std::printf("memory run FAILED: %s\n", qPrintable(m.failure));
        failed = true;
    } else {
        std::printf("RSS empty window: %.1f MB\n", m.emptyMb);
        std::printf("RSS after %d DWDM96 records: %.1f MB\n", MemoryRecords, m.filledMb);
        std::printf("RSS growth: %.1f MB\n", m.filledMb - m.emptyMb);
        std::printf("DWDM96 intake without the link: %.0f records/s\n", m.intakePerSecond);
        goals.push_back({QStringLiteral("RSS growth for %1 DWDM96 records").arg(MemoryRecords),
                         m.filledMb - m.emptyMb, MemoryGoalMb, false, QStringLiteral(" MB")});
    }

    Bench::printSummary(goals);
    if (failed)
        std::printf("  download FAILED (see above)\n");
    std::fflush(stdout);
    return failed ? 1 : 0;
}
