#include "session/threadworker.h"

#include <QThread>

void ThreadWorker::start(const QString& name)
{
    m_thread = new QThread;
    m_thread->setObjectName(name);
    moveToThread(m_thread);
    // By name: the connection is then Qt's own, made and freed inside QtCore.
    connect(m_thread, SIGNAL(finished()), this, SLOT(threadEnding()), Qt::DirectConnection);
    m_thread->start();
}

void ThreadWorker::threadEnding()
{
    closeInThread();
    std::lock_guard<std::mutex> lock(m_mutex);
}

void ThreadWorker::end(int waitMs)
{
    QThread* thread = m_thread;
    thread->quit();
    if (thread->wait(waitMs)) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
        }
        delete this;
        delete thread;
        return;
    }
    // A call still waits on its server: the program goes on, and the worker goes when it returns.
    connect(thread, &QThread::finished, this, &QObject::deleteLater);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
}
