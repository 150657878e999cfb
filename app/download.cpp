// Get Data: asking the meter for its records one by one, taking each report into its kind's
// list and the record list, and showing the selected record channel by channel. These are the
// main window's download members.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "data/catalogue.h"
#include "data/detail.h"
#include "data/intake.h"
#include "data/limits.h"
#include "data/logging.h"
#include "ui_mainwindow.h"

#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QTimerEvent>

void MainWindow::on_actionGetData_triggered()
{
    qCDebug(lcVelumin).noquote() << "# Get Data";
    // Column 1 too: after an MPO meter it would still say "Wavelength" above ITU numbers.
    showDetailHeader();
    // A retrieval that is still running gives way: only the newest timer may ask again.
    killDataTimer();
    // The form of the meter that is connected: the receiver decodes with the kind it was given
    // then, and index 3 is the 96-channel one.
    const Retrieval::Request first = m_download.start(m_linkDevIndex == 3);
    m_dataTimer = startTimer(m_retryIntervalMs);
    send(first);
}

void MainWindow::slotStopData()
{
    qCDebug(lcVelumin).noquote() << "# Stop Data";
    if (m_download.getting())
        endProgress(tr("Stopped after %1"));
    stopRetrieval();
}

QString MainWindow::recordsSoFar() const
{
    // Of this download, not what an earlier one left listed; the total comes with each record.
    const int stored = m_download.storedCount();
    if (stored > 0)
        return tr("%1 of %2 records").arg(stored).arg(m_download.total());
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
    // Shown once the timer event is over, so that the retries go on while it is read.
    QTimer::singleShot(0, this, [this, text] { Prompts::warning(this, tr("Get Data"), text); });
}

void MainWindow::stopRetrieval()
{
    m_download.stop();
    killDataTimer();
}

void MainWindow::killDataTimer()
{
    if (m_dataTimer != 0)
        killTimer(m_dataTimer);
    m_dataTimer = 0;
}

void MainWindow::send(const Retrieval::Request& request)
{
    if (!request.send)
        return;
    if (request.half96)
        sendData96(request.index, request.half);
    else
        sendData(request.index);
}

void MainWindow::takeReport(int kind, const Download::Taken& taken, ushort total, ushort count,
                            const QByteArray& name, uint date, uint time)
{
    if (taken.first) {
        ui->treeData->clear();
        ui->treeDetailData->clear();
        m_statusLabel->clear();
        m_progressBar->reset();
        m_progressBar->setMaximum(total);
        // The window has a single page; the call stays for meters that expect their own.
        if (isMpoKind(kind))
            ui->tabMain->setCurrentIndex(1);
    }
    if (!taken.stored)
        return;
    auto* row = new QTreeWidgetItem(Intake::rowTexts(kind, count, name, date, time));
    ui->treeData->addTopLevelItem(row);
    markVerdict(ui->treeData->indexOfTopLevelItem(row));
    m_progressBar->setValue(count + 1);

    if (!taken.complete) {
        send(taken.next);
        return;
    }
    killDataTimer();
    endProgress(tr("Retrieved %1"));
    Prompts::information(this, tr("Get Data"),
                         tr("Measurement data retrieving has been completed!!"));
}

