#pragma once

#include "files/archive.h"

#include <QList>
#include <QSqlDatabase>
#include <QString>
#include <QUuid>

#include <functional>
#include <optional>

class QSqlQuery;

// One connection to the archive's SQLite file, for the thread that made it. Opening creates the
// file and its folder when they are missing and brings an older schema up to date; a file of a
// newer schema is left as it is. Every call after a failure fails again with the same reason,
// except where it says otherwise.
class ArchiveStore {
public:
    // The schema this program writes, in PRAGMA user_version.
    static constexpr int SchemaVersion = 3;

    // Opens `path`; `busyTimeoutMs` is how long a write waits for another program's.
    explicit ArchiveStore(const QString& path, int busyTimeoutMs = 5000);
    ~ArchiveStore();
    ArchiveStore(const ArchiveStore&) = delete;
    ArchiveStore& operator=(const ArchiveStore&) = delete;

    const QString& path() const { return m_path; }
    bool isOpen() const { return m_open; }
    // Why the archive cannot be used, or why the last call failed.
    const QString& errorText() const { return m_error; }

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

    // Brings the file of `db` up to version `to`, in one transaction: step n brings version n-1
    // to n. A file of a newer version is left as it is.
    static bool migrate(QSqlDatabase& db, int to, QString* error);
    static QString newerText(int version, int known);

private:
    bool open(int busyTimeoutMs);
    // The pragmas and the schema, once the file is open.
    bool setUp();
    bool fail(const QSqlQuery& query);
    bool exec(QSqlQuery& query);
    std::optional<qint64> meterId(const QString& serial, int kind);
    std::optional<qint64> downloadRow(const QUuid& id);
    std::optional<qint64> recordId(qint64 meter, const Measurement& record);

    QString m_path;
    QString m_connection;
    QSqlDatabase m_db;
    bool m_open = false;
    QString m_error;
    bool m_busy = false; // the last failure was another program's lock
};
