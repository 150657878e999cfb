#pragma once

#include "data/identity.h"
#include "data/limits.h"
#include "data/measurement.h"
#include "files/archive.h"

#include <QObject>
#include <QString>
#include <QUuid>

class ArchiveWriter;
class MeterSession;
class QThread;

// Archives every download of a meter session as it is listed: each record goes to the archive's
// thread as it is stored, and is written there in small transactions, so that the download never
// waits for the disk and a crash loses at most the last moment. Lives in the session's thread.
class ArchiveRecorder : public QObject {
    Q_OBJECT
public:
    ArchiveRecorder(const MeterSession& session, const QString& path, QObject* parent = nullptr);
    // Waits until everything handed over has been written, or has failed.
    ~ArchiveRecorder() override;

    // What the next downloads are archived with.
    void setJob(const QString& job) { m_job = job; }
    void setLimits(const Limits::LimitSet& limits) { m_limits = limits; }
    void setLoss(const Loss::Reference& reference, const Loss::Budget& budget)
    {
        m_reference = reference;
        m_budget = budget;
    }
    // The reference and budget the last download was judged against once it had ended: one of
    // its own records, say.
    void amendLoss(const Loss::Reference& reference, const Loss::Budget& budget);
    // The download being archived; null between downloads.
    QUuid current() const { return m_current.id; }
    // Ends the download being archived, if any, and waits until everything handed over has been
    // written; the reason when the archive could not be written, else an empty text.
    QString finish();

Q_SIGNALS:
    // The archive cannot be opened or written; said once, whatever else fails after it.
    void failed(const QString& why);
    // A download that ended complete is in the archive.
    void completed();

private:
    void started(int total);
    void stored(const Measurement& record);
    void ended(bool complete);

    const MeterSession& m_session;
    QThread* m_thread = nullptr;
    ArchiveWriter* m_writer = nullptr;
    MeterIdentity m_identity;
    QString m_job;
    Limits::LimitSet m_limits;
    Loss::Reference m_reference;
    Loss::Budget m_budget;
    Archive::Download m_current;
    QUuid m_last; // the download archived last
    bool m_judging = false;
    bool m_failed = false;
};
