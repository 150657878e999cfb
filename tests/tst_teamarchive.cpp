#include "app/mainwindow.h"
#include "data/kinds.h"
#include "data/settingsstore.h"
#include "exportrun.h"
#include "files/archivestore.h"
#include "files/teamconnection.h"
#include "logcapture.h"
#include "testsupport.h"
#include "windowharness.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using ExportRun::contents;
using ExportRun::Run;
using TestSupport::measurement;
using WindowHarness::startMeter;

// The team archive against a real PostgreSQL server, started for the tests (VELUMIN_TEST_PG_STATE
// names its state file, VELUMIN_PGCLUSTER the script that halts and resumes it): what is pushed
// reads back to the same report bytes, nothing is stored twice or half, a server that is down or
// refuses the password never costs a download, and the password is kept nowhere.
namespace {

QString stateField(const char* key)
{
    const QList<QByteArray> lines =
        contents(qEnvironmentVariable("VELUMIN_TEST_PG_STATE")).split('\n');
    for (const QByteArray& line : lines) {
        if (line.startsWith(QByteArray(key) + '='))
            return QString::fromUtf8(line.mid(int(qstrlen(key)) + 1));
    }
    return QString();
}

// One value from the team archive, through a connection of the test's own.
QVariant teamValue(const QString& statement)
{
    QVariant value;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("t"));
        QString error;
        QSqlQuery q(db);
        if (TeamConnection::configure(db, stateField("url"), &error) && db.open() &&
            q.exec(statement) && q.next())
            value = q.value(0);
    }
    QSqlDatabase::removeDatabase(QStringLiteral("t"));
    return value;
}

bool cluster(const char* command)
{
    return QProcess::execute(
               qEnvironmentVariable("VELUMIN_PGCLUSTER"),
               {QString::fromLatin1(command), qEnvironmentVariable("VELUMIN_TEST_PG_STATE")}) == 0;
}

// Downloads whose links are not all there: none, when every push was whole.
const char* partial = "SELECT count(*) FROM downloads d WHERE d.records <> "
                      "(SELECT count(*) FROM links WHERE download = d.id)";

} // namespace

class tst_teamarchive : public QObject {
    Q_OBJECT

    WindowHarness::Session m_session;
    QTemporaryDir m_dir;

    QString archive() const { return m_dir.filePath(QStringLiteral("archive.sqlite")); }

    // `downloads` complete downloads of `records` CWDM-18 records in this computer's archive;
    // the first half of them list the same records.
    void fillLocal(int downloads, int records)
    {
        ArchiveStore store(archive());
        QVERIFY2(store.transaction([&] {
            for (int d = 0; d < downloads; ++d) {
                Archive::Download dl;
                dl.id = QUuid::createUuid();
                dl.meter.product = QStringLiteral("Ruvo730");
                dl.meter.serial = QStringLiteral("RV1");
                dl.kind = Kind::CWDM18;
                dl.total = records;
                dl.started = QDateTime::currentDateTime().addSecs(d);
                QList<Archive::Entry> entries;
                for (int i = 0; i < records; ++i) {
                    TestSupport::Values v;
                    v.index = i;
                    v.total = records;
                    const qint16 seed = qint16(d < downloads / 2 ? 0 : d);
                    entries.append({measurement(Kind::CWDM18, {qint16(-100 * i), seed}, v), true});
                }
                if (!store.begin(dl) || !store.add(dl.id, entries) ||
                    !store.end(dl.id, dl.started.addSecs(1), true))
                    return false;
            }
            return true;
        }),
                 qPrintable(store.errorText()));
    }

    int waitingHere()
    {
        ArchiveStore store(archive());
        return int(store.waiting().size());
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_session.startWithMeter();
        if (qEnvironmentVariableIsEmpty("VELUMIN_EXPORT") ||
            qEnvironmentVariableIsEmpty("VELUMIN_TEST_PG_STATE"))
            QSKIP("VELUMIN_EXPORT or VELUMIN_TEST_PG_STATE is not set");
        QVERIFY(m_dir.isValid());
    }
    void init()
    {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(archive() + suffix);
        qputenv("VELUMIN_ARCHIVE", QFile::encodeName(archive()));
        qputenv("VELUMIN_TEAM_ARCHIVE", stateField("url").toUtf8());
        qputenv("PGPASSWORD", stateField("password").toUtf8());
        QVERIFY(cluster("resume"));
        teamValue("DROP TABLE IF EXISTS links, records, downloads, meters, velumin_schema CASCADE");
        m_session.beginTest();
    }
    void cleanupTestCase() { m_session.stop(); }

