// Usage: QT_QPA_PLATFORM=offscreen bench_startup
// Measures start-up to the first painted window: the application's MainWindow against an empty
// QMainWindow. Each start runs in a fresh child process of this benchmark (it starts itself again
// with "--child main" or "--child bare"), so that both pay the same process, library and Qt
// start-up costs; the child times from just before its QApplication is constructed to the end of
// the window's first paint and prints its figures on stdout. The parent also times each child
// from spawn to its first paint and to its exit; the window measured is the application's own,
// built by its own constructor. Prints one line per figure and a summary; exits non-zero only when a child fails.

#include "app/mainwindow.h"

#include "quietlog.h"
#include "velumin_version.h"

#include <QApplication>
#include <QByteArray>
#include <QMainWindow>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace {

constexpr int Runs = 10;
constexpr double RatioGoal = 1.3;
// A child that has not painted by then has failed.
constexpr int ChildTimeoutMs = 20000;

qint64 monotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return qint64(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

// ---- child side ------------------------------------------------------------------------------

// Notes the first paint of a window and, once that paint has been flushed and the event loop is
// free again, ends the loop.
class FirstPaint : public QObject {
public:
    qint64 paintStartNs = 0;
    qint64 paintedNs = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && paintStartNs == 0) {
            paintStartNs = monotonicNs();
            QTimer::singleShot(0, this, [this] {
                paintedNs = monotonicNs();
                // Not quit(): that closes the windows, and MainWindow asks before it closes.
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }
};

// One figure line: "key=nanoseconds ..." for the parent to read.
void printFigures(const std::vector<std::pair<std::string, qint64>>& figures)
{
    std::string line = "FIGURES";
    for (const auto& f : figures)
        line += ' ' + f.first + '=' + std::to_string(f.second);
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Shows `window`, runs the loop until its first paint has been flushed; false on time-out.
bool showAndPaint(QWidget& window, qint64* showNs, FirstPaint* paint)
{
    window.installEventFilter(paint);
    const qint64 before = monotonicNs();
    window.show();
    *showNs = monotonicNs() - before;
    QTimer::singleShot(ChildTimeoutMs, [] { QCoreApplication::exit(3); });
    return QApplication::exec() == 0 && paint->paintedNs != 0;
}

int runWindowChild(int argc, char* argv[], bool mainWindow, qint64 spawnNs)
{
    QuietLog::install();
    const qint64 entry = monotonicNs();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QString::fromLatin1(VeluminVersion));
    const qint64 appDone = monotonicNs();
    QMainWindow* window = mainWindow ? new MainWindow : new QMainWindow;
    const qint64 built = monotonicNs();
    qint64 showNs = 0;
    FirstPaint paint;
    const bool ok = showAndPaint(*window, &showNs, &paint);
    delete window;
    if (!ok) {
        std::fprintf(stderr, "the window was not painted within %d ms\n", ChildTimeoutMs);
        return 1;
    }
    printFigures({
        {"app", appDone - entry},
        {"build", built - appDone},
        {"show", showNs},
        {"paint", paint.paintedNs - built - showNs},
        {"total", paint.paintedNs - entry},
        {"spawn_total", paint.paintedNs - spawnNs},
    });
    return 0;
}

// ---- parent side -----------------------------------------------------------------------------

struct ChildRun {
    bool ok = false;
    std::map<std::string, qint64> figures;
    qint64 exitNs = 0; // spawn to exit, as the parent saw it
};

std::string selfPath()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return std::string();
    path[n] = '\0';
    return path;
}

ChildRun runChild(const std::string& self, const char* kind)
{
    ChildRun run;
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    const qint64 spawnNs = monotonicNs();
    std::string spawnText = std::to_string(spawnNs);
    std::string selfCopy = self;
    std::string childFlag = "--child";
    std::string kindText = kind;
    char* argv[] = {selfCopy.data(), childFlag.data(), kindText.data(), spawnText.data(), nullptr};
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        return run;
    }
    std::string text;
    char chunk[4096];
    for (ssize_t got; (got = read(out[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, size_t(got));
    close(out[0]);
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return run;
    run.exitNs = monotonicNs() - spawnNs;
    const size_t at = text.find("FIGURES");
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || at == std::string::npos)
        return run;
    const std::string line = text.substr(at, text.find('\n', at) - at);
    size_t pos = line.find(' ');
    while (pos != std::string::npos) {
        const size_t next = line.find(' ', pos + 1);
        const std::string item = line.substr(pos + 1, next - pos - 1);
        const size_t eq = item.find('=');
        if (eq != std::string::npos)
            run.figures[item.substr(0, eq)] = std::stoll(item.substr(eq + 1));
        pos = next;
    }
    run.ok = true;
    return run;
}

struct Stats {
    double bestMs = 0;
    double medianMs = 0;
};

Stats stats(std::vector<qint64> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    const double median =
        n % 2 ? double(v[n / 2]) : (double(v[n / 2 - 1]) + double(v[n / 2])) / 2.0;
    return {v.front() / 1e6, median / 1e6};
}

std::vector<qint64> column(const std::vector<ChildRun>& runs, const std::string& key)
{
    std::vector<qint64> v;
    for (const ChildRun& r : runs)
        v.push_back(key == "exit" ? r.exitNs : r.figures.at(key));
    return v;
}

void printStats(const char* label, const char* what, const Stats& s)
{
    std::printf("%-10s %-44s best %8.2f ms  median %8.2f ms\n", label, what, s.bestMs, s.medianMs);
}

struct Goal {
    std::string figure;
    double value;
};

} // namespace

int main(int argc, char* argv[])
{
    if (argc >= 3 && std::strcmp(argv[1], "--child") == 0) {
        const qint64 spawnNs = argc >= 4 ? std::stoll(argv[3]) : monotonicNs();
        if (std::strcmp(argv[2], "main") == 0)
            return runWindowChild(argc, argv, true, spawnNs);
        if (std::strcmp(argv[2], "bare") == 0)
            return runWindowChild(argc, argv, false, spawnNs);
        std::fprintf(stderr, "unknown child %s\n", argv[2]);
        return 2;
    }

    // The children inherit both: an offscreen window, and a settings store of their own.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // Without one, every child warns that it makes its own.
    QTemporaryDir runtime;
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());

    const std::string self = selfPath();
    if (self.empty()) {
        std::fprintf(stderr, "cannot find this program's own path\n");
        return 1;
    }

    // One start of each first, not counted: it fills the file and font caches for the others.
    bool failed = !runChild(self, "bare").ok || !runChild(self, "main").ok;
    std::vector<ChildRun> mains;
    std::vector<ChildRun> bares;
    // Alternating, so that a disturbance falls on both alike.
    for (int i = 0; i < Runs && !failed; ++i) {
        const ChildRun bare = runChild(self, "bare");
        const ChildRun main = runChild(self, "main");
        failed = !bare.ok || !main.ok;
        bares.push_back(bare);
        mains.push_back(main);
    }
    if (failed) {
        std::printf("start-up FAILED: a child did not paint its window or did not exit cleanly\n");
        return 1;
    }

    std::printf("%d starts of each, in fresh processes; times in ms\n", Runs);
    const struct {
        const char* key;
        const char* what;
    } rows[] = {
        {"total", "QApplication to first painted window"},
        {"app", "  QApplication construction"},
        {"build", "  window construction"},
        {"show", "  show()"},
        {"paint", "  first paint, flushed"},
        {"spawn_total", "spawn to first painted window"},
        {"exit", "spawn to process exit"},
    };
    for (const auto& row : rows) {
        printStats("bare", row.what, stats(column(bares, row.key)));
        printStats("MainWindow", row.what, stats(column(mains, row.key)));
    }

    const Stats mainTotal = stats(column(mains, "total"));
    const Stats bareTotal = stats(column(bares, "total"));
    const double bestRatio = mainTotal.bestMs / bareTotal.bestMs;
    const double medianRatio = mainTotal.medianMs / bareTotal.medianMs;
    const Stats mainSpawn = stats(column(mains, "spawn_total"));
    const Stats bareSpawn = stats(column(bares, "spawn_total"));
    const Stats mainExit = stats(column(mains, "exit"));
    const Stats bareExit = stats(column(bares, "exit"));
    std::printf("ratio MainWindow/bare, QApplication to first paint: best %.3f, median %.3f "
                "(difference %.2f ms best, %.2f ms median)\n",
                bestRatio, medianRatio, mainTotal.bestMs - bareTotal.bestMs,
                mainTotal.medianMs - bareTotal.medianMs);
    std::printf("ratio MainWindow/bare, spawn to first paint: best %.3f, median %.3f\n",
                mainSpawn.bestMs / bareSpawn.bestMs, mainSpawn.medianMs / bareSpawn.medianMs);
    std::printf("ratio MainWindow/bare, spawn to exit: best %.3f, median %.3f\n",
                mainExit.bestMs / bareExit.bestMs, mainExit.medianMs / bareExit.medianMs);
    std::fflush(stdout);

    std::printf("\nSummary\n");
    std::printf("  %-48s %9.2f ms (reference)\n", "bare QMainWindow to first paint, median",
                bareTotal.medianMs);
    std::printf("  %-48s %9.2f ms\n", "MainWindow to first paint, median", mainTotal.medianMs);
    const Goal goals[] = {
        {"start-up ratio MainWindow/bare, best", bestRatio},
        {"start-up ratio MainWindow/bare, median", medianRatio},
    };
    for (const Goal& g : goals)
        std::printf("  %-48s %9.3f    goal <= %.1f    %s\n", g.figure.c_str(), g.value, RatioGoal,
                    g.value <= RatioGoal ? "met" : "NOT met");
    std::fflush(stdout);
    return failed ? 1 : 0;
}
