#pragma once

#include "files/archive.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

// Reads the team archive in a thread of its own, so that a server far away or gone quiet never
// holds up a window: each request is answered by a signal carrying its ticket, in the order
// asked. The connection is made at the first request, and again after the server went away.
// list(), read() and the destructor are called from the thread that made it.
class TeamReader : public QObject {
    Q_OBJECT
public:
    // Reads the team archive whose connection string is `location`.
    explicit TeamReader(const QString& location, QObject* parent = nullptr);
    // Waits a moment for a request under way, and no longer.
    ~TeamReader() override;

    // The downloads `filter` lets through, newest first: answered by listed().
    int list(const Archive::Filter& filter);
    // The records of download `id`: answered by recordsRead().
    int read(const QUuid& id);

    static constexpr int CloseWaitMs = 3000;

Q_SIGNALS:
    // An empty `error` when the team archive answered.
    void listed(int ticket, const QList<Archive::Download>& downloads, const QString& error);
    void recordsRead(int ticket, const QList<Archive::Entry>& entries, const QString& error);

private:
    // The worker has answered: its answers are taken and said, in order.
    void deliver();

    class Worker;
    Worker* m_worker = nullptr;
    int m_ticket = 0;
};
