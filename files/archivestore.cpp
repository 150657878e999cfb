#include "files/archivestore.h"

#include "data/kinds.h"
#include "data/logging.h"
#include "files/archivevalues.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>
#include <QtEndian>

namespace {

using namespace ArchiveValues;

QDateTime timeOf(const QVariant& v)
{
    return v.isNull() ? QDateTime() : QDateTime::fromMSecsSinceEpoch(v.toLongLong());
}

const QString downloadColumns = QStringLiteral(
    "d.uuid, d.product, d.serial, d.hardware, d.firmware, d.build, d.hw_ver, d.fw_ver, d.kind, "
    "d.total, d.started, d.ended, d.complete, d.job, d.\"user\", d.host, d.limits, d.records, "
    "d.judged, d.failed, d.reference, d.budget, d.pushed, d.push_error");

Archive::Download downloadOf(const QSqlQuery& q)
{
    Archive::Download d;
    d.id = QUuid::fromString(q.value(0).toString());
    d.meter.product = q.value(1).toString();
    d.meter.serial = q.value(2).toString();
    d.meter.hardware = q.value(3).toString();
    d.meter.firmware = q.value(4).toString();
    d.meter.buildTime = q.value(5).toString();
    d.meter.hwVer = q.value(6).toUInt();
    d.meter.fwVer = q.value(7).toUInt();
    d.kind = q.value(8).toInt();
    d.meter.kind = d.kind;
    d.total = q.value(9).toInt();
    d.started = timeOf(q.value(10));
    d.ended = timeOf(q.value(11));
    d.complete = q.value(12).toBool();
    d.job = q.value(13).toString();
    d.user = q.value(14).toString();
    d.host = q.value(15).toString();
    if (!q.value(16).isNull()) {
        QString error;
        if (const auto limits = Limits::fromJson(q.value(16).toByteArray(), &error)) {
            d.limits = *limits;
            d.limits.enabled = true;
        }
    }
    d.records = q.value(17).toInt();
    d.judged = q.value(18).toInt();
    d.failed = q.value(19).toInt();
    QString error;
    if (!q.value(20).isNull())
        d.reference =
            Loss::referenceFromJson(q.value(20).toByteArray(), &error).value_or(Loss::Reference{});
    if (!q.value(21).isNull())
        d.budget = Loss::budgetFromJson(q.value(21).toByteArray(), &error).value_or(Loss::Budget{});
    d.pushed = timeOf(q.value(22));
    d.pushError = q.value(23).toString();
    return d;
}

QString likePattern(const QString& text)
{
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('%'), QLatin1String("\\%"))
        .replace(QLatin1Char('_'), QLatin1String("\\_"));
    return QLatin1Char('%') + escaped + QLatin1Char('%');
}

} // namespace

ArchiveStore::ArchiveStore(const QString& path, int busyTimeoutMs)
    : ArchiveStore(Backend::File, path, busyTimeoutMs)
{
}

ArchiveStore::ArchiveStore(Backend backend, const QString& location, int busyTimeoutMs)
    : m_backend(backend)
    , m_path(location)
    , m_connection(QStringLiteral("archive-") + QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    m_open = backend == Backend::Team ? openTeam() : open(busyTimeoutMs);
    if (!m_open)
        qCDebug(lcFiles).noquote()
            << "the archive" << Archive::shownLocation(location) << "cannot be used:" << m_error;
}

ArchiveStore::~ArchiveStore()
{
    if (m_db.isValid())
        m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

bool ArchiveStore::open(int busyTimeoutMs)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE"))) {
        m_error = QStringLiteral("Qt's SQLite driver is not installed");
        return false;
    }
    const QFileInfo file(m_path);
    if (!QDir().mkpath(file.absolutePath())) {
        m_error = QStringLiteral("its folder %1 cannot be made").arg(file.absolutePath());
        return false;
    }
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_db.setDatabaseName(m_path);
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs));
    if (!m_db.open()) {
        m_error = m_db.lastError().text();
        return false;
    }
    // Two programs that open a new file at once can both wait for the other to switch its
    // journal, which SQLite ends at once with "database is locked" for one of them rather than
    // wait: that one starts again, a moment later, until the busy timeout.
    QDeadlineTimer deadline(busyTimeoutMs);
    for (;;) {
        m_busy = false;
        if (setUp())
            return true;
        if (!m_busy || deadline.hasExpired())
            return false;
        QThread::msleep(QRandomGenerator::global()->bounded(5, 30));
    }
}

