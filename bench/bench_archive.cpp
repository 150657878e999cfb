// Usage: QT_QPA_PLATFORM=offscreen bench_archive
// Measures the archive at a year's size: 100 000 CWDM-18 records in 1 000 downloads, one of
// them of 1 000 records. How long listing the downloads, a filter and opening the long download
// take, in the archive window and in the store beneath it, and what a record costs on disk.
// Prints one line per figure and a summary; exits non-zero only when the archive itself fails.

#include "app/archivewindow.h"
#include "benchsupport.h"
#include "files/archivestore.h"

#include <QLineEdit>
#include <QTreeWidget>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>

namespace {

constexpr int Downloads = 1000;
constexpr int Records = 100000;
constexpr int LongDownload = 1000;
constexpr double ListGoalMs = 300;
constexpr double FilterGoalMs = 100;
constexpr double OpenGoalMs = 300;
constexpr double BytesGoal = 200;

using Bench::bestMs;

// Fills `path`: download 0 is the long one, the others share the rest; every record differs.
bool fill(const QString& path, QUuid* longest, QString* error)
{
    ArchiveStore store(path);
    int r = 0;
    for (int d = 0; d < Downloads; ++d) {
        Archive::Download download;
        download.id = QUuid::createUuid();
        download.meter = meterIdentity(QStringLiteral("Ruvo730"),
                                       QStringLiteral("RV73%1").arg(d % 20, 5, 10, QChar('0')),
                                       0x010210, 0x030704, QStringLiteral("2026-03-14 10:22:31"));
        download.kind = Kind::CWDM18;
        download.job = QStringLiteral("Job %1").arg(d % 50);
        download.started = QDateTime::currentDateTime().addSecs(-3600LL * (Downloads - d));
        download.ended = download.started.addSecs(60);
        download.complete = true;
        const int count = d == 0 ? LongDownload
                                 : (Records - LongDownload) / (Downloads - 1) +
                                       (d <= (Records - LongDownload) % (Downloads - 1) ? 1 : 0);
        download.total = count;
        if (d == 0)
            *longest = download.id;
        QList<Archive::Entry> entries;
        for (int i = 0; i < count; ++i, ++r) {
            QVector<qint16> readings(18);
            for (int c = 0; c < 18; ++c)
                readings[c] = qint16(-((97 * r + 37 * c) % 4000) - 300);
            Archive::Entry e{Bench::record(Kind::CWDM18, i, count, readings, "LINK-"), true};
            e.record.dateWord = TestSupport::dateWord(2026, uint(1 + d % 12), uint(1 + d % 28));
            entries.append(e);
        }
        const bool ok = store.transaction([&] {
            return store.begin(download) && store.add(download.id, entries);
        });
        if (!ok) {
            *error = store.errorText();
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    Bench::Application app(argc, argv);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("archive.sqlite"));
    std::vector<Bench::Goal> goals;

    QElapsedTimer filling;
    filling.start();
    QUuid longest;
    QString error;
    if (!fill(path, &longest, &error)) {
        std::printf("filling the archive FAILED: %s\n", qPrintable(error));
        return 1;
    }
    std::printf("archive of %d records in %d downloads written in %.1f s\n", Records, Downloads,
                filling.nsecsElapsed() / 1e9);

    ArchiveStore store(path);
    {
        // Everything in the main file, as a closed archive is.
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("size"));
        db.setDatabaseName(path);
        QSqlQuery q(db);
        if (!db.open() || !q.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"))) {
            std::printf("checkpoint FAILED\n");
            return 1;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("size"));
    const double bytes = double(QFileInfo(path).size()) / Records;
    std::printf("file: %lld bytes, %.1f bytes per record\n", QFileInfo(path).size(), bytes);
    goals.push_back({QStringLiteral("bytes on disk per record"), bytes, BytesGoal});

    int listed = 0, matched = 0, opened = 0;
    const double listMs = bestMs([&] { listed = int(store.downloads().size()); });
    const double filterMs = bestMs([&] {
        matched = int(store.downloads({QStringLiteral("LINK-999"), Archive::Filter::Any}).size());
    });
    const double openMs = bestMs([&] {
        QList<Archive::Entry> entries;
        store.records(longest, &entries);
        opened = int(entries.size());
    });
    std::printf("store: %d downloads listed in %.1f ms, a record-name filter (%d downloads) in "
                "%.1f ms, the %d-record download read in %.1f ms\n",
                listed, listMs, matched, filterMs, opened, openMs);
    goals.push_back({QStringLiteral("store lists the downloads"), listMs, ListGoalMs, false,
                     QStringLiteral(" ms")});
    goals.push_back({QStringLiteral("store filter"), filterMs, FilterGoalMs, false,
                     QStringLiteral(" ms")});
    goals.push_back({QStringLiteral("store reads a 1000-record download"), openMs, OpenGoalMs,
                     false, QStringLiteral(" ms")});

    // The window: made and shown until its tree lists every download; a filter typed; the long
    // download chosen until its records are listed. Each in one go on the GUI thread.
    int shownDownloads = 0, filtered = 0, shownRecords = 0;
    const double windowListMs = bestMs([&] {
        ArchiveWindow window(path, false);
        window.show();
        QCoreApplication::processEvents();
        auto* tree = Bench::child<QTreeWidget>(window, "treeArchive");
        shownDownloads = 0;
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            shownDownloads += (*it)->data(0, Qt::UserRole).isNull() ? 0 : 1;
    });
    ArchiveWindow window(path, false);
    window.show();
    QCoreApplication::processEvents();
    auto* filter = Bench::child<QLineEdit>(window, "editArchiveFilter");
    auto* tree = Bench::child<QTreeWidget>(window, "treeArchive");
    const auto count = [tree] {
        int n = 0;
        for (QTreeWidgetItemIterator it(tree); *it; ++it)
            n += (*it)->data(0, Qt::UserRole).isNull() ? 0 : 1;
        return n;
    };
    const double windowFilterMs = bestMs([&] {
        filter->setText(QStringLiteral("LINK-999"));
        filtered = count();
        filter->clear();
    }) - bestMs([&] { filter->clear(); });
    QTreeWidgetItem* longItem = nullptr;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toUuid() == longest)
            longItem = *it;
    }
    auto* records = Bench::child<QTreeWidget>(window, "treeArchiveData");
    const double windowOpenMs = bestMs([&] {
        tree->setCurrentItem(nullptr);
        tree->setCurrentItem(longItem);
        shownRecords = records->topLevelItemCount();
    });
    std::printf("window: %d downloads listed in %.1f ms, the filter (%d downloads) in %.1f ms, "
                "the %d-record download opened in %.1f ms\n",
                shownDownloads, windowListMs, filtered, windowFilterMs, shownRecords,
                windowOpenMs);
    goals.push_back({QStringLiteral("window lists the downloads"), windowListMs, ListGoalMs,
                     false, QStringLiteral(" ms")});
    goals.push_back({QStringLiteral("window filter"), windowFilterMs, FilterGoalMs, false,
                     QStringLiteral(" ms")});
    goals.push_back({QStringLiteral("window opens a 1000-record download"), windowOpenMs,
                     OpenGoalMs, false, QStringLiteral(" ms")});
    Bench::printSummary(goals);
    return listed == Downloads && opened == LongDownload && shownDownloads == Downloads &&
                   shownRecords == LongDownload
               ? 0
               : 1;
}
