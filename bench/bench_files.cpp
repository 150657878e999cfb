// Usage: QT_QPA_PLATFORM=offscreen bench_files
// Measures the two file commands against doing the bare work by hand: Open Data of a 100 000-line
// report against a plain read-and-split loop, and Save Data of 10 000 DWDM-96 records against one
// write of the same bytes. Both commands run on the GUI thread, so their duration is also how long
// the window stops responding. Then the peak memory of velumin-export's JSON and PDF writers for
// a meter full of records (65 535 CWDM-18), each in a child process of its own
// (bench_files --peak json|pdf FOLDER). Prints one line per figure, a breakdown of where the time
// goes and a summary; exits non-zero only when an operation itself fails.

#include "app/mainwindow.h"
#include "app/prompts.h"
#include "benchsupport.h"
#include "data/catalogue.h"
#include "files/csvreport.h"
#include "files/opendata.h"
#include "files/opendatawidget.h"
#include "files/report.h"
#include "files/reportformats.h"
#include "metersim.h"

#include <QAction>
#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSaveFile>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QTreeWidgetItem>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <vector>

#include <unistd.h>

namespace {

constexpr int Runs = 3;
constexpr int OpenRecords = 100000;
constexpr int SaveRecords = 10000;
constexpr double OpenRatioGoal = 2.0;
constexpr double SaveRatioGoal = 1.5;
constexpr int PdfRecords = 1000;
constexpr double PdfGoalMs = 2000;
// As many records as a meter numbers.
constexpr int FullRecords = 65535;
constexpr double PeakGoalMb = 300;

const char* const SaveTitle = "Complete";
const char* const SaveText = "Complete Save";

// Wall and GUI-thread CPU milliseconds. On a shared machine the CPU time tells the work apart
// from the time the thread waited for a core.
struct Timing {
    double wallMs = std::numeric_limits<double>::max();
    double cpuMs = std::numeric_limits<double>::max();

    void keepBest(double wall, double cpu)
    {
        wallMs = std::min(wallMs, wall);
        cpuMs = std::min(cpuMs, cpu);
    }
};

class Stopwatch {
public:
    Stopwatch() { restart(); }
    void restart()
    {
        m_cpuStartNs = Bench::threadCpuNs();
        m_clock.start();
    }
    double wallMs() const { return m_clock.nsecsElapsed() / 1e6; }
    double cpuMs() const { return (Bench::threadCpuNs() - m_cpuStartNs) / 1e6; }

private:
    QElapsedTimer m_clock;
    qint64 m_cpuStartNs = 0;
};

// The best of `Runs` for wall and CPU time each: the least disturbed run.
template <typename Work> Timing best(Work work)
{
    Timing t;
    for (int i = 0; i < Runs; ++i) {
        Stopwatch watch;
        work();
        t.keepBest(watch.wallMs(), watch.cpuMs());
    }
    return t;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        return false;
    f.close();
    return f.error() == QFileDevice::NoError;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Readings from 19 dBm down to -65 dBm, so that the file holds numbers, "High" and "Low" cells.
QVector<qint16> powers(int r, int channels)
{
    QVector<qint16> raw(channels);
    for (int c = 0; c < channels; ++c)
        raw[c] = qint16((7 * r + c) % 13 == 0 ? 100 + 200 * (c % 10)
                                              : -((100 * r + 37 * c + 250) % 6000) - 500);
    return raw;
}

// ---------------------------------------------------------------------------------------------
// Open Data

// Notes the first paint of the Open Data window's table, whichever window made it.
class TablePaintWatch : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Paint || painted)
            return false;
        auto* w = qobject_cast<QWidget*>(watched);
        auto* tree = w ? qobject_cast<QTreeWidget*>(w->parentWidget()) : nullptr;
        if (tree && tree->viewport() == w && qobject_cast<OpenDataWidget*>(w->window()))
            painted = true;
        return false;
    }
};

struct OpenRun : Bench::Outcome {
    double constructedMs = 0; // trigger until the command (constructor and show) returned
    double constructedCpuMs = 0;
    double shownMs = 0; // trigger until the table has been painted once
    double shownCpuMs = 0;
};

