// Save Data and Open Data: the report file of the downloaded records, and the window that shows
// such a file again. These are the main window's file members.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "data/kinds.h"
#include "data/logging.h"
#include "files/csvreport.h"
#include "files/opendata.h"
#include "files/opendatawidget.h"
#include "files/reportformats.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

Report MainWindow::report(const QList<Measurement>& records) const
{
    MeterIdentity identity;
    identity.product = m_productName;
    identity.serial = m_serialNumber;
    identity.hardware = m_hwVersion;
    identity.firmware = m_fwVersion;
    identity.buildTime = m_buildTime;
    identity.kind = m_kindCode;
    return Report(identity, m_kindCode, m_displayFreq, m_limits, records,
                  QDateTime::currentDateTime());
}

std::optional<Report> MainWindow::reportToSave() const
{
    // No known meter: an empty report.
    const Report all = report(m_session.download().records(m_kindCode));
    if (!isMpoKind(m_kindCode))
        return all;
    QTreeWidgetItem* current = ui->treeData->currentItem();
    const int row = current ? ui->treeData->indexOfTopLevelItem(current) : -1;
    if (row < 0 || row >= all.count())
        return std::nullopt;
    return all.single(row);
}

QString MainWindow::saveFolder() const
{
    // Beside the program, so that a copy run from a stick or a share keeps its reports with it;
    // an installed program's directory is not writable, so the documents folder is proposed then.
    QString dir = QCoreApplication::applicationDirPath();
    if (!QFileInfo(dir).isWritable())
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(dir).isDir())
        dir = QDir::homePath();
    return dir;
}

QString MainWindow::saveStartPath() const
{
    const QString dir = saveFolder();
    return m_productName.isEmpty()
               ? dir
               : dir + QLatin1Char('/') + CsvReport::proposedFileName(m_productName);
}

void MainWindow::on_actionSaveData_triggered()
{
    qCDebug(lcWindow).noquote() << "# Save Data";
    // Checked before the dialog, so that no file is chosen, let alone emptied, for nothing.
    if (isMpoKind(m_kindCode) && !ui->treeData->currentItem()) {
        Prompts::warning(this, QCoreApplication::applicationName(), tr("Data is not selected!"));
        return;
    }
    // A name typed without a suffix gets ".csv", so that Open Data's filter lists it.
    const ReportFormats::Format& csv = ReportFormats::format("csv");
    const QString path =
        Prompts::fileName(this, {Prompts::FileRequest::Save, tr("Save Data"), saveStartPath(),
                                 tr(csv.filter), QString::fromLatin1(csv.suffix)});
    if (path.isEmpty())
        return;
    // Built after the dialog: records that arrived while it was open are in the file too.
    const std::optional<Report> report = reportToSave();
    if (!report) {
        Prompts::warning(this, QCoreApplication::applicationName(), tr("Data is not selected!"));
        return;
    }
    // A failed save leaves an existing file as it was.
    QString error;
    if (ReportFormats::writeFile(csv, *report, path, &error) != ReportFormats::Outcome::Written) {
        Prompts::warning(this, tr("Warning"),
                         tr("The data was not saved to %1:\n%2").arg(path, error));
        return;
    }
    Prompts::information(this, tr("Complete"), tr("Complete Save"));
}

void MainWindow::on_actionOpen_triggered()
{
    qCDebug(lcWindow).noquote() << "# Open Data";
    const QString path = Prompts::fileName(
        this, {Prompts::FileRequest::Open, tr("Open Data"), QCoreApplication::applicationDirPath(),
               tr(ReportFormats::format("csv").filter), QString()});
    if (path.isEmpty())
        return;
    // A pipe or a device would hang or exhaust the window, and with it any unsaved download.
    const QString refusal = OpenData::refusal(path);
    if (!refusal.isEmpty()) {
        Prompts::warning(this, tr("Warning"), tr("%1 cannot be opened: %2.").arg(path, refusal));
        return;
    }
    delete m_openDataWidget;
    m_openDataWidget = nullptr;
    m_openDataWidget = new OpenDataWidget(path);
    m_openDataWidget->show();
}
