#include "session/archiverecorder.h"

#include "files/reportcontent.h"
#include "session/archivewriter.h"
#include "session/metersession.h"

#include <QThread>

ArchiveRecorder::ArchiveRecorder(const MeterSession& session, const QString& path, QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_thread(new QThread)
    , m_writer(new ArchiveWriter(path))
{
    m_thread->setObjectName(QStringLiteral("archive"));
    m_writer->moveToThread(m_thread);
    connect(m_writer, &ArchiveWriter::failed, this, [this](const QString& why) {
        if (m_failed)
            return;
        m_failed = true;
        Q_EMIT failed(why);
    });
    connect(m_writer, &ArchiveWriter::completed, this, &ArchiveRecorder::completed);
    m_thread->start();
    connect(&session, &MeterSession::identified, this,
            [this](const MeterIdentity& identity) { m_identity = identity; });
    connect(&session, &MeterSession::listStarted, this, &ArchiveRecorder::started);
    connect(&session, &MeterSession::recordStored, this, &ArchiveRecorder::stored);
    connect(&session, &MeterSession::downloaded, this, [this] { ended(true); });
    connect(&session, &MeterSession::stopped, this, [this] { ended(false); });
}

ArchiveRecorder::~ArchiveRecorder()
{
    finish();
    m_writer->disconnect(this);
    // Its database connection is closed in the thread that made it.
    m_writer->close(thread());
    m_thread->quit();
    m_thread->wait();
    delete m_thread;
    delete m_writer;
}

QString ArchiveRecorder::finish()
{
    ended(false);
    return m_writer->finish();
}

void ArchiveRecorder::started(int total)
{
    // Record 0 came again: the list starts over, and so does its archived download.
    ended(false);
    const KindInfo* kind = kindForDeviceIndex(m_session.deviceIndex());
    Archive::Download d;
    d.id = QUuid::createUuid();
    d.meter = m_identity;
    d.kind = kind ? kind->code : m_identity.kind;
    d.total = total;
    d.started = QDateTime::currentDateTime();
    d.job = m_job;
    d.user = Archive::userName();
    d.host = Archive::hostName();
    if (m_reference.isSet() && (m_reference.kind == 0 || m_reference.kind == d.kind)) {
        d.reference = m_reference;
        d.budget = m_budget;
    }
    m_judging = ReportContent::judges(m_limits, d.kind);
    if (m_judging)
        d.limits = m_limits;
    m_current = d;
    m_writer->begin(d);
    // A meter without records has listed them all.
    if (total == 0)
        ended(true);
}

void ArchiveRecorder::stored(const Measurement& record)
{
    if (m_current.id.isNull())
        return;
    Archive::Entry entry{record, std::nullopt};
    if (m_judging) {
        if (const auto verdict = ReportContent::recordVerdict(m_current.limits, record))
            entry.pass = verdict->pass;
    }
    m_writer->add(m_current.id, entry);
}

void ArchiveRecorder::ended(bool complete)
{
    if (m_current.id.isNull())
        return;
    const QUuid id = m_current.id;
    m_last = id;
    m_current = Archive::Download();
    m_writer->end(id, QDateTime::currentDateTime(), complete);
}

void ArchiveRecorder::amendLoss(const Loss::Reference& reference, const Loss::Budget& budget)
{
    if (!m_last.isNull())
        m_writer->amendLoss(m_last, reference, budget);
}
