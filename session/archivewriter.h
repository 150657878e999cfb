#pragma once

#include "files/archive.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>
#include <mutex>

class ArchiveStore;
class QThread;

// The archive recorder's end in the archive's thread: takes downloads and records as they come
// and writes whatever has come in one transaction at a time. What a transaction could not write
// stays, and goes with the next one. Lives in the archive's thread; begin(), add(), end(),
// finish() and close() are called from the recorder's.
class ArchiveWriter : public QObject {
    Q_OBJECT
public:
    explicit ArchiveWriter(const QString& path);
    ~ArchiveWriter() override;

    void begin(const Archive::Download& download);
    void add(const QUuid& id, const Archive::Entry& entry);
    void end(const QUuid& id, const QDateTime& ended, bool complete);
    void amendLoss(const QUuid& id, const Loss::Reference& reference, const Loss::Budget& budget);
    // Waits until what has come is written; the reason when it could not be, else empty.
    QString finish();
    // Closes the archive and hands the writer back to `home`, the thread that deletes it.
    void close(QThread* home);

    static constexpr int RetryMs = 5000;

Q_SIGNALS:
    void failed(const QString& why);
    // A download that ended complete has been written: the team archive may take it.
    void completed();

private Q_SLOTS:
    // In the archive's thread.
    void flushPosted();
    void flushInThread();
    void closeInThread();

private:
    struct Step {
        enum { Begin, Add, End, Amend } what;
        // Begin: the download; Amend: its id, reference and budget; Add and End: its id
        Archive::Download download;
        QList<Archive::Entry> entries;
        QDateTime ended;
        bool complete = false;
    };
    void post(Step step);
    bool apply(const Step& step);
    QString flush();

    QString m_path;

    // Handed over from the recorder's thread, under the lock.
    std::mutex m_inboxMutex;
    QList<Step> m_inbox;
    bool m_flushPosted = false;
    QString m_finishError;
    QThread* m_home = nullptr;

    // The archive's thread alone.
    std::unique_ptr<ArchiveStore> m_store;
    QList<Step> m_steps;
    // After a failure, what comes waits until then, so that an archive that stays unwritable
    // is not tried again for every record.
    QDeadlineTimer m_retry;
    bool m_retryTimed = false;
};