// Open Data as a user does it, in a fresh main window each time, so that no run pays for
// dropping the window of the run before.
OpenRun openThroughWindow(const QString& path)
{
    OpenRun run;
    MainWindow window;
    window.show();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();

    Prompts::setFileResponder([&](const Prompts::FileRequest& r) {
        return r.mode == Prompts::FileRequest::Open ? path : QString();
    });
    Prompts::setResponder([&](const Prompts::Request& r) {
        run.failure = QStringLiteral("unexpected prompt: ") + r.text;
        return QMessageBox::Ok;
    });
    TablePaintWatch watch;
    qApp->installEventFilter(&watch);

    Stopwatch stopwatch;
    Bench::child<QAction>(window, "actionOpen")->trigger();
    run.constructedMs = stopwatch.wallMs();
    run.constructedCpuMs = stopwatch.cpuMs();
    const bool painted = Bench::waitFor([&] { return watch.painted; }, 60000);
    run.shownMs = stopwatch.wallMs();
    run.shownCpuMs = stopwatch.cpuMs();

    qApp->removeEventFilter(&watch);
    Prompts::setFileResponder({});
    Prompts::setResponder({});

    OpenDataWidget* viewer = window.openDataWidget();
    if (!viewer) {
        run.failure = QStringLiteral("Open Data made no window");
        return run;
    }
    const int rows = Bench::child<QTreeWidget>(*viewer, "treeDetailData")->topLevelItemCount();
    if (!run.failure.isEmpty())
        return run;
    if (!painted || !viewer->isVisible()) {
        run.failure = QStringLiteral("the Open Data window was not shown and painted in 60 s");
        return run;
    }
    if (rows != OpenRecords) {
        run.failure =
            QStringLiteral("%1 rows in the table, expected %2").arg(rows).arg(OpenRecords);
        return run;
    }
    run.ok = true;
    return run;
}

// The bare work the viewer cannot avoid: read the file, split it into lines and fields and read
// the leading integer. No widget, no row kept.
struct LoopResult {
    int rows = 0;
    qint64 sum = 0;
    qint64 fields = 0;
};

LoopResult bareLineLoop(const QString& path)
{
    LoopResult result;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return result;
    const QString text = QString::fromLocal8Bit(f.readAll());
    const QStringView all(text);
    qsizetype start = 0;
    while (start < all.size()) {
        qsizetype end = all.indexOf(u'\n', start);
        if (end < 0)
            end = all.size();
        QStringView line = all.sliced(start, end - start);
        if (line.endsWith(u'\r'))
            line.chop(1);
        // All fields are split off, none is copied.
        QStringView first;
        int fields = 0;
        for (const QStringView field : line.tokenize(u','))
            if (fields++ == 0)
                first = field;
        result.fields += fields;
        bool ok = false;
        const int number = first.trimmed().toInt(&ok);
        if (ok) {
            ++result.rows;
            result.sum += number;
        }
        start = end + 1;
    }
    return result;
}

struct OpenResult : Bench::Outcome {
    qint64 fileBytes = 0;
    int headingLines = 0;
    Timing constructed; // the command, until the constructor returned
    Timing shown;       // until the table has been painted once
    Timing loop;
    Timing lineRule; // read + OpenData::parseBytes
    // The constructor's steps on their own.
    Timing read;
    Timing decode;
    Timing parseText;
    Timing items;
    Timing add;
    Timing freeItems;
    Timing setup; // the window built around a file it cannot open
};

