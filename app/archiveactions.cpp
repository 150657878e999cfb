// What the archive window does with the chosen download: Save Data and the reports as of a fresh
// download, its job, one of its records as the reference, and deleting it.

#include "app/archivewindow.h"

#include "app/losswindow.h"
#include "app/prompts.h"
#include "app/recordviews.h"
#include "app/reportflow.h"
#include "data/kinds.h"
#include "data/lossstore.h"
#include "files/archivestore.h"
#include "files/report.h"

#include <QDateTime>
#include <QLineEdit>
#include <QTreeWidget>

Report ArchiveWindow::report(const QList<Measurement>& records) const
{
    return Report(m_download->meter, m_download->kind, m_displayFreq, m_download->limits, records,
                  QDateTime::currentDateTime());
}

void ArchiveWindow::saveData()
{
    if (!m_download)
        return;
    // As the main window saves a download: every record, or for the MPO kinds the selected one.
    ReportFlow::saveData(this, m_download->kind, m_records->currentItem() != nullptr,
                         ReportFlow::saveStartPath(m_download->meter.product),
                         [this]() -> std::optional<Report> {
                             if (!m_download)
                                 return std::nullopt;
                             const Report all = report(m_recordList);
                             if (!isMpoKind(m_download->kind))
                                 return all;
                             const int row = currentRow();
                             if (row < 0 || row >= all.count())
                                 return std::nullopt;
                             return all.single(row);
                         });
}

void ArchiveWindow::exportReport(const char* formatId, const QString& title, bool askJob)
{
    if (!m_download)
        return;
    // Judged as the download was, against the reference and budget archived with it.
    Report r = report(m_recordList);
    r.setJob(LossStore::jobBlock(), m_download->job);
    r.setLoss(m_download->reference, m_download->budget);
    r.setExpected(m_download->total);
    ReportFlow::exportReport(this, formatId, title, m_download->meter.product, r, askJob);
}

void ArchiveWindow::setReference()
{
    if (!m_download)
        return;
    const int row = currentRow();
    const std::optional<Loss::Reference> reference = RecordViews::useAsReference(
        this, m_records->currentItem(),
        row >= 0 && row < m_recordList.size() ? &m_recordList.at(row) : nullptr,
        m_download->meter.product + QLatin1Char(' ') + m_download->meter.serial);
    if (!reference)
        return;
    emit referenceSet();
    Prompts::information(
        this, tr("Use as Reference"),
        tr("The reference in force is now %1.").arg(LossWindow::referenceText(*reference)));
}

void ArchiveWindow::jobEdited()
{
    const QString job = m_job->text().trimmed();
    if (!m_download || m_teamShown || job == m_download->job)
        return;
    if (!m_store->setJob(m_download->id, job)) {
        Prompts::warning(this, tr("Job"),
                         tr("The job was not changed:\n%1").arg(m_store->errorText()));
        m_job->setText(m_download->job);
        return;
    }
    m_download->job = job;
    // The download moves to its new job's group, and stays chosen there.
    listDownloads();
}

void ArchiveWindow::deleteDownload()
{
    if (!m_download || m_teamShown)
        return;
    const Archive::Download d = *m_download;
    const QString what = tr("the download of %1 %2 started %3")
                             .arg(d.meter.product, d.meter.serial,
                                  d.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    const QString job = d.job.isEmpty() ? QString() : tr(", job %1").arg(d.job);
    if (Prompts::warning(this, tr("Delete Download"),
                         tr("Delete %1 (%2%3) from the archive?").arg(what, recordsText(d), job),
                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    if (!m_store->remove(d.id)) {
        Prompts::warning(this, tr("Delete Download"),
                         tr("%1 was not deleted:\n%2").arg(what, m_store->errorText()));
        return;
    }
    showDownload(std::nullopt);
    listDownloads();
}
