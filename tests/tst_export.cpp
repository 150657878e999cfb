#include "app/mainwindow.h"
#include "app/prompts.h"
#include "data/kinds.h"
#include "data/displayunit.h"
#include "exportrun.h"
#include "files/archivestore.h"
#include "metersim.h"
#include "windowharness.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

using ExportRun::contents;
using ExportRun::finish;
using ExportRun::Run;
using WindowHarness::child;
using WindowHarness::connectAs;
using WindowHarness::deviceIndexFor;
using WindowHarness::startMeter;

// velumin-export end to end against the simulated meter: its reports hold what the window shows
// and saves for the same meter, and every way a run can end gives its exit status, one line on
// standard error and no half-written file.
namespace {

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// What the window shows and saves after downloading every record.
struct WindowView {
    QByteArray csv;
    QStringList identity;      // product, serial, hardware, firmware
    QList<QStringList> list;   // the record list's rows
    QList<QStringList> detail; // the detail rows of the selected record
};

} // namespace

class tst_export : public QObject {
    Q_OBJECT

    WindowHarness::Session m_session;
    QString m_saveAnswer;
    // Files the rows of a data-driven test name: they exist before the rows are made.
    QTemporaryDir m_scratch;

    static QString program() { return ExportRun::program(); }
    static void startExport(QProcess& p, const QStringList& args) { ExportRun::start(p, args); }
    static Run runExport(const QStringList& args) { return ExportRun::run(args); }

    // Downloads every record in the window, selects record `selected` and saves the report.
    WindowView windowView(int kind, int selected, const QString& csvPath)
    {
        WindowView v;
        MainWindow w;
        // Retries come sooner than the window's own, so that the fault rows stay short.
        w.setRetryIntervalMs(300);
        connectAs(w, deviceIndexFor(kind));
        if (QTest::currentTestFailed())
            return v;
        child<QAction>(w, "actionGetData")->trigger();
        [&] { QTRY_COMPARE_WITH_TIMEOUT(m_session.completions(), 1, 20000); }();
        auto* list = child<QTreeWidget>(w, "treeData");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            v.list << QStringList{list->topLevelItem(i)->text(0), list->topLevelItem(i)->text(2)};
        list->setCurrentItem(list->topLevelItem(selected));
        auto* detail = child<QTreeWidget>(w, "treeDetailData");
        for (int i = 0; i < detail->topLevelItemCount(); ++i) {
            QStringList cells;
            for (int c = 0; c < 4; ++c)
                cells << detail->topLevelItem(i)->text(c);
            v.detail << cells;
        }
        for (const char* name : {"editProductNum", "editSerialNum", "editHwVer", "editFwVer"})
            v.identity << child<QLineEdit>(w, name)->text();
        m_saveAnswer = csvPath;
        child<QAction>(w, "actionSaveData")->trigger();
        v.csv = contents(csvPath);
        return v;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The window's name, so that the window here and velumin-export share one settings store.
        QCoreApplication::setApplicationName(QStringLiteral("velumin"));
        m_session.startWithMeter();
        if (program().isEmpty())
            QSKIP("VELUMIN_EXPORT is not set");
        QApplication::setQuitOnLastWindowClosed(false);
        QVERIFY(m_scratch.isValid());
        QCOMPARE(mkfifo(QFile::encodeName(m_scratch.filePath("pipe")).constData(), 0600), 0);
        Prompts::setFileResponder([this](const Prompts::FileRequest&) { return m_saveAnswer; });
    }
    void cleanupTestCase()
    {
        m_session.stop();
        Prompts::setFileResponder({});
    }
    void init() { m_session.beginTest(); }