OpenResult runOpen(const QString& dir)
{
    OpenResult result;
    const QString path = dir + QStringLiteral("/open.csv");
    {
        QList<Measurement> records;
        records.reserve(OpenRecords);
        for (int r = 0; r < OpenRecords; ++r)
            records.append(Bench::record(Kind::CWDM18, r, OpenRecords, powers(r, 18), "OPN-"));
        const QByteArray bytes = TestSupport::csvFile(Kind::CWDM18, records);
        if (!writeFile(path, bytes)) {
            result.failure = QStringLiteral("could not write %1").arg(path);
            return result;
        }
        result.fileBytes = bytes.size();
        result.headingLines = int(bytes.count('\n')) - OpenRecords;
    }

    for (int i = 0; i < Runs; ++i) {
        const OpenRun run = openThroughWindow(path);
        if (!run.ok) {
            result.failure = run.failure;
            return result;
        }
        result.constructed.keepBest(run.constructedMs, run.constructedCpuMs);
        result.shown.keepBest(run.shownMs, run.shownCpuMs);
    }

    LoopResult loop;
    result.loop = best([&] { loop = bareLineLoop(path); });
    if (loop.rows != OpenRecords) {
        result.failure = QStringLiteral("the bare loop found %1 numbered lines, expected %2")
                             .arg(loop.rows)
                             .arg(OpenRecords);
        return result;
    }
    QList<OpenData::Row> rows;
    result.lineRule = best([&] { rows = OpenData::parseBytes(readFile(path)); });
    if (rows.size() != OpenRecords) {
        result.failure = QStringLiteral("the line rule found %1 rows, expected %2")
                             .arg(rows.size())
                             .arg(OpenRecords);
        return result;
    }

    QByteArray bytes;
    result.read = best([&] { bytes = readFile(path); });
    QString text;
    result.decode = best([&] { text = QStringDecoder(QStringConverter::System)(bytes); });
    result.parseText = best([&] { rows = OpenData::parseText(text); });
    for (int i = 0; i < Runs; ++i) {
        // Set up as the window's own table is.
        QTreeWidget tree;
        tree.setColumnCount(3);
        tree.setUniformRowHeights(true);
        tree.setRootIsDecorated(false);
        Stopwatch watch;
        QList<QTreeWidgetItem*> items;
        items.reserve(rows.size());
        for (const OpenData::Row& row : rows)
            items.append(new QTreeWidgetItem({QString::number(row.number), row.second, row.third}));
        result.items.keepBest(watch.wallMs(), watch.cpuMs());
        watch.restart();
        tree.addTopLevelItems(items);
        result.add.keepBest(watch.wallMs(), watch.cpuMs());
        watch.restart();
        tree.clear();
        result.freeItems.keepBest(watch.wallMs(), watch.cpuMs());
    }
    const QString missing = dir + QStringLiteral("/missing.csv");
    result.setup = best([&] { OpenDataWidget viewer(missing); });
    result.ok = true;
    return result;
}

// ---------------------------------------------------------------------------------------------
// Save Data

struct SaveResult : Bench::Outcome {
    qint64 fileBytes = 0;
    Timing save;      // the whole Save Data call
    Timing write;     // open, one QFile::write of the same bytes, close
    Timing writeSync; // the same, flushed to the disk before the close
    // Save Data's steps on their own.
    Timing report;          // records to a Report
    Timing build;           // CsvReport::bytes
    Timing saveFile;        // QSaveFile open, write, commit
    bool sameBytes = false; // the bytes built here are those Save Data wrote
};

// The connected meter is asked for every record while they are fed; it has one and answers none
// of the others, but its log has to be read or it stops.
bool settleMeter(MeterSim& sim, MainWindow& window)
{
    int seen = -1;
    QElapsedTimer quiet;
    quiet.start();
    QDeadlineTimer deadline(30000);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const int now = int(sim.requests().size());
        if (now != seen) {
            seen = now;
            quiet.restart();
        } else if (quiet.elapsed() > 500 && !window.isGettingData()) {
            return true;
        }
    }
    return false;
}

