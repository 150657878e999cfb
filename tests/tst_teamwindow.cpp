#include "app/archivewindow.h"
#include "files/archivestore.h"
#include "files/teamconnection.h"
#include "session/teampusher.h"
#include "testsupport.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using TestSupport::child;

// The archive window with a team archive: the source chooser, each download's push and Push Now,
// and the team's downloads, on the PostgreSQL server that the state file VELUMIN_TEST_PG_STATE
// names ("url=" and "password=" lines).
namespace {

// A download of Ruvo730 `serial` started on 2026-03-`day` at nine, by ana on bench-2.
Archive::Download downloadOf(int day, const QString& serial, int total, bool complete)
{
    Archive::Download d;
    d.id = QUuid::createUuid();
    d.meter.product = "Ruvo730";
    d.meter.serial = serial;
    d.meter.kind = d.kind = 1;
    d.total = total;
    d.started = QDateTime({2026, 3, day}, {9, 0});
    d.ended = d.started.addSecs(60);
    d.complete = complete;
    d.job = "Survey";
    d.user = "ana";
    d.host = "bench-2";
    return d;
}

// Its first `count` records, named after its serial.
QList<Archive::Entry> entriesOf(const Archive::Download& d, int count)
{
    QList<Archive::Entry> entries;
    for (int i = 0; i < count; ++i) {
        TestSupport::Values v;
        v.name = QString("%1 %2").arg(d.meter.serial).arg(i + 1).toLatin1();
        v.index = i;
        v.total = d.total;
        entries.append({TestSupport::measurement(1, QVector<qint16>(24, -1000), v), std::nullopt});
    }
    return entries;
}

QTreeWidget* tree(ArchiveWindow& w)
{
    return child<QTreeWidget>(w, "treeArchive");
}

// The download made on `day` ("03-04").
QTreeWidgetItem* downloadItem(ArchiveWindow& w, const QString& day)
{
    return tree(w)->findItems("2026-" + day, Qt::MatchStartsWith | Qt::MatchRecursive).value(0);
}

// Its column after the verdict, Team or User: the text, and the tooltip after a bar.
QString fourthColumn(ArchiveWindow& w, const QString& day)
{
    QTreeWidgetItem* item = downloadItem(w, day);
    return item ? item->text(3) + " | " + item->toolTip(3) : "(not listed)";
}

} // namespace

class TestTeamWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_url; // the test server's; empty when there is none

    std::unique_ptr<ArchiveWindow> window()
    {
        auto w = std::make_unique<ArchiveWindow>(m_dir.filePath("archive.sqlite"), false);
        w->show();
        return w;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QFile state(qEnvironmentVariable("VELUMIN_TEST_PG_STATE"));
        if (state.open(QIODevice::ReadOnly | QIODevice::Text)) {
            for (const QByteArray& line : state.readAll().split('\n')) {
                if (line.startsWith("url="))
                    m_url = QString::fromUtf8(line.mid(4));
                else if (line.startsWith("password="))
                    qputenv("PGPASSWORD", line.mid(9));
            }
        }
        // This computer's archive: one download waiting, one whose push failed, one incomplete.
        ArchiveStore local(m_dir.filePath("archive.sqlite"));
        const Archive::Download failed = downloadOf(2, "S2", 1, true);
        for (const Archive::Download& d :
             {downloadOf(1, "S1", 2, true), failed, downloadOf(3, "S3", 3, false)})
            QVERIFY(local.begin(d) && local.add(d.id, entriesOf(d, d.complete ? d.total : 1)) &&
                    local.end(d.id, d.ended, d.complete));
        QVERIFY(local.setPushError(failed.id, "no route to host"));
    }

    void init()
    {
        qunsetenv("VELUMIN_TEAM_ARCHIVE");
        if (m_url.isEmpty())
            return;
        // The team's tables are made anew by the first store that opens them.
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QPSQL", "cleaning");
            QString error;
            QVERIFY2(TeamConnection::configure(db, m_url, &error), qPrintable(error));
            QVERIFY2(db.open(), qPrintable(db.lastError().text()));
            QSqlQuery q(db);
            q.exec("SET client_min_messages TO warning");
            QVERIFY2(q.exec("DROP TABLE IF EXISTS links, records, downloads, meters, "
                            "velumin_schema CASCADE"),
                     qPrintable(q.lastError().text()));
        }
        QSqlDatabase::removeDatabase("cleaning");
    }

    void withoutTeamArchiveNothingNew()
    {
        const auto w = window();
        QVERIFY(!child<QComboBox>(*w, "cbArchiveSource")->isVisible());
        QVERIFY(!child<QAction>(*w, "actionArchivePush")->isVisible());
        QCOMPARE(tree(*w)->columnCount(), 3);
    }

    void pushStatesAndPushNow()
    {
        if (m_url.isEmpty())
            QSKIP("VELUMIN_TEST_PG_STATE names no PostgreSQL server");
        qputenv("VELUMIN_TEAM_ARCHIVE", m_url.toUtf8());
        TeamPusher pusher(m_dir.filePath("archive.sqlite"));
        const auto w = window();
        w->setPusher(&pusher);
        QVERIFY(child<QComboBox>(*w, "cbArchiveSource")->isVisible());
        QCOMPARE(tree(*w)->headerItem()->text(3), "Team");
        QCOMPARE(fourthColumn(*w, "03-01"), "waiting | ");
        QCOMPARE(fourthColumn(*w, "03-02"), "failed | no route to host");
        QCOMPARE(downloadItem(*w, "03-02")->foreground(3).color(), QColor("#c00000"));
        QCOMPARE(fourthColumn(*w, "03-03"), " | Only complete downloads are pushed");

        QAction* push = child<QAction>(*w, "actionArchivePush");
        QVERIFY(push->isVisible() && push->isEnabled() && tree(*w)->actions().contains(push));
        QSignalSpy pushed(&pusher, &TeamPusher::pushed);
        push->trigger();
        QVERIFY(pushed.wait(30000));
        QCOMPARE(pushed.first().value(0).toInt(), 2);
        w->refresh();
        const QRegularExpression when("^pushed \\| \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$");
        QVERIFY2(when.match(fourthColumn(*w, "03-01")).hasMatch(),
                 qPrintable(fourthColumn(*w, "03-01")));
        QVERIFY(when.match(fourthColumn(*w, "03-02")).hasMatch());
        QCOMPARE(fourthColumn(*w, "03-03"), " | Only complete downloads are pushed");
    }

    void theTeamsDownloads()
    {
        if (m_url.isEmpty())
            QSKIP("VELUMIN_TEST_PG_STATE names no PostgreSQL server");
        qputenv("VELUMIN_TEAM_ARCHIVE", m_url.toUtf8());
        Archive::Download other = downloadOf(4, "T9", 3, true);
        other.user = "ben";
        other.host = "van-7";
        ArchiveStore team(ArchiveStore::Backend::Team, m_url);
        for (const Archive::Download& d : {downloadOf(1, "S1", 2, true), other})
            QVERIFY2(team.put(d, entriesOf(d, d.total)), qPrintable(team.errorText()));

        // Choosing the team's downloads lets go of this computer's that was listed.
        const auto w = window();
        tree(*w)->setCurrentItem(downloadItem(*w, "03-01"));
        child<QComboBox>(*w, "cbArchiveSource")->setCurrentIndex(1);
        QVERIFY(w->shownDownload().isNull());
        auto* records = child<QTreeWidget>(*w, "treeArchiveData");
        QCOMPARE(records->topLevelItemCount(), 0);
        QCOMPARE(tree(*w)->headerItem()->text(3), "By");
        // Read in the reader's thread: the window lists them when they come.
        QTRY_COMPARE(fourthColumn(*w, "03-01"), "ana@bench-2 | ");
        QTest::keyClicks(child<QLineEdit>(*w, "editArchiveFilter"), "T9");
        QTRY_VERIFY(!downloadItem(*w, "03-01"));
        QTreeWidgetItem* item = downloadItem(*w, "03-04");
        QVERIFY(item);
        QCOMPARE(QStringList({item->text(1), item->text(3)}),
                 QStringList({"3 records", "ben@van-7"}));

        // Its records as this computer's are; it is only read from here.
        tree(*w)->setCurrentItem(item);
        QTRY_COMPARE(records->topLevelItemCount(), 3);
        QCOMPARE(records->topLevelItem(2)->text(0), "T9 3");
        QVERIFY(child<QLabel>(*w, "labelArchiveDownload")->text().contains("by ben@van-7"));
        QVERIFY(child<QAction>(*w, "actionArchiveSaveData")->isEnabled());
        QVERIFY(!child<QAction>(*w, "actionArchiveDelete")->isEnabled());
        QVERIFY(!child<QLineEdit>(*w, "editArchiveJob")->isEnabled());
    }

    void teamArchiveThatCannotBeOpened_data()
    {
        QTest::addColumn<QString>("url");
        QTest::addColumn<QString>("shown");
        QTest::newRow("no server") << "postgresql://velumin@/velumin?host=/nonexistent"
                                   << "postgresql://velumin@/velumin?host=/nonexistent";
        QTest::newRow("password") << "postgresql://velumin:s3cret@/velumin?host=/nonexistent"
                                  << "postgresql://velumin:****@/velumin?host=/nonexistent";
    }

    void teamArchiveThatCannotBeOpened()
    {
        QFETCH(QString, url);
        QFETCH(QString, shown);
        qputenv("VELUMIN_TEAM_ARCHIVE", url.toUtf8());
        const auto w = window();
        child<QComboBox>(*w, "cbArchiveSource")->setCurrentIndex(1);
        auto* error = child<QLabel>(*w, "labelArchiveError");
        QTRY_VERIFY(error->isVisible());
        QVERIFY2(error->text().startsWith("The team archive " + shown + " cannot be opened: "),
                 qPrintable(error->text()));
        QVERIFY(!error->text().contains("s3cret"));
        QCOMPARE(tree(*w)->topLevelItemCount(), 0);
        QCOMPARE(w->shownDownload(), QUuid());
    }
};

QTEST_MAIN(TestTeamWindow)
#include "tst_teamwindow.moc"
