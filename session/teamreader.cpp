#include "session/teamreader.h"

#include "files/archivestore.h"
#include "session/threadworker.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

// The part in the reader's thread. Requests and answers pass through its locked boxes; only a
// call by name and a signal without arguments cross between the threads.
class TeamReader::Worker : public ThreadWorker {
    Q_OBJECT
public:
    explicit Worker(const QString& location)
        : m_location(location)
    {
    }

    struct Request {
        int ticket = 0;
        bool list = true;
        Archive::Filter filter;
        QUuid id;
    };
    struct Answer {
        int ticket = 0;
        bool list = true;
        QList<Archive::Download> downloads;
        QList<Archive::Entry> entries;
        QString error;
    };

    // In the maker's thread.
    void post(const Request& request)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_inbox.append(request);
        QMetaObject::invokeMethod(this, "answer", Qt::QueuedConnection);
    }
    QList<Answer> takeAnswers()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_outbox, {});
    }

Q_SIGNALS:
    void answered();

protected:
    // The connection is closed in the thread that made it.
    void closeInThread() override { m_store.reset(); }

private Q_SLOTS:
    void answer()
    {
        Request request;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_inbox.isEmpty())
                return;
            request = m_inbox.takeFirst();
            // A listing asked for again before this one was answered makes this one moot.
            if (request.list && std::any_of(m_inbox.cbegin(), m_inbox.cend(),
                                            [](const Request& r) { return r.list; }))
                return;
        }
        if (!m_store || !m_store->isOpen())
            m_store = std::make_unique<ArchiveStore>(ArchiveStore::Backend::Team, m_location);
        Answer answer{request.ticket, request.list, {}, {}, {}};
        if (request.list) {
            answer.downloads = m_store->downloads(request.filter);
            // A listing fails when the server cannot be reached or went away.
            if (!m_store->isOpen())
                answer.error = m_store->errorText();
        } else if (!m_store->records(request.id, &answer.entries)) {
            answer.error = m_store->errorText();
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_outbox.append(std::move(answer));
        }
        Q_EMIT answered();
    }

private:
    const QString m_location;
    std::unique_ptr<ArchiveStore> m_store;
    QList<Request> m_inbox; // under the lock
    QList<Answer> m_outbox; // under the lock
};

TeamReader::TeamReader(const QString& location, QObject* parent)
    : QObject(parent)
    , m_worker(new Worker(location))
{
    connect(m_worker, &Worker::answered, this, &TeamReader::deliver, Qt::QueuedConnection);
    m_worker->start(QStringLiteral("team archive reader"));
}

TeamReader::~TeamReader()
{
    m_worker->disconnect(this);
    // A server gone quiet may hold a request until libpq gives up: the window does not wait.
    m_worker->end(CloseWaitMs);
}

int TeamReader::list(const Archive::Filter& filter)
{
    m_worker->post({++m_ticket, true, filter, QUuid()});
    return m_ticket;
}

int TeamReader::read(const QUuid& id)
{
    m_worker->post({++m_ticket, false, Archive::Filter(), id});
    return m_ticket;
}

void TeamReader::deliver()
{
    const QList<Worker::Answer> answers = m_worker->takeAnswers();
    for (const Worker::Answer& a : answers) {
        if (a.list)
            Q_EMIT listed(a.ticket, a.downloads, a.error);
        else
            Q_EMIT recordsRead(a.ticket, a.entries, a.error);
    }
}

#include "teamreader.moc"
