// The team archive's side of ArchiveStore: connecting to PostgreSQL, and taking whole downloads
// pushed from this computer's archive; and this computer's record of what it has pushed.

#include "files/archivestore.h"

#include "data/logging.h"
#include "files/archivevalues.h"
#include "files/teamconnection.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QTimeZone>

using namespace ArchiveValues;

namespace {

// What a record is stored as, in the order of contentColumns.
QVariantList recordContent(qint64 meter, const Measurement& m)
{
    return {meter,
            contentHash(m),
            qint64(m.dateWord),
            qint64(m.timeWord),
            m.totalIndex,
            int(m.mode),
            int(m.polar),
            blobValue(m.name),
            blobValue(readingBytes(m.readings)),
            blobValue(m.onOff)};
}

const QString contentColumns =
    QStringLiteral("meter, hash, date, time, total_index, mode, polar, name, readings, on_off");

// The whole content of a record as one key: its numbers, then its bytes.
QByteArray contentKey(const QVariantList& content)
{
    QByteArray key;
    for (int i = 0; i < content.size(); ++i) {
        key += i < 7 ? QByteArray::number(content.at(i).toLongLong())
                     : content.at(i).toByteArray().toHex();
        key += '|';
    }
    return key;
}

// The content of the row `q` is on, read from its columns 1 to 10.
QVariantList contentOf(const QSqlQuery& q)
{
    QVariantList content;
    for (int i = 1; i <= 10; ++i)
        content << q.value(i);
    return content;
}

} // namespace

bool ArchiveStore::execWith(QSqlQuery& q, const QString& statement, const QVariantList& values)
{
    if (!q.prepare(statement))
        return fail(q);
    for (const QVariant& v : values)
        q.addBindValue(v);
    return exec(q);
}

bool ArchiveStore::storeRecords(qint64 meter, const QList<Archive::Entry>& entries,
                                QHash<QByteArray, qint64>* ids)
{
    QStringList rows;
    QVariantList values;
    QHash<QByteArray, qint64> wanted; // the keys of this chunk, with the hash to look for
    for (const Archive::Entry& e : entries) {
        const QVariantList content = recordContent(meter, e.record);
        const QByteArray key = contentKey(content);
        if (ids->contains(key) || wanted.contains(key))
            continue;
        wanted.insert(key, content.at(1).toLongLong());
        rows << QStringLiteral("(?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        values << content;
    }
    if (rows.isEmpty())
        return true;
    // Each stored unless the meter's record of the same content is there, made by this push or
    // any other; those that were are looked up after.
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    if (!execWith(q,
                  QStringLiteral("INSERT INTO records (%1) VALUES %2 ON CONFLICT DO NOTHING "
                                 "RETURNING id, %1")
                      .arg(contentColumns, rows.join(QStringLiteral(", "))),
                  values))
        return false;
    while (q.next()) {
        const QByteArray key = contentKey(contentOf(q));
        ids->insert(key, q.value(0).toLongLong());
        wanted.remove(key);
    }
    if (wanted.isEmpty())
        return true;
    QStringList marks;
    QVariantList hashes{meter};
    for (const qint64 hash : std::as_const(wanted)) {
        marks << QStringLiteral("?");
        hashes << hash;
    }
    if (!execWith(q,
                  QStringLiteral("SELECT id, %1 FROM records WHERE meter = ? AND hash IN (%2)")
                      .arg(contentColumns, marks.join(QStringLiteral(", "))),
                  hashes))
        return false;
    while (q.next())
        ids->insert(contentKey(contentOf(q)), q.value(0).toLongLong());
    return true;
}

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
        qCDebug(lcFiles) << "the team archive does not know this computer's time zone";
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
    QSqlQuery q(m_db);
    return m_open && execWith(q,
                              QStringLiteral("UPDATE downloads SET pushed = ?, push_error = NULL "
                                             "WHERE uuid = ?"),
                              {timeValue(when), id.toString(QUuid::WithoutBraces)});
}

bool ArchiveStore::setPushError(const QUuid& id, const QString& why)
{
    QSqlQuery q(m_db);
    if (id.isNull())
        return m_open && execWith(q,
                                  QStringLiteral("UPDATE downloads SET push_error = ? WHERE "
                                                 "complete = 1 AND ended IS NOT NULL AND "
                                                 "pushed IS NULL"),
                                  {why});
    return m_open &&
           execWith(q, QStringLiteral("UPDATE downloads SET push_error = ? WHERE uuid = ?"),
                    {why, id.toString(QUuid::WithoutBraces)});
}

bool ArchiveStore::put(const Archive::Download& download, const QList<Archive::Entry>& entries)
{
    return transaction([&] { return putInTransaction(download, entries); });
}

bool ArchiveStore::putInTransaction(const Archive::Download& d,
                                    const QList<Archive::Entry>& entries)
{
    const std::optional<qint64> meter = meterId(d.meter.serial, d.kind);
    if (!meter)
        return false;
    QSqlQuery q(m_db);
    // A statement that cannot be prepared would run without its text: said here instead.
    if (!q.prepare(QStringLiteral(
            "INSERT INTO downloads (uuid, meter, product, serial, hardware, firmware, build, "
            "hw_ver, "
            "fw_ver, kind, total, started, ended, complete, job, \"user\", host, limits, "
            "reference, "
            "budget, records, judged, failed, pushed) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, "
            "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (uuid) DO NOTHING RETURNING id")))
        return fail(q);
    q.addBindValue(d.id.toString(QUuid::WithoutBraces));
    q.addBindValue(*meter);
    for (const QString& text :
         {d.meter.product, d.meter.serial, d.meter.hardware, d.meter.firmware, d.meter.buildTime})
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
        return execWith(q, QStringLiteral("UPDATE downloads SET job = ? WHERE uuid = ?"),
                        {textValue(d.job), d.id.toString(QUuid::WithoutBraces)});
    }
    const qint64 row = q.value(0).toLongLong();

    // The records go in chunks of one statement each, and the links after them: a push is a
    // few round trips per chunk, not several per record.
    QHash<QByteArray, qint64> ids;
    for (qsizetype from = 0; from < entries.size(); from += Chunk) {
        const QList<Archive::Entry> chunk = entries.mid(from, Chunk);
        if (!storeRecords(*meter, chunk, &ids))
            return false;
    }
    for (qsizetype from = 0; from < entries.size(); from += Chunk) {
        const QList<Archive::Entry> chunk = entries.mid(from, Chunk);
        QStringList rows;
        QVariantList values;
        for (const Archive::Entry& e : chunk) {
            const auto id = ids.constFind(contentKey(recordContent(*meter, e.record)));
            if (id == ids.constEnd()) {
                m_error = QStringLiteral("record %1 of download %2 was neither stored nor found")
                              .arg(e.record.index + 1)
                              .arg(d.id.toString(QUuid::WithoutBraces));
                return false;
            }
            rows << QStringLiteral("(?, ?, ?, ?)");
            values << row << e.record.index << *id
                   << (e.pass ? QVariant(*e.pass ? 1 : 0) : QVariant(QMetaType::fromType<int>()));
        }
        if (!execWith(
                q,
                QStringLiteral("INSERT INTO links (download, position, record, pass) VALUES ") +
                    rows.join(QStringLiteral(", ")),
                values))
            return false;
    }
    return true;
}
