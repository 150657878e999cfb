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
    // 4: whether the team archive has each download, and why its last push failed.
    {
        QStringLiteral("ALTER TABLE downloads ADD COLUMN pushed INTEGER"),
        QStringLiteral("ALTER TABLE downloads ADD COLUMN push_error TEXT"),
    },
};

// The team archive's schema on PostgreSQL, versioned on its own: the local archive's tables in
// PostgreSQL's types, and each record's content unique per meter, so that two laptops pushing the
// same record at once store it once.
const QStringList teamSteps[] = {
    // 1: the local archive's tables as of its version 4.
    {
        QStringLiteral("CREATE TABLE meters (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, "
                       "serial text NOT NULL, kind integer NOT NULL, UNIQUE (serial, kind))"),
        QStringLiteral(
            "CREATE TABLE downloads (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, "
            "uuid text NOT NULL UNIQUE, meter bigint NOT NULL REFERENCES meters (id), "
            "product text NOT NULL, serial text NOT NULL, hardware text NOT NULL, "
            "firmware text NOT NULL, build text NOT NULL, hw_ver bigint NOT NULL, "
            "fw_ver bigint NOT NULL, kind integer NOT NULL, total integer NOT NULL, "
            "started bigint NOT NULL, ended bigint, complete integer NOT NULL DEFAULT 0, "
            "job text NOT NULL DEFAULT '', \"user\" text NOT NULL DEFAULT '', "
            "host text NOT NULL DEFAULT '', limits text, records integer NOT NULL DEFAULT 0, "
            "judged integer NOT NULL DEFAULT 0, failed integer NOT NULL DEFAULT 0, "
            "reference text, budget text, pushed bigint, push_error text)"),
        QStringLiteral("CREATE INDEX downloads_by_start ON downloads (started)"),
        QStringLiteral("CREATE TABLE records (id bigint GENERATED ALWAYS AS IDENTITY PRIMARY KEY, "
                       "meter bigint NOT NULL REFERENCES meters (id), hash bigint NOT NULL, "
                       "date bigint NOT NULL, time bigint NOT NULL, name bytea NOT NULL, "
                       "readings bytea NOT NULL, on_off bytea NOT NULL, "
                       "total_index integer NOT NULL, mode integer NOT NULL, "
                       "polar integer NOT NULL)"),
        QStringLiteral("CREATE UNIQUE INDEX records_by_content ON records (meter, hash, date, "
                       "time, total_index, mode, polar, name, readings, on_off)"),
        QStringLiteral("CREATE TABLE links (download bigint NOT NULL REFERENCES downloads (id) "
                       "ON DELETE CASCADE, position integer NOT NULL, "
                       "record bigint NOT NULL REFERENCES records (id), pass integer, "
                       "PRIMARY KEY (download, position))"),
        QStringLiteral("CREATE INDEX links_by_record ON links (record)"),
    },
};

static_assert(std::size(teamSteps) == ArchiveStore::TeamSchemaVersion,
              "one team schema step per version");

// Taken by whoever reads or brings up the team schema, for the length of the transaction.
constexpr qint64 teamSchemaLock = 0x56656c756d696e; // "Velumin"

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

bool ArchiveStore::migrateTeam(QSqlDatabase& db, int to, QString* error)
{
    QSqlQuery query(db);
    const auto failed = [&query, error] {
        *error = query.lastError().text();
        query.exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    // A technician's role may read and write the tables without the right to make any.
    if (!query.exec(QStringLiteral("BEGIN")) ||
        !query.exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(teamSchemaLock)) ||
        !query.exec(QStringLiteral("SELECT to_regclass('velumin_schema') IS NOT NULL")) ||
        !query.next())
        return failed();
    const bool made = query.value(0).toBool();
    if (!made && !query.exec(QStringLiteral("CREATE TABLE velumin_schema (version integer NOT NULL)")))
        return failed();
    if (!query.exec(QStringLiteral("SELECT max(version) FROM velumin_schema")) || !query.next())
        return failed();
    const int from = query.value(0).toInt();
    query.finish();
    if (from > to) {
        *error = newerText(from, to);
        query.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    for (int version = from + 1; version <= to; ++version) {
        for (const QString& statement : teamSteps[version - 1]) {
            if (!query.exec(statement))
                return failed();
        }
    }
    if (from < to && (!query.exec(QStringLiteral("DELETE FROM velumin_schema")) ||
                      !query.exec(QStringLiteral("INSERT INTO velumin_schema VALUES (%1)").arg(to))))
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