    // Every kind, pushed at the end of its download: the team's reports are the meter's.
    void pushAndReadBack_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind = Kind::First; kind <= Kind::Last; ++kind)
            QTest::newRow(qPrintable(kindName(kind))) << kind;
    }
    void pushAndReadBack()
    {
        QFETCH(int, kind);
        MeterSim sim;
        QVERIFY(startMeter(sim, kind, {"--records", "3"}));
        const QString csv = isMpoKind(kind) ? "%1/r%n.csv" : "%1/r.csv";
        const auto reports = [&](const QString& tag) {
            const QString folder = m_dir.filePath(tag);
            QDir(folder).removeRecursively();
            QDir().mkpath(folder);
            return QStringList{"--csv", csv.arg(folder), "--json", folder + "/r.json", "--quiet"};
        };
        const Run got = ExportRun::run(
            QStringList{"--port", "COM7", "--type", kindName(kind), "--job", "Site 4"} +
            reports("port"));
        QCOMPARE(got.status, 0);
        QCOMPARE(got.err, QByteArray());
        const Run listed = ExportRun::run({"--archived", "--team"});
        QCOMPARE(listed.status, 0);
        const QJsonObject line = QJsonDocument::fromJson(listed.out).object();
        QCOMPARE(line.value("records").toInt(), 3);
        QCOMPARE(line.value("job").toString(), QStringLiteral("Site 4"));
        QCOMPARE(line.value("host").toString(), Archive::hostName());
        const Run again = ExportRun::run(
            QStringList{"--from-archive", line.value("id").toString().left(8), "--team"} +
            reports("team"));
        QCOMPARE(again.status, 0);
        const QStringList files = QDir(m_dir.filePath("port")).entryList(QDir::Files);
        QCOMPARE(files.size(), isMpoKind(kind) ? 4 : 2);
        for (const QString& file : files)
            QCOMPARE(contents(m_dir.filePath("team/" + file)),
                     contents(m_dir.filePath("port/" + file)));
    }

    // Pushed twice, by two programs at once, or again after a job changed: each download and
    // each record is there once, whole.
    void noDuplicates_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("twice") << "twice";
        QTest::newRow("two at once") << "two at once";
        QTest::newRow("again with a new job") << "again with a new job";
    }
    void noDuplicates()
    {
        QFETCH(QString, how);
        fillLocal(20, 10);
        if (how == "two at once") {
            QProcess a, b;
            ExportRun::start(a, {"--push"});
            ExportRun::start(b, {"--push"});
            const Run ra = ExportRun::finish(a), rb = ExportRun::finish(b);
            QVERIFY2(ra.status == 0 && rb.status == 0, ra.err + rb.err);
        } else {
            QCOMPARE(ExportRun::run({"--push", "--quiet"}).status, 0);
        }
        if (how == "again with a new job") {
            ArchiveStore store(archive());
            QVERIFY(store.setJob(store.downloads().first().id, QStringLiteral("Renamed")));
        }
        const Run last = ExportRun::run({"--push"});
        QCOMPARE(last.status, 0);
        QCOMPARE(teamValue("SELECT count(*) FROM downloads").toInt(), 20);
        // Ten downloads of the same ten records, ten of their own.
        QCOMPARE(teamValue("SELECT count(*) FROM records").toInt(), 10 + 10 * 10);
        QCOMPARE(teamValue("SELECT count(*) FROM links").toInt(), 200);
        QCOMPARE(teamValue(partial).toInt(), 0);
        QCOMPARE(teamValue("SELECT count(*) FROM downloads WHERE job = 'Renamed'").toInt(),
                 how == "again with a new job" ? 1 : 0);
        QCOMPARE(waitingHere(), 0);
    }

    // The server stopped in the middle of a push: what it took is whole, the rest is pushed
    // once it is back.
    void serverStoppedDuringPush()
    {
        fillLocal(400, 50);
        QProcess p;
        ExportRun::start(p, {"--push"});
        QTRY_VERIFY_WITH_TIMEOUT(teamValue("SELECT count(*) FROM downloads").toInt() >= 3, 20000);
        QVERIFY(cluster("halt"));
        const Run stopped = ExportRun::finish(p);
        QCOMPARE(stopped.status, 8);
        QVERIFY2(stopped.err.contains("wait"), stopped.err.constData());
        QVERIFY(cluster("resume"));
        const int taken = teamValue("SELECT count(*) FROM downloads").toInt();
        QVERIFY(taken < 400);
        QCOMPARE(teamValue(partial).toInt(), 0);
        // A commit the server made as it went down is not known here: that one waits too, and
        // is found there on the next push.
        QVERIFY(waitingHere() == 400 - taken || waitingHere() == 401 - taken);
        QCOMPARE(ExportRun::run({"--push", "--quiet"}).status, 0);
        QCOMPARE(teamValue("SELECT count(*) FROM downloads").toInt(), 400);
        QCOMPARE(teamValue(partial).toInt(), 0);
    }

    // A server that is down or refuses the password: the download is as without it, said in one
    // line, and waits; a push once the server takes it leaves nothing waiting.
    void refusedOrDown_data()
    {
        QTest::addColumn<QString>("why");
        QTest::addColumn<QByteArray>("said");
        QTest::newRow("server down") << "down" << QByteArray("failed: No such file or directory");
        QTest::newRow("wrong password")
            << "password" << QByteArray("password authentication failed");
    }
    void refusedOrDown()
    {
        QFETCH(QString, why);
        QFETCH(QByteArray, said);
        if (why == "down")
            QVERIFY(cluster("halt"));
        else
            qputenv("PGPASSWORD", "not-the-password");
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "10"}));
        const QString csv = m_dir.filePath("down.csv");
        const Run got =
            ExportRun::run({"--port", "COM7", "--type", "CWDM18", "--csv", csv, "--quiet"});
        QCOMPARE(got.status, 0);
        QCOMPARE(contents(csv).count('\n'), 5 + 10);
        QCOMPARE(got.err.count('\n'), 1);
        QVERIFY2(got.err.contains("1 download waits") && got.err.contains(said),
                 got.err.constData());
        const QJsonObject line =
            QJsonDocument::fromJson(ExportRun::run({"--archived"}).out).object();
        QVERIFY(line.value("pushed").isNull());
        QVERIFY(line.value("pushError").toString().contains(QString::fromLatin1(said)));
        QCOMPARE(ExportRun::run({"--push"}).status, 8);
        ArchiveStore(archive()).setPushed(QUuid::fromString(line.value("id").toString()),
                                          QDateTime::currentDateTime());
        QCOMPARE(ExportRun::run({"--push"}).status,
                 8); // nothing waits, and the server cannot say so
        ArchiveStore(archive()).setJob(QUuid::fromString(line.value("id").toString()), QString());

        // Back, and the password from ~/.pgpass.
        QVERIFY(cluster("resume"));
        qunsetenv("PGPASSWORD");
        QTemporaryDir home;
        QFile pgpass(home.filePath(".pgpass"));
        QVERIFY(pgpass.open(QIODevice::WriteOnly));
        pgpass.write("*:*:*:velumin:" + stateField("password").toUtf8() + "\n");
        pgpass.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        pgpass.close();
        const QByteArray ownHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const Run pushed = ExportRun::run({"--push", "--quiet"});
        qputenv("HOME", ownHome);
        qputenv("PGPASSWORD", stateField("password").toUtf8());
        QVERIFY2(pushed.status == 0, pushed.err.constData());
        QCOMPARE(waitingHere(), 0);
        QCOMPARE(teamValue("SELECT records FROM downloads").toInt(), 10);
    }

    // The window pushes what it downloads; the password is in neither its settings nor its log,
    // and a connection string that holds one is refused without showing it.
    void passwordKeptNowhere()
    {
        qunsetenv("VELUMIN_TEAM_ARCHIVE");
        QSettings settings = openSettingsStore();
        settings.setValue("teamArchive", stateField("url"));
        settings.sync();
        LogCapture::clear();
        MeterSim sim;
        QVERIFY(startMeter(sim, Kind::CWDM18, {"--records", "3"}));
        {
            MainWindow w;
            WindowHarness::connectAs(w, TestSupport::deviceIndexFor(Kind::CWDM18));
            TestSupport::child<QAction>(w, "actionGetData")->trigger();
            QTRY_COMPARE_WITH_TIMEOUT(m_session.completions(), 1, 10000);
            QTRY_COMPARE_WITH_TIMEOUT(teamValue("SELECT count(*) FROM downloads").toInt(), 1,
                                      10000);
        }
        settings.remove("teamArchive");
        settings.sync();
        const QByteArray password = stateField("password").toUtf8();
        QVERIFY(!contents(settings.fileName()).contains(password));
        QVERIFY(!LogCapture::anyContains(QString::fromUtf8(password)));
        QCOMPARE(waitingHere(), 0);

        QString url = stateField("url");
        qputenv("VELUMIN_TEAM_ARCHIVE", url.replace("velumin@", "velumin:s3cret@").toUtf8());
        const Run refused = ExportRun::run({"--archived", "--team"});
        QCOMPARE(refused.status, 8);
        QVERIFY2(refused.err.contains("holds a password") && !refused.err.contains("s3cret"),
                 refused.err.constData());
    }

    // The window pushes what waited at start-up; what the team cannot take is said in the
    // status bar until Push Now gets it there.
    void theWindowSaysWhatWaits()
    {
        fillLocal(2, 3);
        QVERIFY(cluster("halt"));
        MainWindow w;
        QLabel* notice = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT(notice = w.findChild<QLabel*>("labelTeamNotice"), 10000);
        QCOMPARE(notice->text(), QStringLiteral("2 downloads not pushed"));
        QVERIFY(notice->toolTip().contains("No such file or directory"));
        QVERIFY(cluster("resume"));
        TestSupport::child<QAction>(w, "actionArchive")->trigger();
        QAction* push = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (!push)
                push = top->findChild<QAction*>("actionArchivePush");
        }
        QVERIFY(push && push->isVisible() && push->isEnabled());
        push->trigger();
        QTRY_VERIFY_WITH_TIMEOUT(notice->isHidden(), 10000);
        QCOMPARE(teamValue("SELECT count(*) FROM downloads").toInt(), 2);
    }

    // Both archives find the same downloads for the same filter.
    void filterInBoth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("found");
        QTest::newRow("everything") << "" << 2;
        QTest::newRow("job, any case") << "site 4" << 1;
        QTest::newRow("serial") << "rv2" << 1;
        QTest::newRow("day made") << QDate::currentDate().toString(Qt::ISODate) << 2;
        QTest::newRow("record name") << "FIBRE-B" << 1;
        QTest::newRow("record date") << "2026-03-01" << 2;
        QTest::newRow("a % is a %") << "4%" << 0;
    }
    void filterInBoth()
    {
        QFETCH(QString, text);
        QFETCH(int, found);
        for (const auto backend : {ArchiveStore::Backend::File, ArchiveStore::Backend::Team}) {
            const bool team = backend == ArchiveStore::Backend::Team;
            ArchiveStore store(backend, team ? stateField("url") : archive());
            QVERIFY2(store.isOpen(), qPrintable(store.errorText()));
            if (store.downloads().isEmpty()) {
                for (const char* serial : {"RV1", "RV2"}) {
                    Archive::Download d;
                    d.id = QUuid::createUuid();
                    d.meter.serial = QString::fromLatin1(serial);
                    d.kind = Kind::CWDM18;
                    d.started = QDateTime::currentDateTime();
                    d.job = serial == QByteArray("RV1") ? "Site 4" : "Depot";
                    TestSupport::Values v;
                    v.name = serial == QByteArray("RV1") ? "FIBRE-A" : "FIBRE-B";
                    QVERIFY(store.begin(d) &&
                            store.add(d.id, {{measurement(Kind::CWDM18, {-300}, v), true}}));
                }
            }
            Archive::Filter filter;
            filter.text = text;
            QCOMPARE(store.downloads(filter).size(), found);
        }
    }
};

QTEST_MAIN(tst_teamarchive)
#include "tst_teamarchive.moc"