bool ArchiveStore::setUp()
{
    QSqlQuery q(m_db);
    // Read before anything is written: a newer file stays exactly as it is.
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return fail(q);
    const int version = q.value(0).toInt();
    if (version > SchemaVersion) {
        m_error = newerText(version, SchemaVersion);
        return false;
    }
    // WAL: readers never wait for the writer, and a killed writer loses only what it had not
    // committed. NORMAL synchronisation keeps every commit across a crash of the program.
    if (!q.exec(QStringLiteral("PRAGMA journal_mode = WAL")) || !q.next())
        return fail(q);
    if (q.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0) {
        m_error = QStringLiteral("its journal cannot be switched to WAL");
        return false;
    }
    q.finish();
    if (!q.exec(QStringLiteral("PRAGMA synchronous = NORMAL")) ||
        !q.exec(QStringLiteral("PRAGMA foreign_keys = ON")))
        return fail(q);
    return migrate(m_db, SchemaVersion, &m_error);
}

bool ArchiveStore::fail(const QSqlQuery& query)
{
    // One line, as libpq's messages are not.
    m_error = query.lastError().text().simplified();
    const QString code = query.lastError().nativeErrorCode();
    m_code = code;
    if (isTeam()) {
        // The connection is gone (class 08, an empty code) or the server is shutting down:
        // the next store connects again.
        if (code.isEmpty() || code.startsWith(QLatin1String("08")) ||
            code.startsWith(QLatin1String("57P")))
            m_open = false;
        return false;
    }
    // SQLITE_BUSY and SQLITE_LOCKED.
    m_busy = code == QLatin1String("5") || code == QLatin1String("6");
    return false;
}

bool ArchiveStore::exec(QSqlQuery& query)
{
    return query.exec() || fail(query);
}