SaveResult runSave(const QString& dir)
{
    SaveResult result;
    MeterSim sim;
    if (!Bench::startMeter(sim, "DWDM96", 1)) {
        result.failure = QStringLiteral("the simulated meter did not start");
        return result;
    }

    MainWindow window;
    window.show();
    QCoreApplication::processEvents();

    int getDataDone = 0;
    bool saved = false;
    Prompts::setResponder([&](const Prompts::Request& r) {
        if (r.title == QLatin1String(Bench::CompletionTitle))
            ++getDataDone;
        else if (r.title == QLatin1String(SaveTitle) && r.text == QLatin1String(SaveText))
            saved = true;
        else
            result.failure = QStringLiteral("unexpected prompt: ") + r.text;
        return QMessageBox::Ok;
    });
    QString savePath;
    Prompts::setFileResponder([&](const Prompts::FileRequest& r) {
        return r.mode == Prompts::FileRequest::Save ? savePath : QString();
    });
    auto* connectAction = Bench::child<QAction>(window, "actionConnect");
    auto fail = [&](const QString& why) {
        if (result.failure.isEmpty())
            result.failure = why;
        Prompts::setResponder({});
        Prompts::setFileResponder({});
        if (connectAction->isChecked())
            connectAction->trigger();
        return result;
    };

    if (!Bench::waitForDiscovery(window))
        return fail(QStringLiteral("discovery did not find the simulated meter"));
    auto* saveData = Bench::child<QAction>(window, "actionSaveData");
    if (!Bench::connectMeter(window, 3, saveData, [] { return false; }))
        return fail(QStringLiteral("the meter did not identify itself"));
    if (window.kindCode() != Kind::DWDM96)
        return fail(QStringLiteral("the meter identified as kind %1").arg(window.kindCode()));

    // Fed straight to the window's session within one Get Data, before the meter's answer to its
    // first request can arrive; that answer then finds the retrieval over and is dropped.
    QList<Measurement> records;
    records.reserve(SaveRecords);
    QMetaObject::invokeMethod(&window, "on_actionGetData_triggered", Qt::DirectConnection);
    for (int r = 0; r < SaveRecords; ++r) {
        records.append(Bench::record(Kind::DWDM96, r, SaveRecords, powers(r, 96), "SAV-"));
        window.session().take(records.last());
    }
    if (!settleMeter(sim, window))
        return fail(QStringLiteral("the meter was still being asked for records after 30 s"));
    const int listed = Bench::child<QTreeWidget>(window, "treeData")->topLevelItemCount();
    if (getDataDone != 1 || listed != SaveRecords)
        return fail(QStringLiteral("%1 rows in the record list and %2 completion messages, "
                                   "expected %3 and 1")
                        .arg(listed)
                        .arg(getDataDone)
                        .arg(SaveRecords));

    for (int i = 0; i < Runs; ++i) {
        savePath = dir + QStringLiteral("/save-%1.csv").arg(i);
        saved = false;
        Stopwatch watch;
        saveData->trigger();
        result.save.keepBest(watch.wallMs(), watch.cpuMs());
        if (!saved || !QFile::exists(savePath))
            return fail(QStringLiteral("Save Data did not complete"));
    }
    Prompts::setResponder({});
    Prompts::setFileResponder({});
    connectAction->trigger();

    const QByteArray written = readFile(savePath);
    result.fileBytes = written.size();
    if (written.isEmpty())
        return fail(QStringLiteral("Save Data wrote an empty file"));
    int copy = 0;
    bool copied = true;
    result.write = best([&] {
        QFile f(dir + QStringLiteral("/copy-%1.csv").arg(copy++));
        copied = copied && f.open(QIODevice::WriteOnly) && f.write(written) == written.size();
        f.close();
        copied = copied && f.error() == QFileDevice::NoError;
    });
    // QSaveFile makes its file durable before it replaces the old one; this is that cost alone.
    result.writeSync = best([&] {
        QFile f(dir + QStringLiteral("/copy-%1.csv").arg(copy++));
        copied = copied && f.open(QIODevice::WriteOnly) && f.write(written) == written.size() &&
                 f.flush() && ::fdatasync(f.handle()) == 0;
        f.close();
    });
    if (!copied)
        return fail(QStringLiteral("the plain write failed"));

    std::optional<Report> report;
    result.report = best([&] {
        report.emplace(MeterIdentity(), Kind::DWDM96, false, Limits::LimitSet(), records,
                       QDateTime::currentDateTime());
    });
    QByteArray built;
    result.build = best([&] { built = CsvReport::bytes(*report); });
    result.sameBytes = built == written;
    int saveCopy = 0;
    bool committed = true;
    result.saveFile = best([&] {
        QSaveFile f(dir + QStringLiteral("/savefile-%1.csv").arg(saveCopy++));
        committed = committed && f.open(QIODevice::WriteOnly) && f.write(built) == built.size() &&
                    f.commit();
    });
    if (!committed)
        return fail(QStringLiteral("the QSaveFile write failed"));
    result.ok = true;
    return result;
}

double percent(double part, double whole)
{
    return whole > 0 ? 100.0 * part / whole : 0.0;
}

// A report of CWDM-18 `records` from the Ruvo730 RV7300123, every channel judged against -40 to
// 0 dBm.
Report cwdmReport(const QList<Measurement>& records)
{
    MeterIdentity meter;
    meter.product = QStringLiteral("Ruvo730");
    meter.serial = QStringLiteral("RV7300123");
    meter.hardware = QStringLiteral("V1.2.10");
    meter.firmware = QStringLiteral("V3.7.4");
    Limits::LimitSet limits;
    limits.enabled = true;
    limits.min = -40;
    limits.max = 0;
    return Report(meter, Kind::CWDM18, false, limits, records, QDateTime::currentDateTime());
}

