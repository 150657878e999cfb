#include "export/exporter.h"

#include "data/kinds.h"
#include "device/comports.h"
#include "data/displayunit.h"
#include "data/limitsstore.h"
#include "data/lossstore.h"
#include "export/reportfiles.h"
#include "export/teamcommands.h"
#include "files/archive.h"
#include "files/archivestore.h"
#include "files/report.h"
#include "files/reportcontent.h"
#include "files/reportformats.h"
#include "session/archiverecorder.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>
#include <QSerialPort>

#include <algorithm>
#include <cstdio>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

std::atomic<bool> Exporter::interruptRequested{false};

namespace {

const QString standardOutput = QStringLiteral("-");

bool writeToStandardOutput(const QByteArray& bytes)
{
    return std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) ==
               size_t(bytes.size()) &&
           std::fflush(stdout) == 0;
}

// What a run that ends now leaves behind: which reports were committed and which were not.
QString writtenNote(const QStringList& written, const QStringList& notWritten)
{
    if (written.isEmpty())
        return QStringLiteral("no report was written");
    QString note = QStringLiteral("written: %1").arg(written.join(QStringLiteral(", ")));
    if (!notWritten.isEmpty())
        note += QStringLiteral("; not written: %1").arg(notWritten.join(QStringLiteral(", ")));
    return note;
}

// How to get at a port the user may not open.
QString accessAdvice()
{
    return QStringLiteral(
        "To use the meter without root, install the velumin package (its udev rule gives the user "
        "at the seat the meter's port) or add yourself to the dialout group: sudo adduser "
        "\"$USER\" "
        "dialout, then log in again.");
}

} // namespace

Exporter::Exporter(ExportOptions options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_progress(stderr,
#ifdef Q_OS_UNIX
                 isatty(STDERR_FILENO) == 1,
#else
                 false,
#endif
                 m_options.quiet)
{
    // Made first, so that it hears of each record before the run acts on it.
    if (m_options.archives()) {
        m_recorder = new ArchiveRecorder(m_session, Archive::location(), this);
        m_recorder->setJob(m_options.job);
        connect(m_recorder, &ArchiveRecorder::failed, this, &Exporter::archiveFailed);
    }
    connect(&m_session, &MeterSession::identified, this, &Exporter::identified);
    connect(&m_session, &MeterSession::listStarted, this, &Exporter::listStarted);
    connect(&m_session, &MeterSession::recordStored, this, &Exporter::stored);
    connect(&m_session, &MeterSession::downloaded, this, &Exporter::downloaded);
    connect(&m_session, &MeterSession::portLost, this, &Exporter::portLost);
    m_deadline.setSingleShot(true);
    m_deadline.setInterval(m_options.timeoutSeconds * 1000);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        if (!m_identified)
            finish(NoIdentity, QStringLiteral("no answer from the meter on %1 within %2 s: is it "
                                              "switched on, and is it of the type given?")
                                   .arg(m_options.port)
                                   .arg(m_options.timeoutSeconds));
        else if (recordCount() == 0)
            // It says who it is, but the records it holds are of another kind than the one given.
            finish(MeterGone, QStringLiteral("the meter answers, but not to requests for %1 "
                                             "records: check the device type")
                                  .arg(kindTitle(m_options.kind)));
        else
            finish(MeterGone,
                   QStringLiteral("the meter stopped answering after %1 of %2 records; no report "
                                  "was written")
                       .arg(recordCount())
                       .arg(m_total));
    });
}

Exporter::~Exporter()
{
    closeLink();
}

