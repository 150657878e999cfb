// The archive's schema, one step per version: step n brings a file of version n - 1 to n. A step
// once released is never changed; a new version is a new step.

#include "files/archivestore.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

const QStringList steps[] = {
    // 1: meters, downloads, each record once per meter, and which download listed it where.
    {
        QStringLiteral("CREATE TABLE meters (id INTEGER PRIMARY KEY, serial TEXT NOT NULL, "
                       "kind INTEGER NOT NULL, UNIQUE (serial, kind))"),
        QStringLiteral(
            "CREATE TABLE downloads (id INTEGER PRIMARY KEY, uuid TEXT NOT NULL UNIQUE, "
            "meter INTEGER NOT NULL REFERENCES meters (id), product TEXT NOT NULL, "
            "serial TEXT NOT NULL, hardware TEXT NOT NULL, firmware TEXT NOT NULL, "
            "build TEXT NOT NULL, hw_ver INTEGER NOT NULL, fw_ver INTEGER NOT NULL, "
            "kind INTEGER NOT NULL, total INTEGER NOT NULL, started INTEGER NOT NULL, "
            "ended INTEGER, complete INTEGER NOT NULL DEFAULT 0, job TEXT NOT NULL DEFAULT '', "
            "user TEXT NOT NULL DEFAULT '', host TEXT NOT NULL DEFAULT '', limits TEXT)"),
        QStringLiteral("CREATE TABLE records (id INTEGER PRIMARY KEY, "
                       "meter INTEGER NOT NULL REFERENCES meters (id), hash INTEGER NOT NULL, "
                       "date INTEGER NOT NULL, time INTEGER NOT NULL, name BLOB NOT NULL, "
                       "readings BLOB NOT NULL, on_off BLOB NOT NULL, "
                       "total_index INTEGER NOT NULL, mode INTEGER NOT NULL, "
                       "polar INTEGER NOT NULL)"),
        QStringLiteral("CREATE INDEX records_by_content ON records (meter, hash)"),
        QStringLiteral("CREATE TABLE links (download INTEGER NOT NULL REFERENCES downloads (id) "
                       "ON DELETE CASCADE, position INTEGER NOT NULL, "
                       "record INTEGER NOT NULL REFERENCES records (id), pass INTEGER, "
                       "PRIMARY KEY (download, position)) WITHOUT ROWID"),
        QStringLiteral("CREATE INDEX links_by_record ON links (record)"),
    },
    // 2: each download's counts kept with it, so that a listing reads no records.
    {
        QStringLiteral("ALTER TABLE downloads ADD COLUMN records INTEGER NOT NULL DEFAULT 0"),
        QStringLiteral("ALTER TABLE downloads ADD COLUMN judged INTEGER NOT NULL DEFAULT 0"),
        QStringLiteral("ALTER TABLE downloads ADD COLUMN failed INTEGER NOT NULL DEFAULT 0"),
        QStringLiteral(
            "UPDATE downloads SET "
            "records = (SELECT count(*) FROM links WHERE download = downloads.id), "
            "judged = (SELECT count(pass) FROM links WHERE download = downloads.id), "
            "failed = (SELECT count(*) FROM links WHERE download = downloads.id AND pass = 0)"),
        QStringLiteral("CREATE INDEX downloads_by_start ON downloads (started)"),
    },
    // 3: the reference and the loss budget a download was judged against.
    {
        QStringLiteral("ALTER TABLE downloads ADD COLUMN reference TEXT"),
        QStringLiteral("ALTER TABLE downloads ADD COLUMN budget TEXT"),
    },
};

static_assert(std::size(steps) == ArchiveStore::SchemaVersion,
              "one schema step per version");

} // namespace

bool ArchiveStore::migrate(QSqlDatabase& db, int to, QString* error)
{
    QSqlQuery query(db);
    const auto failed = [&query, error] {
        *error = query.lastError().text();
        query.exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    // The version is read again under the write lock: two programs opening a new file at once
    // must not both make its tables.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return failed();
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return failed();
    const int from = query.value(0).toInt();
    query.finish();
    if (from > to) {
        *error = newerText(from, to);
        query.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    for (int version = from + 1; version <= to; ++version) {
        for (const QString& statement : steps[version - 1]) {
            if (!query.exec(statement))
                return failed();
        }
    }
    if (from < to && !query.exec(QStringLiteral("PRAGMA user_version = %1").arg(to)))
        return failed();
    return query.exec(QStringLiteral("COMMIT")) || failed();
}

QString ArchiveStore::newerText(int version, int known)
{
    return QStringLiteral("it was written by a newer Velumin (archive version %1; this one knows "
                          "up to %2) and is left as it is")
        .arg(version)
        .arg(known);
}