// The PDF report of PdfRecords CWDM-18 records, every channel judged against the limits and its
// loss against a budget, for a job, as Export Report writes it.
Report pdfReport()
{
    QList<Measurement> records;
    for (int r = 0; r < PdfRecords; ++r) {
        QVector<qint16> raw;
        for (int c = 0; c < 18; ++c)
            raw << qint16(-500 - 37 * ((r + c) % 30));
        records << Bench::record(Kind::CWDM18, r, PdfRecords, raw, "REC-");
    }
    Report report = cwdmReport(records);
    Loss::Reference reference;
    reference.name = QStringLiteral("Launch");
    for (int c = 1; c <= 18; ++c)
        reference.channels.insert(c, -1.0 - 0.1 * c);
    Loss::Budget budget;
    budget.link = Loss::Link{12.5, 0.35, 2, 3};
    budget.channels.insert(4, {true, 4.0});
    budget.channels.insert(9, {false, std::nullopt});
    report.setLoss(reference, budget);
    report.setJob({QStringLiteral("Lumen Fibre Works"), QStringLiteral("City Networks"),
                   QStringLiteral("Exchange North"), QStringLiteral("CBL-0042"),
                   QStringLiteral("J. Smith"), QString()},
                  QStringLiteral("FTTH-42"));
    return report;
}

// This process's peak resident memory (VmHWM) or resident memory now (VmRSS), in MB.
double memoryMb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

// The child of --peak: downloads FullRecords CWDM-18 records into a Download as velumin-export
// does, writes one report of them, every channel judged, as velumin-export writes it, and prints
// "<MB before writing> <peak MB> <ms> <bytes>".
int peakChild(const QString& which, const QString& folder)
{
    Download download;
    download.start(false);
    for (int r = 0; r < FullRecords; ++r)
        download.take(Bench::record(Kind::CWDM18, r, FullRecords, powers(r, 18), "REC"));
    if (download.recordCount(Kind::CWDM18) != FullRecords) {
        std::fprintf(stderr, "only %d records were taken\n", download.recordCount(Kind::CWDM18));
        return 1;
    }
    const double before = memoryMb("VmRSS:");
    const QString path = folder + QStringLiteral("/full.") + which;
    QSaveFile file(path);
    QElapsedTimer t;
    t.start();
    QString error;
    bool written = file.open(QIODevice::WriteOnly) &&
                   ReportFormats::format(qPrintable(which))
                           .write(cwdmReport(download.records(Kind::CWDM18)), file, &error, {}) ==
                       ReportFormats::Outcome::Written;
    written = written && file.commit();
    const double ms = double(t.nsecsElapsed()) / 1e6;
    if (!written) {
        std::fprintf(stderr, "the %s report was not written\n", qPrintable(which));
        return 1;
    }
    std::printf("%.1f %.1f %.0f %lld\n", before, memoryMb("VmHWM:"), ms, QFile(path).size());
    QFile::remove(path);
    return 0;
}

struct PeakResult : Bench::Outcome {
    double beforeMb = 0;
    double peakMb = 0;
    double ms = 0;
    qint64 bytes = 0;
};

PeakResult runPeak(const char* which, const QString& folder)
{
    PeakResult r;
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--peak"), QString::fromLatin1(which), folder});
    if (!child.waitForFinished(-1) || child.exitStatus() != QProcess::NormalExit ||
        child.exitCode() != 0) {
        r.failure = QStringLiteral("the child process failed");
        return r;
    }
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 4) {
        r.failure = QStringLiteral("the child process printed no figures");
        return r;
    }
    r.beforeMb = figures.at(0).toDouble();
    r.peakMb = figures.at(1).toDouble();
    r.ms = figures.at(2).toDouble();
    r.bytes = figures.at(3).toLongLong();
    r.ok = true;
    return r;
}

} // namespace