void Exporter::start()
{
    m_displayFreq = m_options.displayFreq.value_or(DisplayUnit::readDisplayFreq());
    // An interrupt that came before the event loop ran ends the run here.
    if (interruptRequested) {
        interrupt();
        return;
    }
    // Found out now rather than after the download: a typing error must not cost a meter's worth
    // of waiting.
    const QString clash = ReportFiles::clash(m_options);
    if (!clash.isEmpty()) {
        finish(Usage, clash);
        return;
    }
    if (!m_options.fromArchive.isEmpty()) {
        reportArchived();
        return;
    }
    if (!loadLimits() || !loadLoss() || !checkOutputs())
        return;
    if (m_recorder) {
        m_recorder->setLimits(m_limits);
        m_recorder->setLoss(m_reference, m_budget);
    }
    if (!openPort())
        return;
    m_deadline.start();
}

void Exporter::reportArchived()
{
    const bool team = m_options.team;
    const QString path = team ? Archive::teamLocation() : Archive::location();
    if (team && path.isEmpty()) {
        finish(Usage, TeamCommands::noTeamText());
        return;
    }
    if (!team && !QFileInfo::exists(path)) {
        finish(ArchiveUnreadable, QStringLiteral("there is no archive at %1").arg(path));
        return;
    }
    ArchiveStore store(team ? ArchiveStore::Backend::Team : ArchiveStore::Backend::File, path);
    const std::optional<Archive::Download> d = store.download(m_options.fromArchive);
    QList<Archive::Entry> entries;
    if (!d || !store.records(d->id, &entries)) {
        const bool unknown = store.isOpen() && !d;
        finish(unknown ? Usage : team ? TeamUnusable : ArchiveUnreadable,
               unknown ? QStringLiteral("%1 (--archived%2 lists them)")
                             .arg(store.errorText(), team ? QStringLiteral(" --team") : QString())
                       : QStringLiteral("the %1 %2 cannot be read: %3")
                             .arg(team ? QStringLiteral("team archive") : QStringLiteral("archive"),
                                  Archive::shownLocation(path), store.errorText()));
        return;
    }
    m_options.kind = d->kind;
    m_options.deviceIndex = kindInfo(d->kind)->deviceIndex;
    const QString why = ExportCommandLine::recordProblem(m_options);
    if (!why.isEmpty()) {
        finish(Usage, why);
        return;
    }
    if (!loadLimits() || !loadLoss() || !checkOutputs())
        return;
    m_identity = d->meter;
    m_identified = true;
    m_options.job = d->job;
    if (!m_options.downloads()) {
        printIdentity();
        return;
    }
    m_archived = QList<Measurement>();
    for (const Archive::Entry& e : entries)
        m_archived->append(e.record);
    m_total = d->total;
    downloaded();
}

void Exporter::printIdentity()
{
    const QByteArray text =
        QStringLiteral("product: %1\nserial: %2\nhardware: %3\nfirmware: %4\nbuild: %5\n"
                       "kind: %6\n")
            .arg(m_identity.product, m_identity.serial, m_identity.hardware, m_identity.firmware,
                 m_identity.buildTime, kindName(m_options.kind))
            .toUtf8();
    if (!writeToStandardOutput(text))
        finish(WriteFailed, QStringLiteral("cannot write to standard output"));
    else
        finish(Done, QString());
}

void Exporter::archiveFailed(const QString& why)
{
    if (m_archiveWarned)
        return;
    m_archiveWarned = true;
    m_progress.finish();
    std::fprintf(stderr,
                 "velumin-export: warning: the archive %s cannot be written (%s); this download "
                 "is not archived\n",
                 qPrintable(Archive::location()), qPrintable(why));
}

void Exporter::interrupt()
{
    finish(Interrupted, QStringLiteral("interrupted; no report was written"));
}

bool Exporter::loadLimits()
{
    if (m_options.limitsFile.isEmpty())
        return true;
    if (!readFileOption(m_options.limitsFile, "limits", LimitsStore::readFile, &m_limits))
        return false;
    // Given on the command line, the limits apply whatever the file says of "enabled".
    m_limits.enabled = true;
    // Limits that judge nothing of this kind would pass every record: a usage error.
    const QString why = Limits::notApplicable(m_limits, m_options.kind);
    if (!why.isEmpty()) {
        finish(Usage, why);
        return false;
    }
    QStringList foreign;
    for (int position : Limits::foreignChannels(m_limits, m_options.kind))
        foreign << QString::number(position);
    if (!foreign.isEmpty())
        std::fprintf(stderr,
                     "velumin-export: warning: the limits hold overrides for channels that "
                     "%s lacks: %s\n",
                     qPrintable(kindTitle(m_options.kind)),
                     qPrintable(foreign.join(QStringLiteral(", "))));
    return true;
}

