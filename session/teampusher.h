#pragma once

#include <QObject>
#include <QString>

// Pushes this computer's complete downloads to the team archive in a thread of its own, so that
// a server far away or gone never holds up a download or a window: when asked, and again a
// minute after a push left downloads waiting. Does nothing while no team archive is set (read
// anew for every push). request() and the destructor are called from the thread that made it.
class TeamPusher : public QObject {
    Q_OBJECT
public:
    explicit TeamPusher(const QString& archivePath, QObject* parent = nullptr);
    // Waits a moment for a push under way to end, and no longer.
    ~TeamPusher() override;

    // Asks for a push of what waits; pushes asked for while one runs are one more push.
    void request();

    static constexpr int RetryMs = 60000;
    static constexpr int CloseWaitMs = 3000;

Q_SIGNALS:
    // A push ended: downloads taken, downloads still waiting, and why the last failed. Not said
    // while no team archive is set.
    void pushed(int pushed, int waiting, const QString& error);

private:
    // The worker has pushed: its result is taken and said.
    void deliver();

    class Worker;
    Worker* m_worker = nullptr;
};
