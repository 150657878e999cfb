#include "session/archivewriter.h"

#include "files/archivestore.h"

#include <QTimer>

#include <algorithm>

ArchiveWriter::ArchiveWriter(const QString& path)
    : m_path(path)
{
}

ArchiveWriter::~ArchiveWriter() = default;

void ArchiveWriter::begin(const Archive::Download& download)
{
    queue({Step::Begin, download, {}, {}, false});
}

void ArchiveWriter::add(const QUuid& id, const Archive::Entry& entry)
{
    // Records of one download that wait together go in one statement list.
    if (!m_steps.isEmpty() && m_steps.last().what == Step::Add &&
        m_steps.last().download.id == id) {
        m_steps.last().entries.append(entry);
        return;
    }
    Archive::Download download;
    download.id = id;
    queue({Step::Add, download, {entry}, {}, false});
}

void ArchiveWriter::end(const QUuid& id, const QDateTime& ended, bool complete)
{
    Archive::Download download;
    download.id = id;
    queue({Step::End, download, {}, ended, complete});
}

void ArchiveWriter::queue(Step step)
{
    m_steps.append(std::move(step));
    // Whatever arrives before the flush runs is written with it; after a failure, whatever
    // arrives before the retry.
    if (!m_flushPosted) {
        m_flushPosted = true;
        QTimer::singleShot(std::max<qint64>(0, m_retry.remainingTime()), this, [this] {
            m_flushPosted = false;
            flush();
        });
    }
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
        m_steps.clear();
        return QString();
    }
    m_retry.setRemainingTime(RetryMs);
    const QString why = m_store->errorText();
    Q_EMIT failed(why);
    return why;
}
