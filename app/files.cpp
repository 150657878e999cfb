// Save Data and Open Data: the report file of the downloaded records, and the window that shows
// such a file again. These are the main window's file members.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "app/reportflow.h"
#include "data/kinds.h"
#include "data/logging.h"
#include "files/opendata.h"
#include "files/opendatawidget.h"
#include "files/reportformats.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDateTime>

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

void MainWindow::on_actionSaveData_triggered()
{
    qCDebug(lcWindow).noquote() << "# Save Data";
    ReportFlow::saveData(this, m_kindCode, ui->treeData->currentItem() != nullptr,
                         ReportFlow::saveStartPath(m_productName),
                         [this] { return reportToSave(); });
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
