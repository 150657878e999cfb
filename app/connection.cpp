// Connecting to the meter: opening the port, starting the receiver, and taking in the meter's
// identity. These are the main window's connection members.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "data/identity.h"
#include "data/kinds.h"
#include "data/logging.h"
#include "device/comports.h"
#include "device/serialport.h"
#include "graph/graphwidget.h"
#include "protocol/frames.h"
#include "protocol/serialcomm.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>
#include <QSerialPort>

namespace {

void logOpenState(const QSerialPort& port)
{
    qCDebug(lcVelumin).noquote() << QStringLiteral("is open: %1").arg(port.isOpen() ? 1 : 0);
}

} // namespace

void MainWindow::on_actionConnect_triggered(bool checked)
{
    if (checked)
        connectMeter();
    else
        disconnectMeter();
}

void MainWindow::connectMeter()
{
    // A second receiver would read the same port; Connect cannot be checked twice anyway.
    if (m_serialComm)
        return;
    if (!openPort(m_cbPort->currentText())) {
        ui->actionConnect->setChecked(false);
        Prompts::warning(this, tr("Warning"), tr("Serial port open failed!"));
        restartDiscovery();
        return;
    }
    m_statusLabel->clear();
    m_portLost = false;
    m_linkDevIndex = ui->cbSelectDevice->currentIndex();
    m_serialComm = new SerialComm(m_port, m_linkDevIndex, nullptr);
    connectReceiver();
    m_serialComm->start();
    sendSystemInfo();
    m_identityTimer = startTimer(IdentityRetryMs);
}

void MainWindow::killIdentityTimer()
{
    if (m_identityTimer != 0)
        killTimer(m_identityTimer);
    m_identityTimer = 0;
}

void MainWindow::slotPortLost()
{
    // What arrived stays listed and can still be saved and drawn; only the link is gone.
    qCDebug(lcVelumin).noquote() << "meter disconnected";
    const bool getting = m_download.getting();
    killIdentityTimer();
    stopRetrieval();
    stopReceiver();
    closePort();
    m_portLost = true;
    ui->actionGetData->setEnabled(false);
    QString text = tr("The meter was disconnected.");
    if (getting) {
        endProgress(tr("The meter was disconnected after %1"));
        text = m_statusLabel->text() + QLatin1Char('.');
    } else {
        m_statusLabel->setText(text);
    }
    Prompts::warning(this, tr("Warning"),
                     text + QLatin1Char('\n') +
                         tr("The records received so far stay listed until Connect is "
                            "unchecked, which clears them: save them first. Then plug the meter "
                            "in again and connect."));
}

void MainWindow::disconnectMeter()
{
    // A retrieval must not outlive its link: its timer would ask the next meter.
    killIdentityTimer();
    stopRetrieval();
    stopReceiver();
    closePort();
    m_statusLabel->clear();
    m_portLost = false;
    ui->actionConnect->setChecked(false);
    for (QTreeWidgetItem* item : m_deviceItems) {
        if (QTreeWidgetItem* group = item ? item->parent() : nullptr)
            group->removeChild(item);
    }
    setConnectedUi(false);
    restartDiscovery();
    delete m_graphWidget;
    m_graphWidget = nullptr;
}

bool MainWindow::openPort(const QString& portName)
{
    const QString path = devicePathForPort(portName);
    if (path.isEmpty())
        return false;
    m_port = new QSerialPort(path);
    if (!SerialLine::openLine(*m_port)) {
        qCDebug(lcVelumin).noquote() << "open" << path << "failed:" << m_port->errorString();
        delete m_port;
        m_port = nullptr;
        return false;
    }
    logOpenState(*m_port);
    return true;
}

void MainWindow::closePort()
{
    if (!m_port)
        return;
    m_port->close();
    logOpenState(*m_port);
    delete m_port;
    m_port = nullptr;
}