void MainWindow::slotRecvedDataCWDM18(ushort total, ushort count, const QVector<qint16>& cwdmData,
                                      uint date, uint time, const QByteArray& name)
{
    takeReport(Kind::CWDM18, m_download.takeCWDM18(total, count, cwdmData, date, time, name), total,
               count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM48(ushort total, ushort count, const QVector<qint16>& dwdmData,
                                      uint date, uint time, const QByteArray& name)
{
    takeReport(Kind::DWDM48, m_download.takeDWDM48(total, count, dwdmData, date, time, name), total,
               count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM48Big(ushort total, ushort count,
                                         const QVector<qint16>& dwdmData, const QByteArray& onOff,
                                         uint date, uint time, const QByteArray& name,
                                         int totalIndex)
{
    takeReport(
        Kind::DWDM48,
        m_download.takeDWDM48Big(total, count, dwdmData, onOff, date, time, name, totalIndex),
        total, count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM96(ushort total, ushort count, const QVector<qint16>& dwdmData,
                                      uint date, uint time, const QByteArray& name)
{
    takeReport(Kind::DWDM96, m_download.takeDWDM96(total, count, dwdmData, date, time, name), total,
               count, name, date, time);
}

void MainWindow::slotRecvedDataVendral8(ushort total, ushort count, const QVector<qint16>& data,
                                        uint date, uint time, const QByteArray& name)
{
    takeReport(Kind::Vendral8, m_download.takeVendral8(total, count, data, date, time, name), total,
               count, name, date, time);
}

void MainWindow::slotRecvedDataTarnex8(ushort total, ushort count, const QVector<qint16>& data,
                                       uint date, uint time, const QByteArray& name)
{
    takeReport(Kind::Tarnex8, m_download.takeTarnex8(total, count, data, date, time, name), total,
               count, name, date, time);
}

void MainWindow::slotRecvedDataTarnex56(ushort total, ushort count, const QVector<qint16>& data,
                                        const QByteArray& onOff, uint date, uint time,
                                        const QByteArray& name, int totalIndex)
{
    takeReport(Kind::Tarnex56,
               m_download.takeTarnex(Kind::Tarnex56, total, count, data, onOff, date, time, name,
                                     totalIndex),
               total, count, name, date, time);
}

void MainWindow::slotRecvedDataTarnex57(ushort total, ushort count, const QVector<qint16>& data,
                                        const QByteArray& onOff, uint date, uint time,
                                        const QByteArray& name, int totalIndex)
{
    takeReport(Kind::Tarnex57,
               m_download.takeTarnex(Kind::Tarnex57, total, count, data, onOff, date, time, name,
                                     totalIndex),
               total, count, name, date, time);
}

void MainWindow::slotRecvedDataTarnex64(ushort total, ushort count, const QVector<qint16>& data,
                                        const QByteArray& onOff, uint date, uint time,
                                        const QByteArray& name, int totalIndex)
{
    qCDebug(lcVelumin).noquote() << "slot tarnex 64:";
    takeReport(Kind::Tarnex64,
               m_download.takeTarnex(Kind::Tarnex64, total, count, data, onOff, date, time, name,
                                     totalIndex),
               total, count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM49TOTAL(ushort total, ushort count,
                                           const QVector<qint16>& dwdmData, const QByteArray& onOff,
                                           uint date, uint time, const QByteArray& name,
                                           int totalWav)
{
    takeReport(
        Kind::DWDM49TOTAL,
        m_download.takeDWDM49TOTAL(total, count, dwdmData, onOff, date, time, name, totalWav),
        total, count, name, date, time);
}

void MainWindow::slotRecvedDataMPO12(ushort total, ushort count, const QVector<qint16>& mpoData,
                                     ushort mode, ushort polar, uint date, uint time,
                                     const QByteArray& name)
{
    takeReport(
        Kind::MPO12,
        m_download.takeMpo(Kind::MPO12, total, count, mpoData, mode, polar, date, time, name),
        total, count, name, date, time);
}

void MainWindow::slotRecvedDataMPO24(ushort total, ushort count, const QVector<qint16>& mpoData,
                                     ushort mode, ushort polar, uint date, uint time,
                                     const QByteArray& name)
{
    takeReport(
        Kind::MPO24,
        m_download.takeMpo(Kind::MPO24, total, count, mpoData, mode, polar, date, time, name),
        total, count, name, date, time);
}

void MainWindow::slotRecvedDataMPO16(ushort total, ushort count, const QVector<qint16>& mpoData,
                                     ushort mode, ushort polar, uint date, uint time,
                                     const QByteArray& name)
{
    takeReport(
        Kind::MPO16,
        m_download.takeMpo(Kind::MPO16, total, count, mpoData, mode, polar, date, time, name),
        total, count, name, date, time);
}

void MainWindow::slotRecvedDataMPO32(ushort total, ushort count, const QVector<qint16>& mpoData,
                                     ushort mode, ushort polar, uint date, uint time,
                                     const QByteArray& name)
{
    takeReport(
        Kind::MPO32,
        m_download.takeMpo(Kind::MPO32, total, count, mpoData, mode, polar, date, time, name),
        total, count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM96Semi(ushort count, uchar flag)
{
    send(m_download.firstHalfArrived(count, flag));
}

void MainWindow::on_treeData_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous)
{
    Q_UNUSED(previous);
    if (!current) {
        qCDebug(lcVelumin).noquote() << "!current return";
        return;
    }
    showRecordDetail(ui->treeData->indexOfTopLevelItem(current));
}

std::optional<Detail::Source> MainWindow::recordSource(int row) const
{
    std::optional<Detail::Source> source;
    withRecords(m_kindCode, [row, &source](const auto& list) {
        if (row >= 0 && row < list.size())
            source = Detail::source(list.at(row));
    });
    return source;
}

void MainWindow::showRecordDetail(int row)
{
    qCDebug(lcVelumin).noquote() << "selectData:" << m_kindCode;
    ui->treeDetailData->clear();
    const std::optional<Detail::Source> source = recordSource(row);
    if (!source)
        return;
    QList<QTreeWidgetItem*> items;
    for (const QStringList& texts : Detail::rows(m_kindCode, *source, m_displayFreq, m_productName))
        items.append(new QTreeWidgetItem(texts));
    markFailingCells(items, Detail::judgedReadings(m_kindCode, *source));
    ui->treeDetailData->addTopLevelItems(items);
}
