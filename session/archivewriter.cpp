#include "session/archivewriter.h"

#include "files/archivestore.h"

#include <QThread>
#include <QTimer>

#include <algorithm>

ArchiveWriter::ArchiveWriter(const QString& path)
    : m_path(path)
{
}

ArchiveWriter::~ArchiveWriter() = default;

void ArchiveWriter::begin(const Archive::Download& download)
{
    post({Step::Begin, download, {}, {}, false});
}

void ArchiveWriter::add(const QUuid& id, const Archive::Entry& entry)
{
    Archive::Download download;
    download.id = id;
    post({Step::Add, download, {entry}, {}, false});
}

void ArchiveWriter::end(const QUuid& id, const QDateTime& ended, bool complete)
{
    Archive::Download download;
    download.id = id;
    post({Step::End, download, {}, ended, complete});
}

void ArchiveWriter::amendLoss(const QUuid& id, const Loss::Reference& reference,
                              const Loss::Budget& budget)
{
    Archive::Download download;
    download.id = id;
    download.reference = reference;
    download.budget = budget;
    post({Step::Amend, download, {}, {}, false});
}

// Calls reach the archive's thread by name: Qt then builds and frees the queued call inside
// QtCore, and what travels with it goes through the inbox and its lock.
void ArchiveWriter::post(Step step)
{
    std::lock_guard<std::mutex> lock(m_inboxMutex);
    // Records of one download that wait together go in one step.
    if (step.what == Step::Add && !m_inbox.isEmpty() && m_inbox.last().what == Step::Add &&
        m_inbox.last().download.id == step.download.id)
        m_inbox.last().entries.append(step.entries);
    else
        m_inbox.append(std::move(step));
    // Whatever arrives before the flush runs is written with it.
    if (!m_flushPosted) {
        m_flushPosted = true;
        QMetaObject::invokeMethod(this, "flushPosted", Qt::QueuedConnection);
    }
}

QString ArchiveWriter::finish()
{
    QMetaObject::invokeMethod(this, "flushInThread", Qt::BlockingQueuedConnection);
    std::lock_guard<std::mutex> lock(m_inboxMutex);
    return m_finishError;
}

void ArchiveWriter::close(QThread* home)
{
    {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        m_home = home;
    }
    QMetaObject::invokeMethod(this, "closeInThread", Qt::BlockingQueuedConnection);
    // Taken after the archive's thread let go of it: what that thread wrote last is seen here.
    std::lock_guard<std::mutex> lock(m_inboxMutex);
}

void ArchiveWriter::flushPosted()
{
    {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        m_flushPosted = false;
        m_steps.append(m_inbox);
        m_inbox.clear();
    }
    // After a failure, what comes waits for the retry, which takes it all at once.
    if (!m_retry.hasExpired()) {
        if (!m_retryTimed) {
            m_retryTimed = true;
            QTimer::singleShot(m_retry.remainingTime(), this, [this] {
                m_retryTimed = false;
                flush();
            });
        }
        return;
    }
    flush();
}

void ArchiveWriter::flushInThread()
{
    {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        m_flushPosted = false;
        m_steps.append(m_inbox);
        m_inbox.clear();
    }
    const QString why = flush();
    std::lock_guard<std::mutex> lock(m_inboxMutex);
    m_finishError = why;
}

void ArchiveWriter::closeInThread()
{
    m_store.reset();
    QThread* home = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_inboxMutex);
        home = m_home;
    }
    moveToThread(home);
}

bool ArchiveWriter::apply(const Step& step)
{
    switch (step.what) {
    case Step::Begin:
        return m_store->begin(step.download);
    case Step::Add:
        return m_store->add(step.download.id, step.entries);
    case Step::End:
        return m_store->end(step.download.id, step.ended, step.complete);
    case Step::Amend:
        return m_store->setLoss(step.download.id, step.download.reference, step.download.budget);
    }
    return false;
}

QString ArchiveWriter::flush()
{
    if (m_steps.isEmpty())
        return QString();
    // Opened on first use, in this thread; a file that cannot be opened is tried again with the
    // next records, so that an archive that comes back (a lock released) takes them all.
    if (!m_store || !m_store->isOpen())
        m_store = std::make_unique<ArchiveStore>(m_path);
    const bool written = m_store->transaction([this] {
        for (const Step& step : std::as_const(m_steps)) {
            if (!apply(step))
                return false;
        }
        return true;
    });
    if (written) {
        const bool completed = std::any_of(m_steps.cbegin(), m_steps.cend(), [](const Step& s) {
            return s.what == Step::End && s.complete;
        });
        m_steps.clear();
        if (completed)
            Q_EMIT this->completed();
        return QString();
    }
    m_retry.setRemainingTime(RetryMs);
    const QString why = m_store->errorText();
    Q_EMIT failed(why);
    return why;
}
