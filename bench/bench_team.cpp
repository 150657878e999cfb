// Usage: VELUMIN_TEST_PG_STATE=<tools/pgcluster.sh state file> QT_QPA_PLATFORM=offscreen bench_team
// Measures the team archive on a PostgreSQL server of this machine: pushing 1 000 downloads of
// 100 CWDM-18 records each (every record its own), and listing the team's 1 000 downloads in the
// store and in the archive window. Prints one line per figure and a summary; exits non-zero only
// when the push or the listing itself fails.

#include "app/archivewindow.h"
#include "benchsupport.h"
#include "files/archivepush.h"
#include "files/archivestore.h"
#include "files/teamconnection.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <functional>

namespace {

constexpr int Downloads = 1000;
constexpr int RecordsEach = 100;
constexpr double PushGoal = 5000;
constexpr double ListGoalMs = 500;

QString stateField(const QByteArray& key)
{
    QFile f(qEnvironmentVariable("VELUMIN_TEST_PG_STATE"));
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    for (const QByteArray& line : f.readAll().split('\n')) {
        if (line.startsWith(key + '='))
            return QString::fromUtf8(line.mid(key.size() + 1));
    }
    return QString();
}

using Bench::bestMs;

bool fill(const QString& path, QString* error)
{
    ArchiveStore store(path);
    const bool ok = store.transaction([&] {
        int r = 0;
        for (int d = 0; d < Downloads; ++d) {
            Archive::Download download;
            download.id = QUuid::createUuid();
            download.meter = meterIdentity(
                QStringLiteral("Ruvo730"), QStringLiteral("RV73%1").arg(d % 20, 5, 10, QChar('0')),
                0x010210, 0x030704, QStringLiteral("2026-03-14 10:22:31"));
            download.kind = Kind::CWDM18;
            download.job = QStringLiteral("Job %1").arg(d % 50);
            download.user = QStringLiteral("tech%1").arg(d % 10);
            download.host = QStringLiteral("laptop%1").arg(d % 10);
            download.started = QDateTime::currentDateTime().addSecs(-3600LL * (Downloads - d));
            download.total = RecordsEach;
            QList<Archive::Entry> entries;
            for (int i = 0; i < RecordsEach; ++i, ++r) {
                QVector<qint16> readings(18);
                for (int c = 0; c < 18; ++c)
                    readings[c] = qint16(-((97 * r + 37 * c) % 4000) - 300);
                entries.append(
                    {Bench::record(Kind::CWDM18, i, RecordsEach, readings, "LINK-"), true});
            }
            if (!store.begin(download) || !store.add(download.id, entries) ||
                !store.end(download.id, download.started.addSecs(60), true))
                return false;
        }
        return true;
    });
    *error = store.errorText();
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    Bench::Application app(argc, argv);
    const QString team = stateField("url");
    if (team.isEmpty()) {
        std::printf("bench_team: VELUMIN_TEST_PG_STATE names no server (tools/pgcluster.sh "
                    "start makes one)\n");
        return 1;
    }
    qputenv("PGPASSWORD", stateField("password").toUtf8());
    qputenv("VELUMIN_TEAM_ARCHIVE", team.toUtf8());
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("clean"));
        QString error;
        QSqlQuery q(db);
        if (!TeamConnection::configure(db, team, &error) || !db.open() ||
            !q.exec(QStringLiteral("DROP TABLE IF EXISTS links, records, downloads, meters, "
                                   "velumin_schema CASCADE"))) {
            std::printf("emptying the team archive FAILED\n");
            return 1;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("clean"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    QString error;
    if (!fill(path, &error)) {
        std::printf("filling the local archive FAILED: %s\n", qPrintable(error));
        return 1;
    }
    std::vector<Bench::Goal> goals;

    ArchiveStore local(path);
    QElapsedTimer pushing;
    pushing.start();
    const Archive::PushResult result = Archive::push(local, team);
    const double seconds = pushing.nsecsElapsed() / 1e9;
    const double rate = result.pushed * RecordsEach / seconds;
    std::printf("push: %d downloads of %d records in %.2f s, %.0f records/s%s%s\n", result.pushed,
                RecordsEach, seconds, rate,
                result.error.isEmpty() ? "" : "; failed: ", qPrintable(result.error));
    goals.push_back({QStringLiteral("records pushed per second"), rate, PushGoal, true});

    ArchiveStore store(ArchiveStore::Backend::Team, team);
    int listed = 0;
    const double listMs = bestMs([&] { listed = int(store.downloads().size()); });
    std::printf("team store: %d downloads listed in %.1f ms\n", listed, listMs);
    goals.push_back({QStringLiteral("team store lists the downloads"), listMs, ListGoalMs, false,
                     QStringLiteral(" ms")});

    // The window: the team chosen as its source until its tree lists every download.
    int shown = 0;
    const double windowMs = bestMs([&] {
        ArchiveWindow window(path, false);
        window.show();
        QCoreApplication::processEvents();
        auto* source = Bench::child<QComboBox>(window, "cbArchiveSource");
        source->setCurrentIndex(1);
        auto* tree = Bench::child<QTreeWidget>(window, "treeArchive");
        // Read in the reader's thread, listed when it comes.
        QDeadlineTimer deadline(10000);
        do {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            shown = 0;
            for (QTreeWidgetItemIterator it(tree); *it; ++it)
                shown += (*it)->data(0, Qt::UserRole).isNull() ? 0 : 1;
        } while (shown < Downloads && !deadline.hasExpired());
    });
    std::printf("window: the team's %d downloads listed in %.1f ms (the window made, shown, "
                "switched to the team and its list read by the reader's thread)\n",
                shown, windowMs);
    goals.push_back({QStringLiteral("window lists the team's downloads"), windowMs, ListGoalMs,
                     false, QStringLiteral(" ms")});
    Bench::printSummary(goals);
    return result.pushed == Downloads && listed == Downloads && shown == Downloads ? 0 : 1;
}
