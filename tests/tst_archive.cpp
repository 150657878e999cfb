#include "app/mainwindow.h"
#include "data/kinds.h"
#include "exportrun.h"
#include "files/archivestore.h"
#include "testsupport.h"
#include "windowharness.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

using ExportRun::contents;
using ExportRun::finish;
using ExportRun::Run;
using TestSupport::measurement;
using WindowHarness::startMeter;

// The archive against real SQLite files: what a download leaves there reads back to the same
// report bytes, records are kept once per meter, a killed download keeps what was listed, an
// archive that cannot be written never stops a download, older files are brought up to date.
namespace {

// One value of the archive's file, through a connection of the test's own.
QVariant sql(const QString& path, const QString& statement)
{
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("t"));
        db.setDatabaseName(path);
        QSqlQuery q(db);
        if (db.open() && q.exec(statement) && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("t"));
    return value;
}

Archive::Download download(const QString& serial, int kind)
{
    Archive::Download d;
    d.id = QUuid::createUuid();
    d.meter.product = QStringLiteral("Ruvo730");
    d.meter.serial = serial;
    d.kind = kind;
    d.started = QDateTime::currentDateTime();
    return d;
}

} // namespace

class tst_archive : public QObject {
    Q_OBJECT

    WindowHarness::Session m_session;
    QTemporaryDir m_dir;

    QString archive() const { return m_dir.filePath(QStringLiteral("archive.sqlite")); }

private Q_SLOTS:
    void initTestCase()
    {
        m_session.startWithMeter();
        if (qEnvironmentVariableIsEmpty("VELUMIN_EXPORT"))
            QSKIP("VELUMIN_EXPORT is not set");
        QVERIFY(m_dir.isValid());
    }
    void init()
    {
        QFile::remove(archive());
        QFile::remove(archive() + "-wal");
        QFile::remove(archive() + "-shm");
        qputenv("VELUMIN_ARCHIVE", QFile::encodeName(archive()));
        m_session.beginTest();
    }
    void cleanupTestCase() { m_session.stop(); }

