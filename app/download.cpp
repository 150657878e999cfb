// Get Data: the session asks the meter for its records; each one it stores becomes a row of the
// record list, and the selected record shows channel by channel. These are the main window's
// download members.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "app/recordviews.h"
#include "data/detail.h"
#include "data/intake.h"
#include "data/logging.h"
#include "data/lossstore.h"
#include "files/archive.h"
#include "session/archiverecorder.h"
#include "ui_mainwindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>

void MainWindow::on_actionGetData_triggered()
{
    // Column 1 too: after an MPO meter it would still say "Wavelength" above ITU numbers.
    showDetailHeader();
    m_archive->setJob(Archive::nextJob());
    m_archive->setLimits(m_limits);
    // The reference and budget in force are archived with the download when they judge its kind.
    const Loss::Reference reference = LossStore::reference();
    const bool judges = reference.kind == 0 || reference.kind == m_kindCode;
    m_archive->setLoss(judges ? reference : Loss::Reference(),
                       judges ? LossStore::budget() : Loss::Budget());
    m_session.startDownload();
}

void MainWindow::slotStopData()
{
    qCDebug(lcWindow).noquote() << "# Stop Data";
    if (m_session.download().getting())
        endProgress(tr("Stopped after %1"));
    m_session.stopDownload();
}

QString MainWindow::recordsSoFar() const
{
    // Of this download, not what an earlier one left listed; the total comes with each record.
    const int stored = m_session.download().storedCount();
    if (stored > 0)
        return tr("%1 of %2 records").arg(stored).arg(m_session.download().total());
    return stored == 1 ? tr("1 record") : tr("%1 records").arg(stored);
}

void MainWindow::endProgress(const QString& how)
{
    m_statusLabel->setText(how.arg(recordsSoFar()));
    m_progressBar->reset();
}

void MainWindow::sayWrongKind()
{
    const QString text = tr("The meter answers, but not to requests for %1 records: check the "
                            "device type.")
                             .arg(kindTitle(m_kindCode));
    m_statusLabel->setText(text);
    // Shown once the retry is over, so that the retries go on while it is read.
    QTimer::singleShot(0, this, [this, text] { Prompts::warning(this, tr("Get Data"), text); });
}

void MainWindow::slotListStarted(int total)
{
    ui->treeData->clear();
    ui->treeDetailData->clear();
    m_statusLabel->clear();
    m_progressBar->reset();
    m_progressBar->setMaximum(total);
    showLoss();
    // The window has a single page; the call stays for meters that expect their own.
    if (isMpoKind(m_kindCode))
        ui->tabMain->setCurrentIndex(1);
}

void MainWindow::slotRecordStored(const Measurement& record)
{
    auto* row = new QTreeWidgetItem(Intake::rowTexts(record));
    ui->treeData->addTopLevelItem(row);
    markVerdict(ui->treeData->indexOfTopLevelItem(row));
    m_progressBar->setValue(record.index + 1);
}

void MainWindow::slotDownloaded()
{
    endProgress(tr("Retrieved %1"));
    Prompts::information(this, tr("Get Data"),
                         tr("Measurement data retrieving has been completed!!"));
}

void MainWindow::on_treeData_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    Q_UNUSED(previous);
    showLoss();
    if (!current) {
        qCDebug(lcWindow).noquote() << "!current return";
        return;
    }
    showRecordDetail(ui->treeData->indexOfTopLevelItem(current));
}

const Measurement* MainWindow::recordAt(int row) const
{
    return m_session.download().record(m_kindCode, row);
}

void MainWindow::showRecordDetail(int row)
{
    qCDebug(lcWindow).noquote() << "selectData:" << m_kindCode;
    ui->treeDetailData->clear();
    const Measurement* record = recordAt(row);
    if (!record)
        return;
    ui->treeDetailData->addTopLevelItems(
        RecordViews::detailItems(*record, m_kindCode, m_displayFreq, m_productName, m_limits));
}
