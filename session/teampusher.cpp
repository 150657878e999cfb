#include "session/teampusher.h"

#include "files/archive.h"
#include "files/archivepush.h"
#include "files/archivestore.h"

#include <QFileInfo>
#include <QThread>
#include <QTimer>

// The part that lives in the pusher's thread; the pusher, in its maker's thread, hears from it
// through queued signals.
class TeamPusher::Worker : public QObject {
    Q_OBJECT
public:
    explicit Worker(const QString& path)
        : m_path(path)
    {
    }

    void request()
    {
        // One queued call at a time: requests that come while it waits are the same push.
        if (!m_posted.exchange(true))
            QMetaObject::invokeMethod(this, "push", Qt::QueuedConnection);
    }

Q_SIGNALS:
    void pushed(int pushed, int waiting, const QString& error);

public Q_SLOTS:
    // As its thread ends, in that thread: its timer is stopped where it runs.
    void close()
    {
        delete m_retry;
        m_retry = nullptr;
    }

private Q_SLOTS:
    void push()
    {
        m_posted = false;
        const QString team = Archive::teamLocation();
        if (team.isEmpty() || !QFileInfo::exists(m_path))
            return;
        ArchiveStore local(m_path);
        const Archive::PushResult result = Archive::push(local, team);
        if (result.waiting > 0) {
            if (!m_retry) {
                m_retry = new QTimer(this);
                m_retry->setSingleShot(true);
                connect(m_retry, &QTimer::timeout, this, &Worker::request);
            }
            m_retry->start(TeamPusher::RetryMs);
        }
        // Said after every push, so that what another program pushed meanwhile is seen too.
        Q_EMIT pushed(result.pushed, result.waiting, result.error);
    }

private:
    const QString m_path;
    std::atomic<bool> m_posted{false};
    QTimer* m_retry = nullptr;
};

TeamPusher::TeamPusher(const QString& archivePath, QObject* parent)
    : QObject(parent)
    , m_thread(new QThread)
    , m_worker(new Worker(archivePath))
{
    m_thread->setObjectName(QStringLiteral("team archive"));
    m_worker->moveToThread(m_thread);
    connect(m_thread, &QThread::finished, m_worker, &Worker::close, Qt::DirectConnection);
    connect(m_worker, &Worker::pushed, this, &TeamPusher::pushed);
    m_thread->start();
}

TeamPusher::~TeamPusher()
{
    m_worker->disconnect(this);
    m_thread->quit();
    // A push that waits on a server gone quiet may take until libpq's timeouts: the program
    // does not wait for it to close. Its local writes are transactions; the download it was
    // pushing waits for the next push.
    if (m_thread->wait(CloseWaitMs)) {
        delete m_worker;
        delete m_thread;
        return;
    }
    connect(m_thread, &QThread::finished, m_worker, &QObject::deleteLater);
    connect(m_thread, &QThread::finished, m_thread, &QObject::deleteLater);
}

void TeamPusher::request()
{
    m_worker->request();
}

#include "teampusher.moc"