    // Every kind, judged: the reports of the archived download are those of the download.
    void roundTrip_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind = Kind::First; kind <= Kind::Last; ++kind)
            QTest::newRow(qPrintable(kindName(kind))) << kind;
    }
    void roundTrip()
    {
        QFETCH(int, kind);
        const QString limits = m_dir.filePath("limits.json");
        QFile f(limits);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(R"({"min": -40, "max": -5})") > 0);
        f.close();
        MeterSim sim;
        QVERIFY(startMeter(sim, kind, {"--records", "5"}));
        const QString csv = isMpoKind(kind) ? "%1/r%n.csv" : "%1/r.csv";
        const auto reports = [&](const QString& tag) {
            const QString folder = m_dir.filePath(tag);
            QDir().mkpath(folder);
            return QStringList{"--csv", csv.arg(folder), "--json", folder + "/r.json",
                               "--limits", limits, "--quiet"};
        };
        const Run got = ExportRun::run(QStringList{"--port", "COM7", "--type", kindName(kind)} +
                                  reports("port"));
        QVERIFY2(got.status == 0 || got.status == 1, got.err.constData());
        QVERIFY2(!got.err.contains("archive"), got.err.constData());

        const Run listed = ExportRun::run({"--archived"});
        QCOMPARE(listed.status, 0);
        const QJsonObject line = QJsonDocument::fromJson(listed.out).object();
        QCOMPARE(line.value("complete").toBool(), true);
        QCOMPARE(line.value("records").toInt(), 5);
        QCOMPARE(line.value("meter").toObject().value("kind").toString(), kindName(kind));

        const Run again = ExportRun::run(QStringList{"--from-archive", line.value("id").toString()} +
                                    reports("archive"));
        QCOMPARE(again.status, got.status);
        const QStringList files = QDir(m_dir.filePath("port")).entryList(QDir::Files);
        QCOMPARE(files.size(), isMpoKind(kind) ? 6 : 2);
        for (const QString& file : files)
            QCOMPARE(contents(m_dir.filePath("archive/" + file)), contents(m_dir.filePath("port/" + file)));
        QDir(m_dir.filePath("port")).removeRecursively();
        QDir(m_dir.filePath("archive")).removeRecursively();
    }

    // A record is kept once per meter, however many downloads list it, and goes with the last
    // download that lists it.
    void dedupe_data()
    {
        QTest::addColumn<QString>("secondSerial");
        QTest::addColumn<qint16>("secondReading");
        QTest::addColumn<int>("stored");
        QTest::newRow("the same meter again") << "S1" << qint16(-1234) << 3;
        QTest::newRow("one reading changed") << "S1" << qint16(-1235) << 4;
        QTest::newRow("another meter") << "S2" << qint16(-1234) << 6;
    }
    void dedupe()
    {
        QFETCH(QString, secondSerial);
        QFETCH(qint16, secondReading);
        QFETCH(int, stored);
        ArchiveStore store(archive());
        QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
        const auto records = [](qint16 reading) {
            QList<Archive::Entry> entries;
            for (int i = 0; i < 3; ++i) {
                TestSupport::Values v;
                v.index = i;
                v.total = 3;
                v.name = "REC-" + QByteArray::number(i);
                const qint16 last = i == 2 ? reading : qint16(-1234);
                entries.append({measurement(Kind::CWDM18, {qint16(-500 * i), last}, v), true});
            }
            return entries;
        };
        const Archive::Download first = download("S1", Kind::CWDM18);
        const Archive::Download second = download(secondSerial, Kind::CWDM18);
        QVERIFY(store.begin(first) && store.add(first.id, records(-1234)));
        QVERIFY(store.begin(second) && store.add(second.id, records(secondReading)));
        QCOMPARE(sql(archive(), "SELECT count(*) FROM records").toInt(), stored);
        QVERIFY(store.remove(first.id));
        QCOMPARE(sql(archive(), "SELECT count(*) FROM records").toInt(), 3);
        QList<Archive::Entry> back;
        QVERIFY(store.records(second.id, &back));
        QCOMPARE(back.size(), 3);
        QCOMPARE(back.at(2).record.readings, records(secondReading).at(2).record.readings);
        QCOMPARE(back.at(2).record.name, records(secondReading).at(2).record.name);
        QVERIFY(store.remove(second.id));
        QCOMPARE(sql(archive(), "SELECT count(*) FROM records").toInt(), 0);
    }

    // Killed during a download: what was listed a second before is there, marked incomplete,
    // and the file is sound.
    void killedDuringTheDownload()
    {
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "400", "--delay", "20"}));
        QProcess p;
        ExportRun::start(p, {"--port", "COM7", "--type", "CWDM18", "--csv", m_dir.filePath("k.csv")});
        // A request for record n + 1 goes out once record n is listed.
        QVERIFY(sim.waitForRequests(60, 20000));
        const int listed = int(sim.requests().size()) - 2;
        QTest::qWait(1100);
        ::kill(pid_t(p.processId()), SIGKILL);
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(sql(archive(), "PRAGMA integrity_check").toString(), QStringLiteral("ok"));
        QCOMPARE(sql(archive(), "SELECT complete FROM downloads").toInt(), 0);
        QVERIFY(sql(archive(), "SELECT count(*) FROM links").toInt() >= listed);
        QVERIFY(sql(archive(), "SELECT records FROM downloads").toInt() >= listed);
    }

    // An archive that cannot be written: one warning line, and the run as without it.
    void unwritable_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("prefix");
        QTest::addColumn<bool>("locked");
        const QString file = m_dir.filePath("archive.sqlite");
        QTest::newRow("a file in place of its folder") << "/dev/null/archive.sqlite" << QByteArray()
                                                       << QStringList() << false;
        QTest::newRow("not a database") << file << QByteArray(8192, 'x') << QStringList() << false;
        QTest::newRow("of a newer version") << file << QByteArray("newer") << QStringList() << false;
        QTest::newRow("locked by another program") << file << QByteArray() << QStringList() << true;
        QTest::newRow("full disk") << file << QByteArray()
                                   << QStringList{"prlimit", "--fsize=32768"} << false;
    }
    void unwritable()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, prefix);
        QFETCH(bool, locked);
        qputenv("VELUMIN_ARCHIVE", QFile::encodeName(path));
        if (bytes == "newer") {
            ArchiveStore(path).isOpen();
            sql(path, "PRAGMA user_version = 99");
        } else if (!bytes.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
        }
        const QByteArray before = contents(path);
        QSqlDatabase lock;
        if (locked) {
            QVERIFY(ArchiveStore(path).isOpen());
            lock = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lock"));
            lock.setDatabaseName(path);
            QVERIFY(lock.open());
            QVERIFY(QSqlQuery(lock).exec(QStringLiteral("BEGIN EXCLUSIVE")));
        }
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "30"}));
        const QString csv = m_dir.filePath("u.csv");
        const Run run =
            ExportRun::run({"--port", "COM7", "--type", "CWDM18", "--csv", csv, "--quiet"}, prefix);
        if (locked) {
            QSqlQuery(lock).exec(QStringLiteral("ROLLBACK"));
            lock.close();
            lock = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("lock"));
        }
        QCOMPARE(run.status, 0);
        const QList<QByteArray> lines = run.err.trimmed().split('\n');
        QCOMPARE(lines.count(), 1);
        QVERIFY2(lines.first().startsWith("velumin-export: warning: the archive " + path.toUtf8() +
                                          " cannot be written ("),
                 run.err.constData());
        // The heading, its rule, a blank line, two label rows and every record.
        QCOMPARE(contents(csv).count('\n'), 5 + 30);
        if (bytes == "newer" || bytes.size() > 5)
            QCOMPARE(contents(path), before);
    }

    // In the window: a note in the status bar, and one message however many downloads fail.
    void unwritableInTheWindow()
    {
        qputenv("VELUMIN_ARCHIVE", "/dev/null/archive.sqlite");
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "3"}));
        MainWindow w;
        WindowHarness::connectAs(w, TestSupport::deviceIndexFor(Kind::CWDM18));
        for (int i = 0; i < 2; ++i) {
            TestSupport::child<QAction>(w, "actionGetData")->trigger();
            QTRY_COMPARE_WITH_TIMEOUT(m_session.completions(), i + 1, 10000);
        }
        auto* notice = w.findChild<QLabel*>(QStringLiteral("labelArchiveNotice"));
        QTRY_VERIFY(notice && notice->text() == QStringLiteral("Not archived"));
        QCOMPARE(m_session.count([](const Prompts::Request& p) { return p.title == "Archive"; }), 1);
    }

    // A file of the first version is brought up to date, its downloads counted.
    void migratesTheFirstVersion()
    {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("v1"));
            db.setDatabaseName(archive());
            QString error;
            QVERIFY(db.open() && ArchiveStore::migrate(db, 1, &error));
            QSqlQuery q(db);
            const QByteArray readings(2 * kindInfo(Kind::CWDM18)->stored, '\x10');
            QVERIFY(q.exec("INSERT INTO meters VALUES (1, 'S1', 1)"));
            QVERIFY(q.exec("INSERT INTO downloads (id, uuid, meter, product, serial, hardware, "
                           "firmware, build, hw_ver, fw_ver, kind, total, started, complete) "
                           "VALUES (1, '6d1f0000-0000-4000-8000-000000000001', 1, 'Ruvo730', "
                           "'S1', 'V1', 'V2', '', 0, 0, 1, 2, 0, 1)"));
            q.prepare("INSERT INTO records VALUES (?, 1, ?, 0, 0, zeroblob(16), ?, x'', 4, 0, 0)");
            for (int id = 1; id <= 2; ++id) {
                q.addBindValue(id);
                q.addBindValue(id);
                q.addBindValue(readings);
                QVERIFY(q.exec());
            }
            QVERIFY(q.exec("INSERT INTO links VALUES (1, 0, 1, 1), (1, 1, 2, 0)"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("v1"));
        ArchiveStore store(archive());
        QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
        QCOMPARE(sql(archive(), "PRAGMA user_version").toInt(), ArchiveStore::SchemaVersion);
        const QList<Archive::Download> downloads = store.downloads();
        QCOMPARE(downloads.size(), 1);
        QCOMPARE(downloads.first().records, 2);
        QCOMPARE(downloads.first().judged, 2);
        QCOMPARE(downloads.first().failed, 1);
        QList<Archive::Entry> entries;
        QVERIFY(store.records(downloads.first().id, &entries));
        QCOMPARE(entries.size(), 2);
        QCOMPARE(entries.at(1).record.dbm(0), 0x1010 / 100.0);
    }

    // Two programs download into one archive at once: both downloads are kept whole.
    void twoWritersAtOnce()
    {
        MeterSim a, b;
        QVERIFY(startMeter(a, Kind::CWDM18, {"--records", "40"}));
        QVERIFY(b.start({"--kind", "1", "--serial", "RV7300999", "--records", "40"}));
        QProcess pa, pb;
        ExportRun::start(pa, {"--port", "COM7", "--type", "CWDM18", "--csv", m_dir.filePath("a.csv"),
                         "--quiet"});
        ExportRun::start(pb, {"--port", b.pty(), "--type", "CWDM18", "--csv", m_dir.filePath("b.csv"),
                         "--quiet"});
        const Run ra = finish(pa), rb = finish(pb);
        QCOMPARE(ra.status, 0);
        QCOMPARE(rb.status, 0);
        QVERIFY2(!ra.err.contains("archive") && !rb.err.contains("archive"), ra.err + rb.err);
        QCOMPARE(sql(archive(), "SELECT count(*) FROM downloads WHERE complete AND records = 40")
                     .toInt(),
                 2);
    }
};

QTEST_MAIN(tst_archive)
#include "tst_archive.moc"