bool ArchiveStore::transaction(const std::function<bool()>& work)
{
    if (!m_open)
        return false;
    // Immediate: the write lock is taken (or waited for) first. A transaction that read first
    // could not take it after another program's write, and would fail without waiting.
    // The team archive's transactions take their locks row by row as they write.
    QSqlQuery q(m_db);
    if (!q.exec(isTeam() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE")))
        return fail(q);
    if (work() && q.exec(QStringLiteral("COMMIT")))
        return true;
    if (q.lastError().isValid())
        fail(q);
    q.exec(QStringLiteral("ROLLBACK"));
    return false;
}

std::optional<qint64> ArchiveStore::meterId(const QString& serial, int kind)
{
    QSqlQuery q(m_db);
    if (!execWith(q,
                  QStringLiteral("INSERT INTO meters (serial, kind) VALUES (?, ?) "
                                 "ON CONFLICT DO NOTHING"),
                  {textValue(serial), kind}) ||
        !execWith(q, QStringLiteral("SELECT id FROM meters WHERE serial = ? AND kind = ?"),
                  {textValue(serial), kind}) ||
        !q.next())
        return std::nullopt;
    return q.value(0).toLongLong();
}

std::optional<qint64> ArchiveStore::downloadRow(const QUuid& id)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT id, meter FROM downloads WHERE uuid = ?"));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    if (!exec(q))
        return std::nullopt;
    if (!q.next()) {
        m_error =
            QStringLiteral("no download %1 is archived").arg(id.toString(QUuid::WithoutBraces));
        return std::nullopt;
    }
    return q.value(0).toLongLong();
}

bool ArchiveStore::begin(const Archive::Download& d)
{
    if (!m_open)
        return false;
    const std::optional<qint64> meter = meterId(d.meter.serial, d.kind);
    if (!meter)
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral(
        "INSERT INTO downloads (uuid, meter, product, serial, hardware, firmware, build, hw_ver, "
        "fw_ver, kind, total, started, ended, complete, job, \"user\", host, limits, reference, "
        "budget) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(d.id.toString(QUuid::WithoutBraces));
    q.addBindValue(*meter);
    for (const QString& text :
         {d.meter.product, d.meter.serial, d.meter.hardware, d.meter.firmware, d.meter.buildTime})
        q.addBindValue(textValue(text));
    q.addBindValue(d.meter.hwVer);
    q.addBindValue(d.meter.fwVer);
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
    return exec(q);
}

std::optional<qint64> ArchiveStore::recordId(qint64 meter, const Measurement& m)
{
    const qint64 hash = contentHash(m);
    const QByteArray readings = readingBytes(m.readings);
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT id, date, time, name, readings, on_off, total_index, mode, "
                             "polar FROM records WHERE meter = ? AND hash = ?"));
    q.addBindValue(meter);
    q.addBindValue(hash);
    if (!exec(q))
        return std::nullopt;
    while (q.next()) {
        // The hash only finds candidates: every byte is compared.
        if (q.value(1).toUInt() == m.dateWord && q.value(2).toUInt() == m.timeWord &&
            q.value(3).toByteArray() == m.name && q.value(4).toByteArray() == readings &&
            q.value(5).toByteArray() == m.onOff && q.value(6).toInt() == m.totalIndex &&
            q.value(7).toUInt() == m.mode && q.value(8).toUInt() == m.polar)
            return q.value(0).toLongLong();
    }
    q.prepare(QStringLiteral("INSERT INTO records (meter, hash, date, time, name, readings, "
                             "on_off, total_index, mode, polar) "
                             "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) RETURNING id"));
    q.addBindValue(meter);
    q.addBindValue(hash);
    q.addBindValue(qint64(m.dateWord));
    q.addBindValue(qint64(m.timeWord));
    q.addBindValue(blobValue(m.name));
    q.addBindValue(blobValue(readings));
    q.addBindValue(blobValue(m.onOff));
    q.addBindValue(m.totalIndex);
    q.addBindValue(m.mode);
    q.addBindValue(m.polar);
    if (!exec(q) || !q.next())
        return std::nullopt;
    return q.value(0).toLongLong();
}

bool ArchiveStore::add(const QUuid& id, const QList<Archive::Entry>& entries)
{
    if (!m_open)
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT id, meter FROM downloads WHERE uuid = ?"));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    if (!exec(q))
        return false;
    // Deleted while it was being downloaded: what still comes of it goes with it.
    if (!q.next())
        return true;
    const qint64 download = q.value(0).toLongLong();
    const qint64 meter = q.value(1).toLongLong();
    int added = 0, judged = 0, failed = 0;
    for (const Archive::Entry& e : entries) {
        const std::optional<qint64> record = recordId(meter, e.record);
        if (!record)
            return false;
        q.prepare(QStringLiteral("INSERT INTO links (download, position, record, pass) "
                                 "VALUES (?, ?, ?, ?) ON CONFLICT DO NOTHING"));
        q.addBindValue(download);
        q.addBindValue(e.record.index);
        q.addBindValue(*record);
        q.addBindValue(e.pass ? QVariant(*e.pass ? 1 : 0) : QVariant(QMetaType::fromType<int>()));
        if (!exec(q))
            return false;
        if (q.numRowsAffected() == 1) {
            ++added;
            judged += e.pass ? 1 : 0;
            failed += e.pass && !*e.pass ? 1 : 0;
        }
    }
    q.prepare(QStringLiteral("UPDATE downloads SET records = records + ?, judged = judged + ?, "
                             "failed = failed + ? WHERE id = ?"));
    q.addBindValue(added);
    q.addBindValue(judged);
    q.addBindValue(failed);
    q.addBindValue(download);
    return exec(q);
}

