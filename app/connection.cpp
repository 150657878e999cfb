// Connecting to the meter: opening its port through the session, taking in the meter's identity,
// and what is left when it goes away. These are the main window's connection members.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "data/identity.h"
#include "data/kinds.h"
#include "data/logging.h"
#include "device/comports.h"
#include "graph/graphwidget.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>

void MainWindow::on_actionConnect_triggered(bool checked)
{
    if (checked)
        connectMeter();
    else
        disconnectMeter();
}

void MainWindow::connectMeter()
{
    // A second link would read the same port; Connect cannot be checked twice anyway.
    if (m_session.isOpen())
        return;
    const QString path = devicePathForPort(m_cbPort->currentText());
    if (path.isEmpty() || !m_session.open(path, ui->cbSelectDevice->currentIndex())) {
        ui->actionConnect->setChecked(false);
        Prompts::warning(this, tr("Warning"), tr("Serial port open failed!"));
        restartDiscovery();
        return;
    }
    m_statusLabel->clear();
    m_portLost = false;
}

void MainWindow::slotPortLost(bool getting)
{
    // What arrived stays listed and can still be saved and drawn; only the link is gone.
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
    // A download must not outlive its link.
    m_session.close();
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

void MainWindow::connectSession()
{
    connect(&m_session, &MeterSession::identified, this, &MainWindow::slotIdentified);
    connect(&m_session, &MeterSession::listStarted, this, &MainWindow::slotListStarted);
    connect(&m_session, &MeterSession::recordStored, this, &MainWindow::slotRecordStored);
    connect(&m_session, &MeterSession::downloaded, this, &MainWindow::slotDownloaded);
    connect(&m_session, &MeterSession::wrongKindSuspected, this, &MainWindow::sayWrongKind);
    connect(&m_session, &MeterSession::portLost, this, &MainWindow::slotPortLost);
}

void MainWindow::sendSystemInfo()
{
    m_session.sendSystemInfo();
}

void MainWindow::sendData(int index)
{
    m_session.sendData(index);
}

void MainWindow::sendData96(int index, quint8 half)
{
    m_session.sendData96(index, half);
}

void MainWindow::slotIdentified(const MeterIdentity& id)
{
    qCDebug(lcWindow).noquote() << "slotRecvedSysInfo:" << id.product << id.serial << id.hwVer
                                 << id.fwVer << id.buildTime << m_kindCode;
    const int device = id.kind;
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
    qCDebug(lcWindow).noquote() << "# Device Tree Item Clicked";
    if (std::find(std::begin(m_deviceItems), std::end(m_deviceItems), item) !=
        std::end(m_deviceItems)) {
        setConnectedUi(true);
        ui->tabMain->setCurrentIndex(0);
    } else {
        setConnectedUi(false);
    }
}