void MainWindow::connectReceiver()
{
    connect(m_serialComm, &SerialComm::identified, this, &MainWindow::slotIdentified);
    connect(m_serialComm, &SerialComm::recordDecoded, this, &MainWindow::slotRecordDecoded);
    connect(m_serialComm, &SerialComm::halfArrived, this, &MainWindow::slotHalfArrived);
    connect(m_serialComm, &SerialComm::portLost, this, &MainWindow::slotPortLost);
}

void MainWindow::stopReceiver()
{
    if (!m_serialComm)
        return;
    SerialComm::dispose(m_serialComm, this);
    m_serialComm = nullptr;
}

void MainWindow::sendSystemInfo()
{
    qCDebug(lcVelumin).noquote() << "sendSystemInfo()";
    sendRequest(Frames::systemInfoRequest());
}

void MainWindow::sendData(int index)
{
    qCDebug(lcVelumin).noquote() << "Send Data / index:" << index;
    sendRequest(Frames::dataRequest(index));
}

void MainWindow::sendData96(int index, quint8 half)
{
    qCDebug(lcVelumin).noquote() << "Send Data for 96 / index:" << index;
    sendRequest(Frames::data96Request(index, half));
}

void MainWindow::sendRequest(const QByteArray& frame)
{
    // The receiver owns the port and writes for us; without one there is no link to write to.
    if (m_serialComm)
        m_serialComm->post(frame);
}

void MainWindow::slotIdentified(const MeterIdentity& id)
{
    qCDebug(lcVelumin).noquote() << "slotRecvedSysInfo:" << id.product << id.serial << id.hwVer
                                 << id.fwVer << id.buildTime << m_kindCode;
    const int device = id.kind;
    killIdentityTimer();
    m_productName = id.product;
    m_serialNumber = id.serial;
    m_hwVersion = id.hardware;
    m_fwVersion = id.firmware;
    m_buildTime = id.buildTime;

    if (const KindInfo* info = kindInfo(device)) {
        m_kindCode = device;
        if (QTreeWidgetItem* item = m_deviceItems[device - Kind::First]) {
            item->setText(0, m_productName + QStringLiteral(" (") + m_serialNumber +
                                 QStringLiteral(")"));
            if (!item->parent())
                ui->treeDevice->topLevelItem(info->deviceGroup)->addChild(item);
        }
    }
    showLimitsNotice();
    if (kindInfo(m_kindCode)) {
        setConnectedUi(true);
        ui->tabMain->setCurrentIndex(0);
    } else {
        setConnectedUi(false);
    }
}

void MainWindow::setConnectedUi(bool on)
{
    for (QWidget* w :
         {static_cast<QWidget*>(ui->tabMain), static_cast<QWidget*>(ui->gbSystemInfor)})
        w->setEnabled(on);
    for (QAction* a : {ui->actionGetData, ui->actionSaveData, ui->actionGraphData, ui->actionSave})
        a->setEnabled(on);
    // A meter that went away cannot be asked, whatever else is shown.
    ui->actionGetData->setEnabled(on && !m_portLost);
    if (on) {
        ui->editProductNum->setText(m_productName);
        ui->editSerialNum->setText(m_serialNumber);
        ui->editHwVer->setText(m_hwVersion);
        ui->editFwVer->setText(m_fwVersion);
    } else {
        for (QLineEdit* e : {ui->editProductNum, ui->editSerialNum, ui->editHwVer, ui->editFwVer})
            e->clear();
        ui->treeData->clear();
        ui->treeDetailData->clear();
    }
}

void MainWindow::on_cbSelectDevice_currentIndexChanged(int index)
{
    // Once a type has been chosen Connect stays available, "NONE" included.
    if (index != 0)
        ui->actionConnect->setEnabled(true);
}

void MainWindow::on_treeDevice_itemClicked(QTreeWidgetItem* item, int column)
{
    Q_UNUSED(column);
    qCDebug(lcVelumin).noquote() << "# Device Tree Item Clicked";
    if (std::find(std::begin(m_deviceItems), std::end(m_deviceItems), item) !=
        std::end(m_deviceItems)) {
        setConnectedUi(true);
        ui->tabMain->setCurrentIndex(0);
    } else {
        setConnectedUi(false);
    }
}