    // For every kind, and through faults on the line: the CSV report has the bytes of the
    // window's Save Data, and the JSON document holds the identity, the record list and the
    // detail rows the window shows.
    void reportsMatchTheWindow_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QStringList>("exportArgs");
        QTest::addColumn<bool>("storedFreq");
        for (int kind = Kind::First; kind <= Kind::Last; ++kind)
            QTest::addRow("%s", qPrintable(kindName(kind)))
                << kind << QStringList{"--records", "4"} << QStringList() << false;
        QTest::newRow("DWDM48 with totals, by frequency")
            << int(Kind::DWDM48) << QStringList{"--records", "4", "--dwdm48-big"}
            << QStringList{"--unit", "thz"} << true;
        QTest::newRow("DWDM96, the stored unit THz")
            << int(Kind::DWDM96) << QStringList{"--records", "3"} << QStringList() << true;
        QTest::newRow("CWDM18 by frequency, labelled in nm")
            << int(Kind::CWDM18) << QStringList{"--records", "3"} << QStringList() << true;
        QTest::newRow("Tarnex57 by frequency, labelled in nm")
            << int(Kind::Tarnex57) << QStringList{"--records", "3"} << QStringList() << true;
        QTest::newRow("CWDM18, every third answer dropped")
            << int(Kind::CWDM18) << QStringList{"--records", "4", "--drop-every", "3"}
            << QStringList() << false;
        QTest::newRow("DWDM96, garbage between answers")
            << int(Kind::DWDM96) << QStringList{"--records", "2", "--garbage"} << QStringList()
            << false;
        QTest::newRow("Tarnex64, a slow meter")
            << int(Kind::Tarnex64) << QStringList{"--records", "3", "--delay", "300"}
            << QStringList() << false;
    }
    void reportsMatchTheWindow()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, exportArgs);
        QFETCH(bool, storedFreq);
        DisplayUnit::storeIndex(storedFreq ? 1 : 0);
        QTemporaryDir dir;
        MeterSim sim;
        QVERIFY(startMeter(sim, kind, simArgs));
        const int selected = 2;
        const WindowView window = windowView(kind, selected, dir.filePath("window.csv"));
        if (QTest::currentTestFailed())
            return;

        // --unit holds whatever the window stored since.
        if (exportArgs.contains("--unit"))
            DisplayUnit::storeIndex(storedFreq ? 0 : 1);
        const QString csv = dir.filePath("export.csv");
        const QString json = dir.filePath("export.json");
        QStringList args{"--port", "COM7", "--type", kindName(kind).toLower(),
                         "--csv",  csv,    "--json", json};
        if (isMpoKind(kind))
            args << "--record" << QString::number(selected);
        const Run run = runExport(args + exportArgs);
        QCOMPARE(run.status, 0);
        QCOMPARE(contents(csv), window.csv);

        const QJsonObject doc = QJsonDocument::fromJson(contents(json)).object();
        const QJsonObject meter = doc.value("meter").toObject();
        QCOMPARE(
            (QStringList{meter.value("product").toString(), meter.value("serial").toString(),
                         meter.value("hardware").toString(), meter.value("firmware").toString()}),
            window.identity);
        QCOMPARE(meter.value("kind").toString(), kindName(kind));
        const QJsonArray records = doc.value("records").toArray();
        QCOMPARE(records.size(), window.list.size());
        for (int i = 0; i < records.size(); ++i) {
            const QJsonObject r = records.at(i).toObject();
            QCOMPARE(r.value("index").toInt(), i);
            QCOMPARE(r.value("name").toString(), window.list.at(i).at(0));
            QCOMPARE(r.value("date").toString() + ' ' + r.value("time").toString(),
                     window.list.at(i).at(1));
            QVERIFY(!r.contains("verdict"));
        }
        const QJsonArray channels = records.at(selected).toObject().value("channels").toArray();
        QCOMPARE(channels.size(), window.detail.size());
        const int labelColumn = isMpoKind(kind) ? 1 : 2;
        // Kinds without a frequency table, and the Tarnex kinds whose rows are labelled by
        // wavelength, say nm whatever the unit shown.
        const KindInfo* info = kindInfo(kind);
        const bool byFrequency = storedFreq && info->frequencies && kind != Kind::Tarnex56 &&
                                 kind != Kind::Tarnex57 && kind != Kind::Tarnex64;
        const QString unit = byFrequency ? "THz" : "nm";
        for (int i = 0; i < channels.size(); ++i) {
            const QJsonObject c = channels.at(i).toObject();
            const QStringList& shown = window.detail.at(i);
            QCOMPARE(c.value("unit").toString(), unit);
            // The position is the channel's place in the kind's table, whatever the record holds.
            const int position = c.value("position").toInt();
            if (isMpoKind(kind))
                QCOMPARE(position, i + 1);
            else if (!c.value("total").toBool())
                QCOMPARE(
                    (byFrequency ? info->frequencies() : info->wavelengths()).value(position - 1),
                    shown.at(labelColumn));
            QCOMPARE(c.value("number").isNull() ? QString()
                                                : QString::number(c.value("number").toInt()),
                     shown.at(0));
            QCOMPARE(c.value("label").toString(), shown.at(labelColumn));
            QCOMPARE(c.value("text").toString(), shown.at(3));
            if (shown.at(3) != "Low" && shown.at(3) != "High")
                QCOMPARE(QString::number(c.value("value").toDouble(), 'g', 6), shown.at(3));
            QVERIFY(!c.contains("verdict"));
        }
    }

    // Limits judge every record: the exit status says whether all passed, the JSON says which
    // channel failed, and a failure to write wins over a failed record.
    void limits_data()
    {
        QTest::addColumn<QByteArray>("limits");
        QTest::addColumn<bool>("writable");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        QTest::newRow("every record passes")
            << QByteArray(R"({"min": -70, "max": 5})") << true << 0 << "every one passed";
        QTest::newRow("records fail")
            << QByteArray(R"({"min": -20, "max": 0, "channels": {"2": {"check": false}}})") << true
            << 1 << "3 of 3 records failed their limits (No 1, 2, 3)";
        QTest::newRow("failed, and the report cannot be written")
            << QByteArray(R"({"min": -20})") << false << 6 << "cannot write";
        // Limits that judge no channel of the kind would pass every record.
        QTest::newRow("limits that check nothing")
            << QByteArray("{}") << true << 2 << "velumin-export: the limits check no channel of CWDM-18\n";
        QTest::newRow("limits for another kind")
            << QByteArray(R"({"kind": "DWDM48", "min": -70})") << true << 2
            << "the limits were made for DWDM-48 and check no channel of CWDM-18";
        QTest::newRow("overrides the kind lacks")
            << QByteArray(R"({"min": -70, "max": 5, "channels": {"19": {}, "30": {}}})") << true
            << 0 << "warning: the limits hold overrides for channels that CWDM-18 lacks: 19, 30";
    }
    void limits()
    {
        QFETCH(QByteArray, limits);
        QFETCH(bool, writable);
        QFETCH(int, status);
        QFETCH(QString, line);
        QTemporaryDir dir;
        const QString limitsFile = dir.filePath("limits.json");
        QVERIFY(writeFile(limitsFile, limits));
        const QString json = dir.filePath(writable ? "out.json" : "missing/out.json");
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "3"}));
        const Run run = runExport(
            {"--port", "COM7", "--type", "CWDM18", "--limits", limitsFile, "--json", json});
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(line.toUtf8()), run.err.constData());
        QCOMPARE(QFileInfo::exists(json), writable && status != 2);
        if (!writable || status == 2)
            return;
        const QJsonArray records =
            QJsonDocument::fromJson(contents(json)).object().value("records").toArray();
        QCOMPARE(records.size(), 3);
        for (const QJsonValue& record : records) {
            const QJsonObject r = record.toObject();
            bool failed = false;
            for (const QJsonValue& channel : r.value("channels").toArray()) {
                const QJsonObject c = channel.toObject();
                const double dbm = c.value("value").toDouble();
                // Channel 2 is not checked; the others against -20..0 dBm.
                const QString expected = c.value("number").toInt() == 2 && status != 0 ? QString()
                                         : status == 0 ? QStringLiteral("PASS")
                                         : dbm < -20   ? QStringLiteral("LOW")
                                         : dbm > 0     ? QStringLiteral("HIGH")
                                                       : QStringLiteral("PASS");
                QCOMPARE(c.value("verdict").toString(), expected);
                QCOMPARE(c.contains("verdict"), !expected.isEmpty());
                failed = failed || (expected != "PASS" && !expected.isEmpty());
            }
            QCOMPARE(r.value("verdict").toString(), failed ? "FAIL" : "PASS");
        }
    }

    // Loss against a reference file or a record of the download: the status, the line, every
    // record's loss verdict in the JSON report, and the reference kept in the archive.
    void loss_data()
    {
        QTest::addColumn<QStringList>("reference"); // --reference FILE's contents, or the option
        QTest::addColumn<QByteArray>("budget");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("verdicts");
        QByteArray launch = R"({"name": "launch", "kind": "CWDM18", "channels": {)";
        for (int position = 1; position <= 18; ++position)
            launch += (position > 1 ? ", " : "") + QByteArray::number(position).prepend('"') +
                      "\": 20";
        launch += "}}";
        const QStringList file{"--reference", QString::fromUtf8(launch)};
        QTest::newRow("every loss within the budget")
            << file << QByteArray(R"({"maxLoss": 100})") << 0 << "every one passed"
            << QStringList{"PASS", "PASS", "PASS"};
        QTest::newRow("every loss over the budget")
            << file << QByteArray(R"({"maxLoss": 5})") << 1
            << "3 of 3 records failed their loss budget (No 1, 2, 3)"
            << QStringList{"FAIL", "FAIL", "FAIL"};
        // Record 0 as the reference: the others read brighter on the channels the simulated
        // meter drives high, which only a reference to set again explains.
        QTest::newRow("a record of the download")
            << QStringList{"--reference-record", "0"} << QByteArray(R"({"maxLoss": 100})") << 1
            << "2 of 3 records need the reference set again" << QStringList{"PASS", "CHECK REF", "CHECK REF"};
        QTest::newRow("a reference of another kind")
            << QStringList{"--reference", R"({"kind": "DWDM48", "channels": {"1": 0}})"}
            << QByteArray(R"({"maxLoss": 3})") << 2
            << "the reference was made for DWDM-48, not CWDM-18" << QStringList();
    }
    void loss()
    {
        QFETCH(QStringList, reference);
        QFETCH(QByteArray, budget);
        QFETCH(int, status);
        QFETCH(QString, line);
        QFETCH(QStringList, verdicts);
        QTemporaryDir dir;
        qputenv("VELUMIN_ARCHIVE", QFile::encodeName(dir.filePath("archive.sqlite")));
        QStringList args{"--port", "COM7", "--type", "CWDM18", "--json", dir.filePath("out.json"),
                         "--budget", dir.filePath("budget.json")};
        QVERIFY(writeFile(dir.filePath("budget.json"), budget));
        if (reference.first() == "--reference") {
            QVERIFY(writeFile(dir.filePath("reference.json"), reference.last().toUtf8()));
            args << "--reference" << dir.filePath("reference.json");
        } else {
            args << reference;
        }
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "3"}));
        const Run run = runExport(args);
        qunsetenv("VELUMIN_ARCHIVE");
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(line.toUtf8()), run.err.constData());
        if (status == 2)
            return;
        QStringList got;
        for (const QJsonValue& r : QJsonDocument::fromJson(contents(dir.filePath("out.json")))
                                       .object()
                                       .value("records")
                                       .toArray())
            got << r.toObject().value("lossVerdict").toString();
        QCOMPARE(got, verdicts);
        QProcess list;
        list.setProcessEnvironment([&dir] {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("VELUMIN_ARCHIVE", dir.filePath("archive.sqlite"));
            return env;
        }());
        startExport(list, {"--archived"});
        const QByteArray id =
            QJsonDocument::fromJson(finish(list).out).object().value("id").toString().toUtf8();
        ArchiveStore store(dir.filePath("archive.sqlite"));
        const std::optional<Archive::Download> d = store.download(QString::fromUtf8(id));
        QVERIFY(d && d->reference.isSet() && d->budget.isSet());
    }

    // Runs that end before a report: the status, and the one line that says why.
    void endsEarly_data()
    {
        QTest::addColumn<QStringList>("simArgs");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        const QStringList meter{"--port", "COM7", "--type", "CWDM18"};
        QTest::newRow("no options") << QStringList() << QStringList() << 2 << "--port is missing";
        QTest::newRow("unknown type")
            << QStringList() << QStringList{"--port", "COM7", "--type", "X9"} << 2
            << "--type X9: not a meter type";
        QTest::newRow("MPO report without a record")
            << QStringList() << QStringList{"--port", "COM7", "--type", "MPO12", "--csv", "x.csv"}
            << 2 << "an MPO meter's CSV report holds one record";
        QTest::newRow("limits file not JSON")
            << QStringList() << meter + QStringList{"--limits", "/etc/hostname"} << 2
            << "the limits file /etc/hostname cannot be used";
        const QString pipe = m_scratch.filePath("pipe");
        QTest::newRow("limits file a pipe without a writer")
            << QStringList() << meter + QStringList{"--limits", pipe} << 2
            << "the limits file " + pipe + " cannot be used: it is not a regular file";
        QTest::newRow("limits file /dev/zero")
            << QStringList() << meter + QStringList{"--limits", "/dev/zero"} << 2
            << "the limits file /dev/zero cannot be used: it is not a regular file";
        // An unset variable in a script is not an option left out.
        QTest::newRow("empty --limits") << QStringList() << meter + QStringList{"--limits", ""} << 2
                                        << "--limits has an empty value";
        QTest::newRow("empty --csv")
            << QStringList() << meter + QStringList{"--csv", "", "--json", "x.json"} << 2
            << "--csv has an empty value";
        QTest::newRow("empty --port") << QStringList() << QStringList{"--port", "", "--type", "1"}
                                      << 2 << "--port has an empty value";
        QTest::newRow("empty --unit") << QStringList() << meter + QStringList{"--unit", ""} << 2
                                      << "--unit has an empty value";
        const QString folder = QDir(m_scratch.path()).canonicalPath();
        QTest::newRow("two reports to one file")
            << QStringList()
            << meter + QStringList{"--csv", folder + "/same", "--json", folder + "/./same"} << 2
            << "--csv and --json name one file, " + folder + "/same";
        QTest::newRow("a record's CSV file onto the JSON report")
            << QStringList() << QStringList{"--port", "COM7",
                                            "--type", "MPO12",
                                            "--csv",  folder + "/r%n.json",
                                            "--json", folder + "/r12.json"}
            << 2 << "--csv and --json name one file, " + folder + "/r12.json";
        QTest::newRow("a report onto the limits file")
            << QStringList()
            << meter + QStringList{"--limits", folder + "/limits.json", "--pdf",
                                   folder + "/limits.json"}
            << 2 << "--pdf and --limits name one file";
        QTest::newRow("a meter of another type")
            << QStringList()
            << QStringList{"--port",    "COM7", "--type", "DWDM48",
                           "--timeout", "1",    "--csv",  m_scratch.filePath("x.csv")}
            << 5
            << "the meter answers, but not to requests for DWDM-48 records: check the device "
               "type";
        QTest::newRow("no such port")
            << QStringList() << QStringList{"--port", "COM90", "--type", "1"} << 3
            << "COM90 (/dev/ttyACM25) does not exist";
        QTest::newRow("not a serial port")
            << QStringList() << QStringList{"--port", "/dev/null", "--type", "1"} << 3
            << "/dev/null cannot be opened";
        QTest::newRow("silent meter")
            << QStringList{"--silent"} << meter + QStringList{"--timeout", "1"} << 4
            << "no answer from the meter on COM7 within 1 s";
        QTest::newRow("report into a missing folder")
            << QStringList() << meter + QStringList{"--csv", "/nonexistent/x.csv"} << 6
            << "cannot write /nonexistent/x.csv: its folder does not exist";
        QTest::newRow("the identity, on the chooser's third entry")
            << QStringList() << QStringList{"--port", "COM7", "--type", "Vendral-8 (Ruvo 710)"} << 0
            << "";
    }
    void endsEarly()
    {
        QFETCH(QStringList, simArgs);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, line);
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, simArgs));
        const Run run = runExport(args);
        QCOMPARE(run.status, status);
        if (status == 0) {
            QCOMPARE(run.out, QByteArray("product: Ruvo730\nserial: RV7300123\nhardware: V1.2.10\n"
                                         "firmware: V3.7.4\nbuild: 2026-03-14 10:22:31\n"
                                         "kind: DWDM96\n"));
            QCOMPARE(run.err, QByteArray());
            return;
        }
        QCOMPARE(run.out, QByteArray());
        QVERIFY2(run.err.startsWith("velumin-export: " + line.toUtf8()), run.err.constData());
    }

    // Ended during the download, by the meter going away or by an interrupt: the status, the
    // port free again, and an existing report as it was.
    void endsDuringTheDownload_data()
    {
        QTest::addColumn<bool>("interrupt");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line");
        QTest::newRow("meter gone") << false << 5 << "the meter went away after";
        QTest::newRow("interrupted") << true << 130 << "interrupted; no report was written";
    }
    void endsDuringTheDownload()
    {
        QFETCH(bool, interrupt);
        QFETCH(int, status);
        QFETCH(QString, line);
        QTemporaryDir dir;
        const QString csv = dir.filePath("report.csv");
        QVERIFY(writeFile(csv, "earlier report\n"));
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "40", "--delay", "20"}));
        QProcess p;
        startExport(p, {"--port", "COM7", "--type", "CWDM18", "--csv", csv, "--pdf",
                        dir.filePath("report.pdf")});
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += p.readAllStandardError()).contains("10%"), 10000);
        if (interrupt)
            ::kill(pid_t(p.processId()), SIGINT);
        else
            sim.stop();
        const Run run = finish(p);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains("velumin-export: " + line.toUtf8()), run.err.constData());
        QCOMPARE(contents(csv), QByteArray("earlier report\n"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"report.csv"});
        if (interrupt) {
            // The port was closed: the meter can be read again at once.
            const Run again = runExport({"--port", "COM7", "--type", "CWDM18", "--quiet"});
            QCOMPARE(again.status, 0);
        }
    }

    // A report that cannot be written once the download is in: the report written before it
    // does not replace its older file either, and no temporary file is left.
    void allReportsOrNone()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir("kept") && QDir(dir.path()).mkdir("gone"));
        const QString csv = dir.filePath("kept/report.csv");
        QVERIFY(writeFile(csv, "earlier report\n"));
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "20", "--delay", "20"}));
        QProcess p;
        const QString pdf = dir.filePath("gone/report.pdf");
        startExport(p, {"--port", "COM7", "--type", "CWDM18", "--csv", csv, "--pdf", pdf});
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += p.readAllStandardError()).contains("10%"), 10000);
        QVERIFY(QDir(dir.filePath("gone")).removeRecursively());
        const Run run = finish(p);
        QCOMPARE(run.status, 6);
        QVERIFY2(run.err.contains("velumin-export: cannot write " + pdf.toUtf8() + ": "),
                 run.err.constData());
        QVERIFY2(run.err.contains("; no report was written\n"), run.err.constData());
        QCOMPARE(contents(csv), QByteArray("earlier report\n"));
        QCOMPARE(QDir(dir.filePath("kept")).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"report.csv"});
    }

    // Interrupted while standard output, written last, takes no more: the files were committed
    // and the line says so; the run ends although the reader never reads.
    void interruptedWritingToStandardOutput()
    {
        QTemporaryDir dir;
        const QString csv = dir.filePath("report.csv");
        QVERIFY(writeFile(csv, "earlier report\n"));
        const QString pipe = dir.filePath("out");
        QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const int reader = ::open(QFile::encodeName(pipe).constData(), O_RDONLY | O_NONBLOCK);
        QVERIFY(reader >= 0);
        MeterSim sim;
        // Far more PDF than a pipe holds.
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "60"}));
        QProcess p;
        p.setStandardOutputFile(pipe);
        startExport(p,
                    {"--port", "COM7", "--type", "CWDM18", "--quiet", "--csv", csv, "--pdf", "-"});
        QTRY_VERIFY_WITH_TIMEOUT(contents(csv) != "earlier report\n", 30000);
        ::kill(pid_t(p.processId()), SIGTERM);
        const Run run = finish(p);
        ::close(reader);
        QCOMPARE(run.status, 130);
        QCOMPARE(run.err, "velumin-export: interrupted; written: " + csv.toUtf8() +
                              "; not written: standard output\n");
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"report.csv"});
    }

    // The program's debug lines stay off the terminal unless a logging rule turns them on.
    void logsOnlyWhenAsked_data()
    {
        QTest::addColumn<QString>("rules");
        QTest::addColumn<bool>("logged");
        QTest::newRow("by default") << QString() << false;
        QTest::newRow("QT_LOGGING_RULES") << "velumin.*.debug=true" << true;
    }
    void logsOnlyWhenAsked()
    {
        QFETCH(QString, rules);
        QFETCH(bool, logged);
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "2"}));
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QT_LOGGING_RULES");
        if (!rules.isEmpty())
            env.insert("QT_LOGGING_RULES", rules);
        p.setProcessEnvironment(env);
        startExport(p, {"--port", "COM7", "--type", "CWDM18", "--quiet", "--csv", "-"});
        const Run run = finish(p);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.err.isEmpty(), !logged);
    }

    // MPO meters: one CSV file per record from a pattern, and a record on standard output.
    void mpoFiles()
    {
        QTemporaryDir dir;
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::MPO16, {"--records", "3"}));
        const Run all = runExport({"--port", "COM7", "--type", "mpo16", "--quiet", "--csv",
                                   dir.filePath("fibres-%n.csv")});
        QCOMPARE(all.status, 0);
        QCOMPARE(all.err, QByteArray());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 (QStringList{"fibres-0.csv", "fibres-1.csv", "fibres-2.csv"}));
        const Run one = runExport(
            {"--port", "COM7", "--type", "MPO16", "--quiet", "--csv", "-", "--record", "1"});
        QCOMPARE(one.status, 0);
        QCOMPARE(one.out, contents(dir.filePath("fibres-1.csv")));
        const Run beyond = runExport(
            {"--port", "COM7", "--type", "MPO16", "--quiet", "--csv", "-", "--record", "3"});
        QCOMPARE(beyond.status, 2);
        QCOMPARE(beyond.out, QByteArray());
        QVERIFY2(beyond.err.contains("--record 3: the meter holds 3 records"),
                 beyond.err.constData());
    }

    // --list: the meter's port, marked, with the device it opens.
    void listsTheMeter()
    {
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {}));
        const Run run = runExport({"--list"});
        QCOMPARE(run.status, 0);
        const QByteArray line =
            "COM7\t" + sim.pty().toUtf8() + "\tSTMicroelectronics Virtual COM Port\tmeter\n";
        QVERIFY2(run.out.split('\n').contains(line.chopped(1)), run.out.constData());
    }
};

QTEST_MAIN(tst_export)
#include "tst_export.moc"
