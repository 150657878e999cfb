#include "session/teamreader.h"

#include "files/archivestore.h"

#include <QThread>

#include <memory>

// The part in the reader's thread. Requests reach it through a locked inbox and a call by name,
// answers leave it by queued signals, by value.
class TeamReader::Worker : public QObject {
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

    void post(const Request& request)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_inbox.append(request);
        QMetaObject::invokeMethod(this, "answer", Qt::QueuedConnection);
    }

Q_SIGNALS:
    void listed(int ticket, const QList<Archive::Download>& downloads, const QString& error);
    void recordsRead(int ticket, const QList<Archive::Entry>& entries, const QString& error);

public Q_SLOTS:
    // As its thread ends, in that thread: the connection is closed where it was made.
    void close() { m_store.reset(); }

private Q_SLOTS:
    void answer()
    {
        Request request;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (m_inbox.isEmpty())
                return;
            request = m_inbox.takeFirst();
        }
        if (!m_store || !m_store->isOpen())
            m_store = std::make_unique<ArchiveStore>(ArchiveStore::Backend::Team, m_location);
        if (request.list) {
            const QList<Archive::Download> downloads = m_store->downloads(request.filter);
            // A listing fails when the server cannot be reached or went away.
            Q_EMIT listed(request.ticket, downloads,
                          m_store->isOpen() ? QString() : m_store->errorText());
        } else {
            QList<Archive::Entry> entries;
            const bool read = m_store->records(request.id, &entries);
            Q_EMIT recordsRead(request.ticket, entries, read ? QString() : m_store->errorText());
        }
    }

private:
    const QString m_location;
    std::unique_ptr<ArchiveStore> m_store;
    std::mutex m_mutex;
    QList<Request> m_inbox;
};

TeamReader::TeamReader(const QString& location, QObject* parent)
    : QObject(parent)
    , m_thread(new QThread)
    , m_worker(new Worker(location))
{
    m_thread->setObjectName(QStringLiteral("team archive reader"));
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &Worker::close, Qt::DirectConnection);
    connect(m_worker, &Worker::listed, this, &TeamReader::listed);
    connect(m_worker, &Worker::recordsRead, this, &TeamReader::recordsRead);
    m_thread->start();
}

TeamReader::~TeamReader()
{
    m_worker->disconnect(this);
    m_thread->quit();
    // A server gone quiet may hold a request until libpq gives up: the window does not wait.
    if (m_thread->wait(CloseWaitMs)) {
        delete m_worker;
        delete m_thread;
        return;
    }
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
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

#include "teamreader.moc"