int main(int argc, char* argv[])
{
    Bench::Application app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("--peak"))
        return peakChild(args.at(2), args.at(3));

    QTemporaryDir files;
    if (!files.isValid()) {
        std::fprintf(stderr, "no temporary directory\n");
        return 1;
    }

    bool failed = false;
    std::vector<Bench::Goal> goals;
    std::vector<QString> notes;

    const OpenResult o = runOpen(files.path());
    if (!o.ok) {
        std::printf("Open Data FAILED: %s\n", qPrintable(o.failure));
        failed = true;
    } else {
        // The goal is held against the faster of the two references, so that a slow hand loop
        // cannot flatter the window.
        const double reference = std::min(o.loop.wallMs, o.lineRule.wallMs);
        const double ratio = o.shown.wallMs / reference;
        std::printf(
            "Open Data file: %d numbered lines + %d heading lines, %.1f MB (CWDM18 report)\n",
            OpenRecords, o.headingLines, o.fileBytes / (1024.0 * 1024.0));
        std::printf("Open Data through the window: %.1f ms until shown and painted (GUI thread CPU "
                    "%.1f ms); the command returned after %.1f ms (CPU %.1f ms); best of %d\n",
                    o.shown.wallMs, o.shown.cpuMs, o.constructed.wallMs, o.constructed.cpuMs, Runs);
        std::printf(
            "Open Data bare line loop (read, split lines and fields, parse the integer): "
            "%.1f ms (CPU %.1f ms), best of %d; ratio window/loop %.2f (by CPU time %.2f)\n",
            o.loop.wallMs, o.loop.cpuMs, Runs, o.shown.wallMs / o.loop.wallMs,
            o.shown.cpuMs / o.loop.cpuMs);
        std::printf("Open Data line rule alone (read + OpenData::parseBytes): %.1f ms (CPU %.1f "
                    "ms), best of %d; ratio window/line rule %.2f (by CPU time %.2f)\n",
                    o.lineRule.wallMs, o.lineRule.cpuMs, Runs, o.shown.wallMs / o.lineRule.wallMs,
                    o.shown.cpuMs / o.lineRule.cpuMs);
        std::printf("Open Data ratio window/bare work (the faster reference, %.1f ms): %.2f\n",
                    reference, ratio);
        const double steps = o.setup.cpuMs + o.read.cpuMs + o.decode.cpuMs + o.parseText.cpuMs +
                             o.items.cpuMs + o.add.cpuMs;
        std::printf("Open Data steps (CPU ms, each best of %d): empty window %.1f, read file %.1f, "
                    "decode %.1f, line rule on the text %.1f, %d tree items made %.1f, "
                    "addTopLevelItems %.1f; sum %.1f of the command's %.1f; show and first paint "
                    "%.1f\n",
                    Runs, o.setup.cpuMs, o.read.cpuMs, o.decode.cpuMs, o.parseText.cpuMs,
                    OpenRecords, o.items.cpuMs, o.add.cpuMs, steps, o.constructed.cpuMs,
                    std::max(0.0, o.shown.cpuMs - o.constructed.cpuMs));
        std::printf("Open Data GUI thread blocked: %.1f ms until painted; freeing the %d items, "
                    "which the next Open Data does first: %.1f ms\n",
                    o.shown.wallMs, OpenRecords, o.freeItems.wallMs);
        std::fflush(stdout);
        goals.push_back({QStringLiteral("Open Data window/bare work ratio"), ratio, OpenRatioGoal});
        notes.push_back(QStringLiteral("Open Data GUI thread blocked until painted: %1 ms")
                            .arg(o.shown.wallMs, 0, 'f', 1));
    }

    if (MeterSim::binary().isEmpty()) {
        std::printf("Save Data FAILED: no simulated meter (set VELUMIN_METER_SIM)\n");
        failed = true;
    } else {
        const SaveResult s = runSave(files.path());
        if (!s.ok) {
            std::printf("Save Data FAILED: %s\n", qPrintable(s.failure));
            failed = true;
        } else {
            const double ratio = s.save.wallMs / s.write.wallMs;
            // The command builds the report once, after the file dialog.
            const double building = s.report.cpuMs + s.build.cpuMs;
            std::printf("Save Data file: %d DWDM96 records, %.1f MB\n", SaveRecords,
                        s.fileBytes / (1024.0 * 1024.0));
            std::printf("Save Data through the window: %.1f ms until \"Complete Save\" (GUI thread "
                        "CPU %.1f ms), best of %d\n",
                        s.save.wallMs, s.save.cpuMs, Runs);
            std::printf("Save Data plain write of the same bytes (open, one QFile::write, close): "
                        "%.1f ms (CPU %.1f ms), best of %d\n",
                        s.write.wallMs, s.write.cpuMs, Runs);
            std::printf("Save Data plain write flushed to the disk (fdatasync before the close): "
                        "%.1f ms (CPU %.1f ms), best of %d\n",
                        s.writeSync.wallMs, s.writeSync.cpuMs, Runs);
            std::printf("Save Data ratio window/plain write: %.2f (by CPU time %.2f)\n", ratio,
                        s.save.cpuMs / s.write.cpuMs);
            std::printf("Save Data GUI thread blocked: %.1f ms (the whole command runs on it)\n",
                        s.save.wallMs);
            std::printf("Save Data steps (CPU ms, each best of %d): records to a report %.1f, "
                        "CsvReport::bytes %.1f (wall %.1f), QSaveFile open/write/commit %.1f "
                        "(wall %.1f)\n",
                        Runs, s.report.cpuMs, s.build.cpuMs, s.build.wallMs, s.saveFile.cpuMs,
                        s.saveFile.wallMs);
            // Steps timed on their own differ from run to run by more than the small rest of the
            // command, so the shares are estimates and may not add up to exactly 100%.
            std::printf("Save Data building vs writing (CPU, estimated from the steps): building "
                        "the report %.1f ms (%.0f%% of the command's %.1f ms); "
                        "writing through QSaveFile %.1f ms (%.0f%%)\n",
                        building, percent(building, s.save.cpuMs), s.save.cpuMs, s.saveFile.cpuMs,
                        percent(s.saveFile.cpuMs, s.save.cpuMs));
            std::printf("Save Data bytes rebuilt here %s the file Save Data wrote\n",
                        s.sameBytes ? "are identical to" : "DIFFER from");
            std::fflush(stdout);
            goals.push_back(
                {QStringLiteral("Save Data window/plain write ratio"), ratio, SaveRatioGoal});
            notes.push_back(QStringLiteral("Save Data GUI thread blocked: %1 ms (building %2 ms "
                                           "CPU, QSaveFile %3 ms CPU)")
                                .arg(s.save.wallMs, 0, 'f', 1)
                                .arg(building, 0, 'f', 1)
                                .arg(s.saveFile.cpuMs, 0, 'f', 1));
        }
    }

    {
        const Report report = pdfReport();
        const QString path = files.path() + QStringLiteral("/report.pdf");
        QString error;
        QElapsedTimer t;
        t.start();
        const ReportFormats::Outcome outcome =
            ReportFormats::writeFile(ReportFormats::format("pdf"), report, path, &error);
        const double ms = double(t.nsecsElapsed()) / 1e6;
        if (outcome != ReportFormats::Outcome::Written) {
            std::printf("PDF report FAILED: %s\n", qPrintable(error));
            failed = true;
        } else {
            const double kb = double(QFile(path).size()) / 1024.0;
            std::printf("PDF report of %d CWDM18 records, every channel and loss judged: %.0f ms, "
                        "%.0f KB (%.1f KB per record page)\n",
                        PdfRecords, ms, kb, kb / PdfRecords);
            goals.push_back({QStringLiteral("PDF report of 1000 CWDM18 records"), ms, PdfGoalMs,
                             false, QStringLiteral(" ms")});
        }
    }

    for (const char* which : {"json", "pdf"}) {
        const QByteArray name = QByteArray(which).toUpper();
        const PeakResult r = runPeak(which, files.path());
        if (!r.ok) {
            std::printf("%s report of %d records FAILED: %s\n", name.constData(), FullRecords,
                        qPrintable(r.failure));
            failed = true;
            continue;
        }
        std::printf("%s report of %d CWDM18 records, every channel judged, as velumin-export "
                    "writes it: peak memory %.0f MB (VmHWM of a process of its own; %.0f MB "
                    "before writing, the download included), %.1f s, %.1f MB\n",
                    name.constData(), FullRecords, r.peakMb, r.beforeMb, r.ms / 1000.0,
                    double(r.bytes) / (1024.0 * 1024.0));
        std::fflush(stdout);
        goals.push_back({QStringLiteral("%1 report of %2 records, peak memory")
                             .arg(QString::fromLatin1(name))
                             .arg(FullRecords),
                         r.peakMb, PeakGoalMb, false, QStringLiteral(" MB")});
    }

    Bench::printSummary(goals);
    for (const QString& n : notes)
        std::printf("  %s\n", qPrintable(n));
    if (failed)
        std::printf("  an operation FAILED (see above)\n");
    std::fflush(stdout);
    return failed ? 1 : 0;
}
