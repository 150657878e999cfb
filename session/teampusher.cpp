#include "session/teampusher.h"

#include "files/archive.h"
#include "files/archivepush.h"
#include "files/archivestore.h"
#include "session/threadworker.h"

#include <QFileInfo>
#include <QTimer>

#include <atomic>
#include <mutex>
#include <optional>
#include <utility>

// The part that lives in the pusher's thread; the pusher, in its maker's thread, hears from it
// through queued signals.
class TeamPusher::Worker : public ThreadWorker {
    Q_OBJECT
public:
    explicit Worker(const QString& path)
        : m_path(path)
    {
    }

    // From the pusher's thread, with the team archive as its settings say now.
    void request(const QString& team)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_team = team;
        }
        // One queued call at a time: requests that come while it waits are the same push.
        if (!m_posted.exchange(true))
            QMetaObject::invokeMethod(this, "push", Qt::QueuedConnection);
    }

    // In the pusher's thread: how the pushes since the last call ended, the last one's counts.
    std::optional<Archive::PushResult> takeResult()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return std::exchange(m_result, std::nullopt);
    }

Q_SIGNALS:
    void pushed();

protected:
    // Its retry timer is stopped in the thread it runs in.
    void closeInThread() override
    {
        delete m_retry;
        m_retry = nullptr;
    }

private Q_SLOTS:
    void push()
    {
        m_posted = false;
        QString team;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            team = m_team;
        }
        if (team.isEmpty() || !QFileInfo::exists(m_path))
            return;
        ArchiveStore local(m_path);
        const Archive::PushResult result = Archive::push(local, team);
        if (result.waiting > 0) {
            if (!m_retry) {
                m_retry = new QTimer(this);
                m_retry->setSingleShot(true);
                connect(m_retry, &QTimer::timeout, this, &Worker::push);
            }
            m_retry->start(TeamPusher::RetryMs);
        }
        // Said after every push, so that what another program pushed meanwhile is seen too.
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_result = result;
        }
        Q_EMIT pushed();
    }

private:
    const QString m_path;
    std::atomic<bool> m_posted{false};
    QString m_team;                              // under the lock
    std::optional<Archive::PushResult> m_result; // under the lock
    QTimer* m_retry = nullptr;
};

TeamPusher::TeamPusher(const QString& archivePath, QObject* parent)
    : QObject(parent)
    , m_worker(new Worker(archivePath))
{
    connect(m_worker, &Worker::pushed, this, &TeamPusher::deliver, Qt::QueuedConnection);
    m_worker->start(QStringLiteral("team archive"));
}

TeamPusher::~TeamPusher()
{
    m_worker->disconnect(this);
    // A push that waits on a server gone quiet may take until libpq's timeouts: the program
    // does not wait for it to close. Its local writes are transactions; the download it was
    // pushing waits for the next push.
    m_worker->end(CloseWaitMs);
}

void TeamPusher::deliver()
{
    if (const std::optional<Archive::PushResult> result = m_worker->takeResult())
        Q_EMIT pushed(result->pushed, result->waiting, result->error);
}

void TeamPusher::request()
{
    // The settings are read here: the pusher's thread reads none.
    m_worker->request(Archive::teamLocation());
}

#include "teampusher.moc"