bool ArchiveStore::end(const QUuid& id, const QDateTime& ended, bool complete)
{
    if (!m_open)
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE downloads SET ended = ?, complete = ? WHERE uuid = ?"));
    q.addBindValue(timeValue(ended));
    q.addBindValue(complete ? 1 : 0);
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    return exec(q);
}

QList<Archive::Download> ArchiveStore::downloads(const Archive::Filter& filter)
{
    QList<Archive::Download> out;
    if (!m_open)
        return out;
    QString where = QStringLiteral("1 = 1");
    QVariantList values;
    const QString text = filter.text.trimmed();
    if (!text.isEmpty()) {
        // The same match in each dialect: SQLite's LIKE ignores the case of ASCII letters.
        const QString like = isTeam() ? QStringLiteral(" ILIKE ? ESCAPE '\\'")
                                      : QStringLiteral(" LIKE ? ESCAPE '\\'");
        const QString day =
            isTeam() ? QStringLiteral("to_char(to_timestamp(d.started / 1000.0), 'YYYY-MM-DD')")
                     : QStringLiteral(
                           "strftime('%Y-%m-%d', d.started / 1000, 'unixepoch', 'localtime')");
        const QString name = isTeam() ? QStringLiteral("encode(r.name, 'escape')")
                                      : QStringLiteral("CAST(r.name AS TEXT)");
        const QString date =
            isTeam() ? QStringLiteral("to_char(r.date >> 16, 'FM0000') || '-' || "
                                      "to_char((r.date >> 8) & 255, 'FM00') || '-' || "
                                      "to_char(r.date & 255, 'FM00')")
                     : QStringLiteral("printf('%04d-%02d-%02d', r.date >> 16, (r.date >> 8) & 255, "
                                      "r.date & 255)");
        where = QStringLiteral("(d.job%1 OR d.product%1 OR d.serial%1 OR %2%1 OR "
                               "EXISTS (SELECT 1 FROM links l JOIN records r ON r.id = l.record "
                               "WHERE l.download = d.id AND (%3%1 OR %4%1)))")
                    .arg(like, day, name, date);
        for (int i = 0; i < 6; ++i)
            values << likePattern(text);
    }
    switch (filter.verdict) {
    case Archive::Filter::Any:
        break;
    case Archive::Filter::Passed:
        where += QStringLiteral(" AND d.judged > 0 AND d.failed = 0");
        break;
    case Archive::Filter::Failed:
        where += QStringLiteral(" AND d.failed > 0");
        break;
    case Archive::Filter::NotJudged:
        where += QStringLiteral(" AND d.judged = 0");
        break;
    }
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(
        QStringLiteral("SELECT %1 FROM downloads d WHERE %2 ORDER BY d.started DESC, d.id DESC")
            .arg(downloadColumns, where));
    for (const QVariant& v : values)
        q.addBindValue(v);
    if (!exec(q))
        return out;
    while (q.next())
        out.append(downloadOf(q));
    return out;
}

std::optional<Archive::Download> ArchiveStore::download(const QString& id)
{
    if (!m_open)
        return std::nullopt;
    QString key = id.trimmed().toLower();
    if (key.startsWith(QLatin1Char('{')))
        key = key.mid(1);
    if (key.endsWith(QLatin1Char('}')))
        key.chop(1);
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM downloads d WHERE substr(d.uuid, 1, ?) = ? LIMIT 2")
                  .arg(downloadColumns));
    q.addBindValue(key.size());
    q.addBindValue(key);
    if (!exec(q))
        return std::nullopt;
    if (key.isEmpty() || !q.next()) {
        m_error = QStringLiteral("no archived download has the id %1").arg(id);
        return std::nullopt;
    }
    const Archive::Download d = downloadOf(q);
    if (q.next()) {
        m_error =
            QStringLiteral("more than one archived download has an id that starts with %1").arg(id);
        return std::nullopt;
    }
    return d;
}

