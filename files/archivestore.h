#pragma once

#include "files/archive.h"

#include <QHash>
#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QUuid>
#include <QVariantList>

#include <functional>
#include <optional>

class QSqlQuery;

// One connection to an archive, for the thread that made it: this computer's SQLite file, or the
// team's PostgreSQL database. Opening creates the file and its folder when they are missing, or
// the team's tables, and brings an older schema up to date; a newer schema is left as it is.
// Every call after a failure fails again with the same reason, except where it says otherwise.
class ArchiveStore {
public:
    enum class Backend { File, Team };
    // The schema this program writes, in PRAGMA user_version.
    static constexpr int SchemaVersion = 4;
    // The team schema this program writes, in the table velumin_schema.
    static constexpr int TeamSchemaVersion = 1;

    // Opens the file `path`; `busyTimeoutMs` is how long a write waits for another program's.
    explicit ArchiveStore(const QString& path, int busyTimeoutMs = 5000);
    // Opens the file at `location`, or the team archive whose connection string it is.
    ArchiveStore(Backend backend, const QString& location, int busyTimeoutMs = 5000);
    ~ArchiveStore();
    ArchiveStore(const ArchiveStore&) = delete;
    ArchiveStore& operator=(const ArchiveStore&) = delete;

    // The file, or the team archive's connection string.
    const QString& path() const { return m_path; }
    bool isTeam() const { return m_backend == Backend::Team; }
    // False also once the team archive's server has gone away: a new store connects again.
    bool isOpen() const { return m_open; }
    // Why the archive cannot be used, or why the last call failed.
    const QString& errorText() const { return m_error; }
    // The database's own code for the last failure (an SQLSTATE on the team archive), if any.
    const QString& errorCode() const { return m_code; }

    // Runs `work` in one transaction: committed when it returns true, rolled back otherwise.
    bool transaction(const std::function<bool()>& work);

    // A new download, before its first record.
    bool begin(const Archive::Download& download);
    // Records of download `id`, at their positions in its list; a record the same meter already
    // gave (the same kind, date, time, name, readings and flags) is linked, not stored again.
    // Nothing is added to a download that has been deleted.
    bool add(const QUuid& id, const QList<Archive::Entry>& entries);
    bool end(const QUuid& id, const QDateTime& ended, bool complete);

    // The downloads `filter` lets through, newest first.
    QList<Archive::Download> downloads(const Archive::Filter& filter = {});
    // The download whose id is `id`, or starts with `id` when it is the only one that does.
    std::optional<Archive::Download> download(const QString& id);
    // Its records in list order; false, with the reason, when one cannot be read back.
    bool records(const QUuid& id, QList<Archive::Entry>* entries);
    bool setJob(const QUuid& id, const QString& job);
    bool setLoss(const QUuid& id, const Loss::Reference& reference, const Loss::Budget& budget);
    // Removes a download, and the records no other download links.
    bool remove(const QUuid& id);

    // This computer's ended, complete downloads the team archive does not have yet, oldest first.
    QList<Archive::Download> waiting();
    // The team archive took download `id` at `when`; a changed job makes it wait again.
    bool setPushed(const QUuid& id, const QDateTime& when);
    // Why a push of download `id` failed; a null id: of every download that waits.
    bool setPushError(const QUuid& id, const QString& why);
    // The team archive: keeps the whole of `download` with `entries`, in one transaction. Again
    // for a download it has: only its job is brought up to date, and nothing is stored twice.
    bool put(const Archive::Download& download, const QList<Archive::Entry>& entries);

    // Brings the file of `db` up to version `to`, in one transaction: step n brings version n-1
    // to n. A file of a newer version is left as it is.
    static bool migrate(QSqlDatabase& db, int to, QString* error);
    static bool migrateTeam(QSqlDatabase& db, int to, QString* error);
    static QString newerText(int version, int known);

private:
    bool open(int busyTimeoutMs);
    bool openTeam();
    // The pragmas and the schema, once the file is open.
    bool setUp();
    bool fail(const QSqlQuery& query);
    bool exec(QSqlQuery& query);
    std::optional<qint64> meterId(const QString& serial, int kind);
    std::optional<qint64> downloadRow(const QUuid& id);
    std::optional<qint64> recordId(qint64 meter, const Measurement& record);
    // put()'s work, in its transaction.
    bool putInTransaction(const Archive::Download& download, const QList<Archive::Entry>& entries);
    // Stores the records of `entries` the team archive lacks, and notes each one's row in `ids`
    // by its content.
    bool storeRecords(qint64 meter, const QList<Archive::Entry>& entries,
                      QHash<QByteArray, qint64>* ids);
    // Prepares `statement`, binds `values` and runs it.
    bool execWith(QSqlQuery& query, const QString& statement, const QVariantList& values);
    // Records a statement of put() takes at most: PostgreSQL binds up to 65 535 values.
    static constexpr int Chunk = 1000;

    Backend m_backend = Backend::File;
    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_open = false;
    QString m_error;
    QString m_code;
    bool m_busy = false; // the last failure was another program's lock
};
