// The team archive's side of ArchiveStore: connecting to PostgreSQL, and taking whole downloads
// pushed from this computer's archive; and this computer's record of what it has pushed.

#include "files/archivestore.h"

#include "files/archivevalues.h"
#include "files/teamconnection.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>

using namespace ArchiveValues;

bool ArchiveStore::openTeam()
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QPSQL"))) {
        m_error = QStringLiteral("Qt's PostgreSQL driver is not installed (libqt6sql6-psql)");
        return false;
    }
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connection);
    if (!TeamConnection::configure(m_db, m_path, &m_error))
        return false;
    if (!m_db.open()) {
        // libpq's own words, without the driver's line after them.
        m_error = m_db.lastError().databaseText().simplified();
        if (m_error.isEmpty())
            m_error = m_db.lastError().text().simplified();
        return false;
    }
    // Days are matched in this computer's zone, as in its own archive.
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT set_config('TimeZone', ?, false)"));
    q.addBindValue(QString::fromUtf8(QTimeZone::systemTimeZoneId()));
    if (!q.exec())
        qDebug("the team archive does not know this computer's time zone");
    return migrateTeam(m_db, TeamSchemaVersion, &m_error);
}

QList<Archive::Download> ArchiveStore::waiting()
{
    QList<Archive::Download> out;
    if (!m_open)
        return out;
    const QList<Archive::Download> all = downloads();
    for (auto it = all.crbegin(); it != all.crend(); ++it) {
        if (it->complete && it->ended.isValid() && !it->pushed.isValid())
            out.append(*it);
    }
    return out;
}

bool ArchiveStore::setPushed(const QUuid& id, const QDateTime& when)
{
    if (!m_open)
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE downloads SET pushed = ?, push_error = NULL WHERE uuid = ?"));
    q.addBindValue(timeValue(when));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    return exec(q);
}

bool ArchiveStore::setPushError(const QUuid& id, const QString& why)
{
    if (!m_open)
        return false;
    QSqlQuery q(m_db);
    if (id.isNull()) {
        q.prepare(QStringLiteral("UPDATE downloads SET push_error = ? "
                                 "WHERE complete = 1 AND ended IS NOT NULL AND pushed IS NULL"));
        q.addBindValue(why);
    } else {
        q.prepare(QStringLiteral("UPDATE downloads SET push_error = ? WHERE uuid = ?"));
        q.addBindValue(why);
        q.addBindValue(id.toString(QUuid::WithoutBraces));
    }
    return exec(q);
}

bool ArchiveStore::put(const Archive::Download& download, const QList<Archive::Entry>& entries)
{
    return transaction([&] { return putInTransaction(download, entries); });
}

bool ArchiveStore::putInTransaction(const Archive::Download& d, const QList<Archive::Entry>& entries)
{
    const std::optional<qint64> meter = meterId(d.meter.serial, d.kind);
    if (!meter)
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral(
        "INSERT INTO downloads (uuid, meter, product, serial, hardware, firmware, build, hw_ver, "
        "fw_ver, kind, total, started, ended, complete, job, \"user\", host, limits, reference, "
        "budget, records, judged, failed, pushed) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (uuid) DO NOTHING RETURNING id"));
    q.addBindValue(d.id.toString(QUuid::WithoutBraces));
    q.addBindValue(*meter);
    for (const QString& text : {d.meter.product, d.meter.serial, d.meter.hardware,
                                d.meter.firmware, d.meter.buildTime})
        q.addBindValue(textValue(text));
    q.addBindValue(qint64(d.meter.hwVer));
    q.addBindValue(qint64(d.meter.fwVer));
    q.addBindValue(d.kind);
    q.addBindValue(d.total);
    q.addBindValue(timeValue(d.started));
    q.addBindValue(timeValue(d.ended));
    q.addBindValue(d.complete ? 1 : 0);
    q.addBindValue(textValue(d.job));
    q.addBindValue(textValue(d.user));
    q.addBindValue(textValue(d.host));
    q.addBindValue(jsonValue(d.limits.enabled, Limits::toJson(d.limits)));
    q.addBindValue(jsonValue(d.reference.isSet(), Loss::toJson(d.reference)));
    q.addBindValue(jsonValue(d.budget.isSet(), Loss::toJson(d.budget)));
    int judged = 0, failed = 0;
    for (const Archive::Entry& e : entries) {
        judged += e.pass ? 1 : 0;
        failed += e.pass && !*e.pass ? 1 : 0;
    }
    q.addBindValue(int(entries.size()));
    q.addBindValue(judged);
    q.addBindValue(failed);
    q.addBindValue(timeValue(QDateTime::currentDateTimeUtc()));
    if (!exec(q))
        return false;
    if (!q.next()) {
        // Pushed before, perhaps by another program at this moment: its records are there whole.
        q.prepare(QStringLiteral("UPDATE downloads SET job = ? WHERE uuid = ?"));
        q.addBindValue(textValue(d.job));
        q.addBindValue(d.id.toString(QUuid::WithoutBraces));
        return exec(q);
    }
    const qint64 row = q.value(0).toLongLong();

    // Prepared once for all the records: each is stored unless the meter's record of the same
    // content is there, made by this push or any other.
    QSqlQuery insert(m_db), find(m_db), link(m_db);
    insert.prepare(QStringLiteral(
        "INSERT INTO records (meter, hash, date, time, name, readings, on_off, total_index, "
        "mode, polar) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT DO NOTHING RETURNING id"));
    find.prepare(QStringLiteral(
        "SELECT id FROM records WHERE meter = ? AND hash = ? AND date = ? AND time = ? AND "
        "total_index = ? AND mode = ? AND polar = ? AND name = ? AND readings = ? AND on_off = ?"));
    link.prepare(QStringLiteral(
        "INSERT INTO links (download, position, record, pass) VALUES (?, ?, ?, ?)"));
    for (const Archive::Entry& e : entries) {
        const Measurement& m = e.record;
        const QVariantList content = {*meter, contentHash(m), qint64(m.dateWord),
                                      qint64(m.timeWord), blobValue(m.name),
                                      blobValue(readingBytes(m.readings)), blobValue(m.onOff),
                                      m.totalIndex, int(m.mode), int(m.polar)};
        for (const QVariant& v : content)
            insert.addBindValue(v);
        if (!exec(insert))
            return false;
        qint64 record = 0;
        if (insert.next()) {
            record = insert.value(0).toLongLong();
        } else {
            for (int i : {0, 1, 2, 3, 7, 8, 9, 4, 5, 6})
                find.addBindValue(content.at(i));
            if (!exec(find))
                return false;
            if (!find.next()) {
                m_error = QStringLiteral("record %1 of download %2 was neither stored nor found")
                              .arg(m.index + 1)
                              .arg(d.id.toString(QUuid::WithoutBraces));
                return false;
            }
            record = find.value(0).toLongLong();
        }
        link.addBindValue(row);
        link.addBindValue(m.index);
        link.addBindValue(record);
        link.addBindValue(e.pass ? QVariant(*e.pass ? 1 : 0) : QVariant(QMetaType::fromType<int>()));
        if (!exec(link))
            return false;
    }
    return true;
}
