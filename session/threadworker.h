#pragma once

#include <QObject>
#include <QString>

#include <mutex>

class QThread;

// A worker object in a thread of its own that its maker ends without waiting long for it: the
// team archive's pusher and reader, whose calls may wait on a server far away. A subclass closes
// what it opened in closeInThread() and keeps what crosses threads under m_mutex.
class ThreadWorker : public QObject {
    Q_OBJECT
public:
    // From the maker's thread: moves the worker to a new thread named `name` and starts it.
    void start(const QString& name);
    // From the maker's thread: ends the thread, waiting up to `waitMs` for a call under way. The
    // worker and its thread are deleted then, or once that call has returned; the worker is not
    // to be used after this.
    void end(int waitMs);

protected:
    ThreadWorker() = default;
    // In the worker's thread, as it ends.
    virtual void closeInThread() {}

    // Guards what the subclass hands between the threads. Taken last in the worker's thread and
    // by end() before the worker is deleted, so that all the worker did is seen to come first.
    std::mutex m_mutex;

private Q_SLOTS:
    void threadEnding();

private:
    QThread* m_thread = nullptr;
};
