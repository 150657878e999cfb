// Save Data and Open Data: the report file of the downloaded records, and the window that shows
// such a file again. These are the main window's file members.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "data/kinds.h"
#include "data/logging.h"
#include "files/csvreport.h"
#include "files/opendata.h"
#include "files/opendatawidget.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

const QString csvFilter = QStringLiteral("CSV File (*.csv)");
const QString csvSuffix = QStringLiteral("csv");

} // namespace

bool MainWindow::buildReport(QByteArray* bytes) const
{
    bytes->clear();
    QTreeWidgetItem* current = ui->treeData->currentItem();
    const int row = current ? ui->treeData->indexOfTopLevelItem(current) : -1;
    // No known meter: an empty report.
    return CsvReport::report(m_kindCode, m_productName, m_session.download().records(m_kindCode), row, bytes);
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
    const QString path = Prompts::fileName(
        this, {Prompts::FileRequest::Save, tr("Save Data"), saveStartPath(), csvFilter, csvSuffix});
    if (path.isEmpty())
        return;
    // Built after the dialog: records that arrived while it was open are in the file too.
    QByteArray bytes;
    if (!buildReport(&bytes)) {
        Prompts::warning(this, QCoreApplication::applicationName(), tr("Data is not selected!"));
        return;
    }
    // Written beside the target and renamed over it only when complete, so that a failed save
    // leaves an existing file as it was.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        Prompts::warning(this, tr("Warning"),
                         tr("The data was not saved to %1:\n%2").arg(path, file.errorString()));
        return;
    }
    Prompts::information(this, tr("Complete"), tr("Complete Save"));
}

void MainWindow::on_actionOpen_triggered()
{
    qCDebug(lcWindow).noquote() << "# Open Data";
    const QString path =
        Prompts::fileName(this, {Prompts::FileRequest::Open, tr("Open Data"),
                                 QCoreApplication::applicationDirPath(), csvFilter, QString()});
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