bool ArchiveStore::records(const QUuid& id, QList<Archive::Entry>* entries)
{
    entries->clear();
    if (!m_open)
        return false;
    const std::optional<Archive::Download> d = download(id.toString(QUuid::WithoutBraces));
    if (!d)
        return false;
    const KindInfo* kind = kindInfo(d->kind);
    if (!kind) {
        m_error =
            QStringLiteral("the download's kind %1 is not one this program knows").arg(d->kind);
        return false;
    }
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral(
        "SELECT l.position, l.pass, r.date, r.time, r.name, r.readings, r.on_off, r.total_index, "
        "r.mode, r.polar FROM links l JOIN records r ON r.id = l.record "
        "JOIN downloads d ON d.id = l.download WHERE d.uuid = ? ORDER BY l.position"));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    if (!exec(q))
        return false;
    while (q.next()) {
        Archive::Entry e;
        Measurement& m = e.record;
        m.kind = kind;
        m.index = q.value(0).toInt();
        m.total = d->total;
        if (!q.value(1).isNull())
            e.pass = q.value(1).toInt() != 0;
        m.dateWord = q.value(2).toUInt();
        m.timeWord = q.value(3).toUInt();
        m.name = q.value(4).toByteArray();
        const QByteArray readings = q.value(5).toByteArray();
        m.onOff = q.value(6).toByteArray();
        m.totalIndex = q.value(7).toInt();
        m.mode = quint16(q.value(8).toUInt());
        m.polar = quint16(q.value(9).toUInt());
        // A record of another size than its kind stores was not written by this program.
        if (readings.size() != 2 * kind->stored || m.name.size() > Measurement::NameSize ||
            m.index != entries->size()) {
            m_error = QStringLiteral("record %1 of download %2 is damaged")
                          .arg(m.index + 1)
                          .arg(id.toString(QUuid::WithoutBraces));
            entries->clear();
            return false;
        }
        m.readings.resize(kind->stored);
        for (int i = 0; i < kind->stored; ++i)
            m.readings[i] = qFromLittleEndian<qint16>(readings.constData() + 2 * i);
        entries->append(e);
    }
    return true;
}

bool ArchiveStore::setJob(const QUuid& id, const QString& job)
{
    if (!m_open)
        return false;
    QSqlQuery q(m_db);
    // A pushed download waits to be pushed again, with its new job.
    q.prepare(QStringLiteral("UPDATE downloads SET job = ?, pushed = NULL WHERE uuid = ?"));
    q.addBindValue(textValue(job));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    return exec(q);
}

bool ArchiveStore::setLoss(const QUuid& id, const Loss::Reference& reference,
                           const Loss::Budget& budget)
{
    if (!m_open)
        return false;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE downloads SET reference = ?, budget = ? WHERE uuid = ?"));
    q.addBindValue(jsonValue(reference.isSet(), Loss::toJson(reference)));
    q.addBindValue(jsonValue(budget.isSet(), Loss::toJson(budget)));
    q.addBindValue(id.toString(QUuid::WithoutBraces));
    return exec(q);
}

bool ArchiveStore::remove(const QUuid& id)
{
    if (isTeam()) {
        m_error = QStringLiteral("downloads are not deleted from the team archive here");
        return false;
    }
    return transaction([this, &id] {
        const std::optional<qint64> row = downloadRow(id);
        if (!row)
            return false;
        // The records no other download links go with it; noted before its links go.
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral(
                "CREATE TEMP TABLE IF NOT EXISTS doomed (id INTEGER PRIMARY KEY)")) ||
            !q.exec(QStringLiteral("DELETE FROM temp.doomed")))
            return fail(q);
        q.prepare(QStringLiteral(
            "INSERT OR IGNORE INTO temp.doomed SELECT record FROM links l WHERE l.download = ? "
            "AND NOT EXISTS (SELECT 1 FROM links o WHERE o.record = l.record AND "
            "o.download <> l.download)"));
        q.addBindValue(*row);
        if (!exec(q))
            return false;
        q.prepare(QStringLiteral("DELETE FROM downloads WHERE id = ?"));
        q.addBindValue(*row);
        if (!exec(q))
            return false;
        return q.exec(QStringLiteral(
                   "DELETE FROM records WHERE id IN (SELECT id FROM temp.doomed)")) ||
               fail(q);
    });
}
