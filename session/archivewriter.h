#pragma once

#include "files/archive.h"

#include <QDateTime>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QUuid>

#include <memory>

class ArchiveStore;

// The archive recorder's end in the archive's thread: takes downloads and records as they come
// and writes whatever has come in one transaction at a time. What a transaction could not write
// stays, and goes with the next one. Created, used and deleted in that thread.
class ArchiveWriter : public QObject {
    Q_OBJECT
public:
    explicit ArchiveWriter(const QString& path);
    ~ArchiveWriter() override;

    void begin(const Archive::Download& download);
    void add(const QUuid& id, const Archive::Entry& entry);
    void end(const QUuid& id, const QDateTime& ended, bool complete);
    static constexpr int RetryMs = 5000;
    // Writes what has come; the reason when it cannot, else an empty text.
    QString flush();

Q_SIGNALS:
    void failed(const QString& why);

private:
    struct Step {
        enum { Begin, Add, End } what;
        Archive::Download download; // Begin: the download; Add and End: its id
        QList<Archive::Entry> entries;
        QDateTime ended;
        bool complete = false;
    };
    void queue(Step step);
    bool apply(const Step& step);

    QString m_path;
    std::unique_ptr<ArchiveStore> m_store;
    QList<Step> m_steps;
    bool m_flushPosted = false;
    // After a failure, what comes waits until then, so that an archive that stays unwritable
    // is not tried again for every record.
    QDeadlineTimer m_retry;
};