bool Exporter::loadLoss()
{
    if (!readFileOption(m_options.referenceFile, "reference", LossStore::readReferenceFile,
                        &m_reference) ||
        !readFileOption(m_options.budgetFile, "budget", LossStore::readBudgetFile, &m_budget) ||
        !readFileOption(m_options.jobFile, "job", LossStore::readJobFile, &m_jobBlock))
        return false;
    if (m_reference.kind != 0 && m_reference.kind != m_options.kind) {
        finish(Usage, QStringLiteral("the reference was made for %1, not %2")
                          .arg(kindTitle(m_reference.kind), kindTitle(m_options.kind)));
        return false;
    }
    return true;
}

bool Exporter::takeReferenceRecord()
{
    if (!m_options.referenceRecord)
        return true;
    const int n = *m_options.referenceRecord;
    const QList<Measurement> records = this->records();
    if (n >= records.size()) {
        finish(Usage, QStringLiteral("--reference-record %1: the meter holds %2 records")
                          .arg(n)
                          .arg(records.size()));
        return false;
    }
    m_reference = Loss::referenceFrom(records.at(n), m_identity.product + QLatin1Char(' ') +
                                                         m_identity.serial);
    if (m_recorder)
        m_recorder->amendLoss(m_reference, m_budget);
    return true;
}

bool Exporter::checkOutputs()
{
    for (const QString& path : {m_options.csv, m_options.pdf, m_options.json}) {
        if (path.isEmpty() || path == standardOutput)
            continue;
        const QFileInfo info(path);
        const QFileInfo folder(info.absolutePath());
        QString problem;
        if (info.isDir())
            problem = QStringLiteral("it is a folder");
        else if (info.exists() && !info.isFile())
            problem = QStringLiteral("it is not a regular file (- is standard output)");
        else if (!folder.isDir())
            problem = QStringLiteral("its folder does not exist");
        else if (!folder.isWritable())
            problem = QStringLiteral("its folder is not writable");
        if (!problem.isEmpty()) {
            finish(WriteFailed, QStringLiteral("cannot write %1: %2").arg(path, problem));
            return false;
        }
    }
    return true;
}

bool Exporter::openPort()
{
    const QString& port = m_options.port;
    const QString path = port.contains(QLatin1Char('/')) ? port : devicePathForPort(port);
    if (path.isEmpty()) {
        finish(PortUnavailable,
               comNumber(port) > 0
                   ? QStringLiteral("%1 names no device here (--list shows the ports)").arg(port)
                   : QStringLiteral("%1 is neither a COM name (COM1 to COM256) nor a device path")
                         .arg(port));
        return false;
    }
    const QString shown = path == port ? port : QStringLiteral("%1 (%2)").arg(port, path);
#ifndef Q_OS_WIN
    if (!QFileInfo::exists(path)) {
        finish(
            PortUnavailable,
            QStringLiteral("%1 does not exist: is the meter plugged in? (--list shows the ports)")
                .arg(shown));
        return false;
    }
#endif
    QSerialPort::SerialPortError error = QSerialPort::NoError;
    QString errorText;
    if (m_session.open(path, m_options.deviceIndex, &error, &errorText))
        return true;
    QString line = QStringLiteral("%1 cannot be opened: %2").arg(shown, errorText);
    if (error == QSerialPort::PermissionError) {
#ifdef Q_OS_UNIX
        const bool mayOpen = ::access(QFile::encodeName(path).constData(), R_OK | W_OK) == 0;
#else
        const bool mayOpen = false;
#endif
        line += mayOpen ? QStringLiteral(". Another program has it open; close the port there.")
                        : QStringLiteral(". ") + accessAdvice();
    }
    finish(PortUnavailable, line);
    return false;
}

