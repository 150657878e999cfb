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

#include <QProgressBar>
#include <QTimerEvent>

void MainWindow::on_actionGetData_triggered()
{
    qCDebug(lcVelumin).noquote() << "# Get Data";
    QTreeWidgetItem* header = ui->treeDetailData->headerItem();
    // Column 1 too: after an MPO meter it would still say "Wavelength" above ITU numbers.
    header->setText(1, tr("ITU Channel #"));
    header->setText(2, m_displayFreq ? tr("Frequency (THz)") : tr("Wavelength (nm)"));
    if (isMpoKind(m_kindCode)) {
        header->setText(1, QStringLiteral("Wavelength"));
        header->setText(2, QStringLiteral("Polarity"));
    }
    // A retrieval that is still running gives way: only the newest timer may ask again.
    killDataTimer();
    // The form of the meter that is connected: the receiver decodes with the kind it was given
    // then, and index 3 is the 96-channel one.
    const Retrieval::Request first = m_retrieval.start(m_linkDevIndex == 3);
    m_dataTimer = startTimer(m_retryIntervalMs);
    send(first);
}

void MainWindow::slotStopData()
{
    qCDebug(lcVelumin).noquote() << "# Stop Data";
    stopRetrieval();
}

void MainWindow::stopRetrieval()
{
    m_retrieval.stop();
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

template <typename R>
bool MainWindow::admitReport(QList<R>& list, int kind, ushort total, ushort count)
{
    const Retrieval::Admission admission = m_retrieval.admit(count);
    if (admission == Retrieval::Admission::Drop)
        return false;
    if (admission == Retrieval::Admission::First) {
        ui->treeData->clear();
        ui->treeDetailData->clear();
        list.clear();
        if (kind == Kind::Vendral8)
            m_recordNames.clear();
        m_progressBar->reset();
        m_progressBar->setMaximum(total);
        // The window has a single page; the call stays for meters that expect their own.
        if (isMpoKind(kind))
            ui->tabMain->setCurrentIndex(1);
    }
    // Records are stored in the order the meter numbers them, so position i is record i.
    return count < total && list.size() == count;
}

void MainWindow::addReportRow(int kind, ushort total, ushort count, const QByteArray& name,
                              uint date, uint time)
{
    auto* row = new QTreeWidgetItem(Intake::rowTexts(kind, count, name, date, time));
    ui->treeData->addTopLevelItem(row);
    markVerdict(ui->treeData->indexOfTopLevelItem(row));
    m_progressBar->setValue(count + 1);

    const Retrieval::Request next = m_retrieval.stored(count, total);
    if (next.send) {
        send(next);
        return;
    }
    killDataTimer();
    Prompts::information(this, tr("Get Data"),
                         tr("Measurement data retrieving has been completed!!"));
}

void MainWindow::slotRecvedDataCWDM18(ushort total, ushort count, const QVector<qint16>& cwdmData,
                                      uint date, uint time, const QByteArray& name)
{
    if (!admitReport(m_listCWDM18, Kind::CWDM18, total, count))
        return;
    m_listCWDM18.append(CWDM18Record(cwdmData, date, time, name));
    addReportRow(Kind::CWDM18, total, count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM48(ushort total, ushort count, const QVector<qint16>& dwdmData,
                                      uint date, uint time, const QByteArray& name)
{
    if (!admitReport(m_listDWDM48, Kind::DWDM48, total, count))
        return;
    // Older meters send neither channel flags nor a total.
    m_listDWDM48.append(DWDM48Record(dwdmData, QByteArray(52, '\0'), date, time, name, NoTotal));
    addReportRow(Kind::DWDM48, total, count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM48Big(ushort total, ushort count,
                                         const QVector<qint16>& dwdmData, const QByteArray& onOff,
                                         uint date, uint time, const QByteArray& name,
                                         int totalIndex)
{
    if (!admitReport(m_listDWDM48, Kind::DWDM48, total, count))
        return;
    m_listDWDM48.append(DWDM48Record(dwdmData, onOff, date, time, name, totalIndex));
    addReportRow(Kind::DWDM48, total, count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM96(ushort total, ushort count, const QVector<qint16>& dwdmData,
                                      uint date, uint time, const QByteArray& name)
{
    if (!admitReport(m_listDWDM96, Kind::DWDM96, total, count))
        return;
    m_listDWDM96.append(DWDM96Record(dwdmData, date, time, name));
    addReportRow(Kind::DWDM96, total, count, name, date, time);
}

void MainWindow::slotRecvedDataVendral8(ushort total, ushort count, const QVector<qint16>& data,
                                        uint date, uint time, const QByteArray& name)
{
    if (!admitReport(m_listVendral8, Kind::Vendral8, total, count))
        return;
    const QString nameText = Intake::reportNameText(name);
    qCDebug(lcVelumin).noquote() << "name:" << nameText;
    m_listVendral8.append(Vendral8Record(data, date, time));
    // Kept in step with the list, so that name i always belongs to record i.
    m_recordNames.resize(count);
    m_recordNames.append(nameText);
    addReportRow(Kind::Vendral8, total, count, name, date, time);
}

void MainWindow::slotRecvedDataTarnex8(ushort total, ushort count, const QVector<qint16>& data,
                                       uint date, uint time, const QByteArray& name)
{
    if (!admitReport(m_listTarnex8, Kind::Tarnex8, total, count))
        return;
    m_listTarnex8.append(Tarnex8Record(data, date, time, name));
    addReportRow(Kind::Tarnex8, total, count, name, date, time);
}

void MainWindow::slotRecvedDataTarnex56(ushort total, ushort count, const QVector<qint16>& data,
                                        const QByteArray& onOff, uint date, uint time,
                                        const QByteArray& name, int totalIndex)
{
    if (!admitReport(m_listTarnex56, Kind::Tarnex56, total, count))
        return;
    m_listTarnex56.append(Tarnex56Record(data, onOff, date, time, name, totalIndex));
    addReportRow(Kind::Tarnex56, total, count, name, date, time);
}

void MainWindow::slotRecvedDataTarnex57(ushort total, ushort count, const QVector<qint16>& data,
                                        const QByteArray& onOff, uint date, uint time,
                                        const QByteArray& name, int totalIndex)
{
    if (!admitReport(m_listTarnex57, Kind::Tarnex57, total, count))
        return;
    m_listTarnex57.append(Tarnex57Record(data, onOff, date, time, name, totalIndex));
    addReportRow(Kind::Tarnex57, total, count, name, date, time);
}

void MainWindow::slotRecvedDataTarnex64(ushort total, ushort count, const QVector<qint16>& data,
                                        const QByteArray& onOff, uint date, uint time,
                                        const QByteArray& name, int totalIndex)
{
    qCDebug(lcVelumin).noquote() << "slot tarnex 64:";
    if (!admitReport(m_listTarnex64, Kind::Tarnex64, total, count))
        return;
    m_listTarnex64.append(Tarnex64Record(data, onOff, date, time, name, totalIndex));
    addReportRow(Kind::Tarnex64, total, count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM49TOTAL(ushort total, ushort count,
                                           const QVector<qint16>& dwdmData, const QByteArray& onOff,
                                           uint date, uint time, const QByteArray& name,
                                           int totalWav)
{
    if (!admitReport(m_listDWDM49TOTAL, Kind::DWDM49TOTAL, total, count))
        return;
    m_listDWDM49TOTAL.append(DWDM49TOTALRecord(dwdmData, onOff, date, time, name, totalWav));
    addReportRow(Kind::DWDM49TOTAL, total, count, name, date, time);
}

void MainWindow::slotRecvedDataMPO12(ushort total, ushort count, const QVector<qint16>& mpoData,
                                     ushort mode, ushort polar, uint date, uint time,
                                     const QByteArray& name)
{
    if (!admitReport(m_listMPO12, Kind::MPO12, total, count))
        return;
    m_listMPO12.append(MPO12Record(mpoData, mode, polar, date, time, name));
    addReportRow(Kind::MPO12, total, count, name, date, time);
}

void MainWindow::slotRecvedDataMPO24(ushort total, ushort count, const QVector<qint16>& mpoData,
                                     ushort mode, ushort polar, uint date, uint time,
                                     const QByteArray& name)
{
    if (!admitReport(m_listMPO24, Kind::MPO24, total, count))
        return;
    m_listMPO24.append(MPO24Record(mpoData, mode, polar, date, time));
    addReportRow(Kind::MPO24, total, count, name, date, time);
}

void MainWindow::slotRecvedDataMPO16(ushort total, ushort count, const QVector<qint16>& mpoData,
                                     ushort mode, ushort polar, uint date, uint time,
                                     const QByteArray& name)
{
    if (!admitReport(m_listMPO16, Kind::MPO16, total, count))
        return;
    m_listMPO16.append(MPO16Record(mpoData, mode, polar, date, time, name));
    addReportRow(Kind::MPO16, total, count, name, date, time);
}

void MainWindow::slotRecvedDataMPO32(ushort total, ushort count, const QVector<qint16>& mpoData,
                                     ushort mode, ushort polar, uint date, uint time,
                                     const QByteArray& name)
{
    if (!admitReport(m_listMPO32, Kind::MPO32, total, count))
        return;
    m_listMPO32.append(MPO32Record(mpoData, mode, polar, date, time, name));
    addReportRow(Kind::MPO32, total, count, name, date, time);
}

void MainWindow::slotRecvedDataDWDM96Semi(ushort count, uchar flag)
{
    send(m_retrieval.firstHalfArrived(count, flag));
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
