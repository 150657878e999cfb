#pragma once

#include "data/identity.h"
#include "data/jobblock.h"
#include "data/limits.h"
#include "data/loss.h"
#include "export/exportoptions.h"
#include "export/progressmeter.h"
#include "session/metersession.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <optional>

class ArchiveRecorder;
class QSerialPort;
class Report;
namespace ReportFiles {
class Pending;
}

// velumin-export's run: opens the port, identifies the meter, downloads every record through the
// same Download the window uses, writes the reports and judges the records. Lives in the thread
// that runs the event loop; finished() comes once, after the port has been closed.
class Exporter : public QObject {
    Q_OBJECT
public:
    // The process's exit status.
    enum Status {
        Done = 0,
        LimitsFailed = 1,
        Usage = 2,
        PortUnavailable = 3,
        NoIdentity = 4,
        MeterGone = 5,
        WriteFailed = 6,
        ArchiveUnreadable = 7,
        TeamUnusable = 8,
        Interrupted = 130,
    };

    // During the download the meter counts as gone when no record came in this many retry
    // intervals (or in the timeout, when that is longer).
    static constexpr int DownloadRetries = 4;

    explicit Exporter(ExportOptions options, QObject* parent = nullptr);
    ~Exporter() override;

    // Begins the run; finished() follows, possibly before the event loop has run.
    void start();
    // Ends the run at once with Interrupted; nothing more is written.
    void interrupt();

    // Set from a signal handler: a report being written stops, and none is committed.
    static std::atomic<bool> interruptRequested;

Q_SIGNALS:
    void finished(int status);

private:
    // --from-archive: the archived download's records in place of a meter's.
    void reportArchived();
    // The meter's identity on standard output, for a run that asks for no report.
    void printIdentity();
    // Said once, on standard error; the run goes on.
    void archiveFailed(const QString& why);
    bool loadLimits();
    // The file of an option, read by `read` into `value`; nothing when the option was not
    // given. False after finish() when the file cannot be used: "the <what> file ... cannot be
    // used: why".
    template <typename T, typename Read>
    bool readFileOption(const QString& path, const char* what, Read read, T* value)
    {
        if (path.isEmpty())
            return true;
        QString error;
        const std::optional<T> contents = read(path, &error);
        if (!contents) {
            finish(Usage, QStringLiteral("the %1 file %2 cannot be used: %3")
                              .arg(QLatin1String(what), path, error));
            return false;
        }
        *value = *contents;
        return true;
    }
    // The reference file, the budget and the job block; false after finish() when one cannot be
    // used.
    bool loadLoss();
    // --reference-record: the reference from a record of the download; false after finish()
    // when there is no such record.
    bool takeReferenceRecord();
    bool checkOutputs();
    bool openPort();
    void identified(const MeterIdentity& identity);
    void listStarted(int total);
    void stored(const Measurement& record);
    // The downloaded records, or the archived download's.
    QList<Measurement> records() const
    {
        return m_archived ? *m_archived : m_download.records(m_options.kind);
    }
    int recordCount() const { return int(records().size()); }
    void downloaded();
    // All the reports or none: each is written whole to a file of its own, then all replace
    // their targets together; standard output comes last.
    bool writeReports();
    // `report` to `path` (none: not asked for) in the format of `id`; false after finish() when
    // it failed or was interrupted.
    bool writeReport(ReportFiles::Pending& pending, const QString& path, const char* id,
                     const Report& report);
    // MPO kinds: a file per record, or the record of --record.
    bool writeCsv(ReportFiles::Pending& pending, const Report& report);
    int verdictStatus();
    void portLost();
    // Closes the port and reports `status`, with `line` on standard error unless it is empty.
    void finish(int status, const QString& line);
    void closeLink();

    ExportOptions m_options;
    Limits::LimitSet m_limits;
    Loss::Reference m_reference;
    Loss::Budget m_budget;
    JobBlock m_jobBlock;
    bool m_displayFreq = false;
    MeterSession m_session;
    ArchiveRecorder* m_recorder = nullptr;
    bool m_archiveWarned = false;
    std::optional<QList<Measurement>> m_archived;
    bool m_finished = false;

    MeterIdentity m_identity;
    bool m_identified = false;
    const Download& m_download = m_session.download();
    int m_total = 0;

    // Runs out when the meter says nothing useful for --timeout seconds.
    QTimer m_deadline;
    ProgressMeter m_progress;
};