void Exporter::identified(const MeterIdentity& identity)
{
    if (m_identified)
        return;
    m_identified = true;
    // The link decodes by the type given, whatever the meter calls itself.
    m_identity = identity;
    if (!m_options.downloads()) {
        printIdentity();
        return;
    }
    m_progress.start();
    // A lossy line may need a few retries for one record: the meter counts as gone only when
    // neither the timeout nor that many retries brought the next one.
    m_deadline.setInterval(
        std::max(m_options.timeoutSeconds * 1000, DownloadRetries * Retrieval::RetryIntervalMs));
    m_deadline.start();
    m_session.startDownload();
}

void Exporter::listStarted(int total)
{
    if (m_finished)
        return;
    m_total = total;
    // A meter without records answers record 0 with a total of none.
    if (total == 0)
        downloaded();
}

void Exporter::stored(const Measurement& record)
{
    if (m_finished)
        return;
    m_progress.update(record.index + 1, record.total);
    m_deadline.start();
}

void Exporter::downloaded()
{
    if (m_finished)
        return;
    m_progress.finish();
    // The port is free before the reports are written.
    closeLink();
    if (!takeReferenceRecord() || !writeReports())
        return;
    const int status = verdictStatus();
    if (status == Done && !m_options.quiet)
        finish(Done,
               QStringLiteral("%1 records of %2 %3%4")
                   .arg(recordCount())
                   .arg(m_identity.product, m_identity.serial,
                        m_options.limitsFile.isEmpty() && m_options.budgetFile.isEmpty()
                            ? QString()
                            : QStringLiteral(", every one passed")));
    else if (status == Done)
        finish(Done, QString());
}

int Exporter::verdictStatus()
{
    const bool budget = m_options.judgesLoss() && m_budget.isSet();
    if (m_options.limitsFile.isEmpty() && !budget)
        return Done;
    QStringList failed, lossFailed, checkRef;
    const QList<Measurement> records = this->records();
    for (int i = 0; i < records.size(); ++i) {
        // Numbered as the record list and the PDF number them.
        const QString number = QString::number(i + 1);
        const auto verdict = ReportContent::recordVerdict(m_limits, records.at(i));
        if (verdict && !verdict->pass)
            failed << number;
        if (!budget)
            continue;
        const std::optional<Loss::Verdict> loss =
            Loss::judge(m_reference, m_budget, records.at(i)).verdict;
        if (loss == Loss::Verdict::Fail)
            lossFailed << number;
        else if (loss == Loss::Verdict::CheckRef)
            checkRef << number;
    }
    QStringList lines;
    const auto say = [&lines, &records](const QStringList& numbers, const char* what) {
        if (!numbers.isEmpty())
            lines << QStringLiteral("%1 of %2 records %3 (No %4)")
                         .arg(numbers.size())
                         .arg(records.size())
                         .arg(QLatin1String(what), numbers.join(QStringLiteral(", ")));
    };
    say(failed, "failed their limits");
    say(lossFailed, "failed their loss budget");
    say(checkRef, "need the reference set again, with a loss below -0.3 dB");
    if (lines.isEmpty())
        return Done;
    finish(LimitsFailed, lines.join(QStringLiteral("; ")));
    return LimitsFailed;
}

bool Exporter::writeReports()
{
    Report report(m_identity, m_options.kind, m_displayFreq, m_limits, records(),
                  QDateTime::currentDateTime());
    if (m_options.judgesLoss())
        report.setLoss(m_reference, m_budget);
    report.setJob(m_jobBlock, m_options.job);
    report.setExpected(m_total);
    ReportFiles::Pending pending;
    // In the order they have always been written, which the progress lines and the commit follow.
    if (!writeCsv(pending, report) || !writeReport(pending, m_options.json, "json", report) ||
        !writeReport(pending, m_options.pdf, "pdf", report))
        return false;
    if (interruptRequested) {
        interrupt();
        return false;
    }
    // Every report is whole: now they replace what was there, together.
    QStringList committed;
    QString failed;
    QString error;
    const QString toOutput = QStringLiteral("standard output");
    if (!pending.commit(&committed, &failed, &error)) {
        QStringList notWritten = pending.files().mid(committed.size());
        if (pending.hasStandardOutput())
            notWritten << toOutput;
        finish(WriteFailed, QStringLiteral("cannot write %1: %2; %3")
                                .arg(failed, error, writtenNote(committed, notWritten)));
        return false;
    }
    if (!pending.hasStandardOutput() ||
        pending.copyToStandardOutput([] { return !interruptRequested.load(); }))
        return true;
    const QString note = writtenNote(committed, {toOutput});
    if (interruptRequested)
        finish(Interrupted, QStringLiteral("interrupted; %1").arg(note));
    else
        finish(WriteFailed, QStringLiteral("cannot write to standard output; %1").arg(note));
    return false;
}

bool Exporter::writeReport(ReportFiles::Pending& pending, const QString& path, const char* id,
                           const Report& report)
{
    if (path.isEmpty())
        return true;
    if (m_finished)
        return false;
    const QString shown =
        path == standardOutput ? QStringLiteral("the report for standard output") : path;
    m_progress.start(QStringLiteral("%1 report").arg(QString::fromLatin1(id).toUpper()));
    QString error;
    QIODevice* out = pending.begin(path, &error);
    const ReportFormats::Outcome outcome =
        out ? ReportFormats::format(id).write(report, *out, &error,
                                              [this](int done, int total) {
                                                  m_progress.update(done, total);
                                                  return !interruptRequested.load();
                                              })
            : ReportFormats::Outcome::Failed;
    m_progress.finish();
    if (interruptRequested) {
        interrupt();
        return false;
    }
    if (outcome != ReportFormats::Outcome::Written || !pending.end(&error)) {
        if (error.isEmpty() && out)
            error = out->errorString();
        finish(WriteFailed,
               QStringLiteral("cannot write %1: %2; no report was written").arg(shown, error));
        return false;
    }
    return true;
}

bool Exporter::writeCsv(ReportFiles::Pending& pending, const Report& report)
{
    if (m_options.csv.isEmpty() || !isMpoKind(m_options.kind))
        return writeReport(pending, m_options.csv, "csv", report);
    if (m_options.record) {
        const int n = *m_options.record;
        if (n < 0 || n >= report.count()) {
            finish(Usage, QStringLiteral("--record %1: the meter holds %2 records")
                              .arg(n)
                              .arg(report.count()));
            return false;
        }
        return writeReport(pending, m_options.csvFileFor(n), "csv", report.single(n));
    }
    for (int i = 0; i < report.count(); ++i) {
        if (!writeReport(pending, m_options.csvFileFor(i), "csv", report.single(i)))
            return false;
    }
    return true;
}

void Exporter::portLost()
{
    finish(MeterGone, QStringLiteral("the meter went away after %1 of %2 records; no report was "
                                     "written")
                          .arg(recordCount())
                          .arg(m_total));
}

void Exporter::finish(int status, const QString& line)
{
    if (m_finished)
        return;
    m_finished = true;
    m_progress.finish();
    closeLink();
    // What the download listed is in the archive before the run says how it ended.
    if (m_recorder) {
        const QString why = m_recorder->finish();
        if (!why.isEmpty())
            archiveFailed(why);
    }
    if (!line.isEmpty())
        std::fprintf(stderr, "velumin-export: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
    Q_EMIT finished(status);
}

void Exporter::closeLink()
{
    m_deadline.stop();
    m_session.close();
}
