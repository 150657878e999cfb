#include "app/mainwindow.h"

#include "app/archivewindow.h"
#include "app/comparewindow.h"
#include "app/losswindow.h"
#include "app/prompts.h"
#include "device/discovery.h"
#include "dialogs/aboutdialog.h"
#include "data/displayunit.h"
#include "dialogs/settingdialog.h"
#include "export/portlist.h"
#include "files/opendatawidget.h"
#include "files/reportcontent.h"
#include "graph/graphtable.h"
#include "graph/graphwidget.h"
#include "resources/resources.h"
#include "session/archiverecorder.h"
#include "ui_mainwindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QTreeWidgetItem>

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    initVeluminResources();
    ui->setupUi(this);
    setUpReportActions();
    setUpLossActions();
    connectSession();
    setUpArchive();
    setWindowTitle(windowTitle() + QStringLiteral(" V") + QCoreApplication::applicationVersion());

    for (int kind = Kind::First; kind <= Kind::Last; ++kind) {
        if (kindInfo(kind)->deviceGroup >= 0)
            m_deviceItems[kind - Kind::First] = new QTreeWidgetItem(0);
    }

    connect(ui->actionExit, &QAction::triggered, this, &QWidget::close);
    // File, Save is the same command as Data, Save Data.
    connect(ui->actionSave, &QAction::triggered, ui->actionSaveData, &QAction::trigger);

    m_displayFreq = DisplayUnit::readDisplayFreq();
    // Wide enough for the longest header texts, "Frequency (THz)" and "ITU Channel #".
    ui->treeDetailData->setColumnWidth(0, 60);
    ui->treeDetailData->setColumnWidth(1, 110);
    ui->treeDetailData->setColumnWidth(2, 130);
    ui->treeData->setColumnWidth(0, 150);
    ui->treeDetailData->headerItem()->setText(2, m_displayFreq ? tr("Frequency (THz)")
                                                               : tr("Wavelength (nm)"));

    // Every port name is offered, so the user can pick one that discovery did not find.
    m_cbPort = new QComboBox;
    for (int n = 1; n <= 256; ++n)
        m_cbPort->addItem(QStringLiteral("COM%1").arg(n));
    ui->toolBarConnect->insertWidget(ui->actionConnect, m_cbPort);
    const std::optional<QStringList> names = deviceNames();
    markListedPorts(names.value_or(QStringList()));
    selectComPort(findComPort(names));

    m_cbUnit = new QComboBox;
    m_cbUnit->addItem(QStringLiteral("Wavelength (nm)"));
    m_cbUnit->addItem(QStringLiteral("Frequency (Thz)"));
    ui->toolBarControl->addSeparator();
    ui->toolBarControl->addWidget(m_cbUnit);
    // Connected only now, so that filling the combo stores nothing.
    connect(m_cbUnit, &QComboBox::currentIndexChanged, this, &MainWindow::slotCbSelectIndexChanged);
    m_cbUnit->setCurrentIndex(m_displayFreq ? 1 : 0);

    // Connect makes sense only once a device type has been chosen.
    ui->actionConnect->setEnabled(false);

    m_statusLabel = new QLabel;
    m_progressBar = new QProgressBar;
    m_stopButton = new QToolButton;
    m_stopButton->setIcon(QIcon(QStringLiteral(":/icon/image/delete.png")));
    ui->statusBar->insertWidget(0, m_statusLabel, 2);
    ui->statusBar->insertWidget(1, m_progressBar, 4);
    ui->statusBar->insertWidget(2, m_stopButton, 1);
    connect(m_stopButton, &QToolButton::clicked, this, &MainWindow::slotStopData);

    ui->cbSelectDevice->addItems(deviceChooserEntries());

    // The device tree is kept up to date but not shown; graphs open in a window of their own.
    ui->treeDevice->hide();
    ui->customPlot->hide();

    m_discoveryTimer = startTimer(1000);
}

MainWindow::~MainWindow()
{
    delete m_openDataWidget;
    delete m_graphWidget;
    delete m_archiveWindow;
    delete m_lossWindow;
    delete m_compareWindow;
    m_session.close();
    // Every record listed is written before the window goes.
    delete m_archive;
    for (QTreeWidgetItem* item : m_deviceItems) {
        if (item && !item->parent())
            delete item;
    }
    delete ui;
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    const QMessageBox::StandardButton answer =
        Prompts::warning(this, QCoreApplication::applicationName(), tr("Do you want to exit?"),
                         QMessageBox::Ok | QMessageBox::No);
    // The Open Data window goes whatever the answer.
    delete m_openDataWidget;
    m_openDataWidget = nullptr;
    if (answer == QMessageBox::No) {
        event->ignore();
        return;
    }
    // Leaving while connected: end the download and close the port now, not at process exit.
    m_session.close();
    event->accept();
}

void MainWindow::timerEvent(QTimerEvent* event)
{
    if (m_discoveryTimer != 0 && event->timerId() == m_discoveryTimer) {
        const std::optional<QStringList> names = deviceNames();
        markListedPorts(names.value_or(QStringList()));
        const int com = findComPort(names);
        if (com > 0) {
            selectComPort(com);
            // Found, even when the number lies beyond the chooser: the user picks by hand then.
            killTimer(m_discoveryTimer);
            m_discoveryTimer = 0;
        }
    }
}

void MainWindow::selectComPort(int com)
{
    m_cbPort->setCurrentIndex(
        m_cbPort->findText(QStringLiteral("COM%1").arg(com), Qt::MatchCaseSensitive));
}

void MainWindow::markListedPorts(const QStringList& friendlyNames)
{
    QHash<QString, PortList::Port> listed;
    for (const PortList::Port& p : PortList::fromFriendlyNames(friendlyNames))
        listed.insert(p.comName, p);
    QFont bold = m_cbPort->font();
    bold.setBold(true);
    for (int i = 0; i < m_cbPort->count(); ++i) {
        const auto it = listed.constFind(m_cbPort->itemText(i));
        const bool there = it != listed.cend();
        m_cbPort->setItemData(i, there ? QVariant(bold) : QVariant(), Qt::FontRole);
        m_cbPort->setItemData(
            i, there ? QVariant(tr("%1: %2").arg(it->device, it->description)) : QVariant(),
            Qt::ToolTipRole);
    }
}

void MainWindow::restartDiscovery()
{
    if (m_discoveryTimer != 0)
        killTimer(m_discoveryTimer);
    m_discoveryTimer = startTimer(1000);
}

void MainWindow::on_actionAbout_triggered()
{
    AboutDialog dialog;
    dialog.exec();
}

void MainWindow::on_actionSetting_triggered()
{
    SettingDialog dialog;
    // The tool-bar chooser keeps its index; it follows the store only when it changes itself.
    if (dialog.exec() == QDialog::Accepted)
        applyDisplayUnit();
}

void MainWindow::slotCbSelectIndexChanged(int index)
{
    DisplayUnit::storeIndex(index);
    applyDisplayUnit();
}

void MainWindow::applyDisplayUnit()
{
    m_displayFreq = DisplayUnit::readDisplayFreq();
    showDetailHeader();
    if (QTreeWidgetItem* current = ui->treeData->currentItem())
        showRecordDetail(ui->treeData->indexOfTopLevelItem(current));
    if (m_graphWidget)
        m_graphWidget->setLabels(Graph::labels(Graph::kindOfType(m_graphWidget->graphType()),
                                               m_displayFreq, m_graphTotalLabel),
                                 m_displayFreq);
    showLoss();
}

void MainWindow::showDetailHeader()
{
    const QStringList titles = ReportContent::detailHeaders(m_kindCode, m_displayFreq, m_productName);
    QTreeWidgetItem* header = ui->treeDetailData->headerItem();
    header->setText(1, titles.at(1));
    header->setText(2, titles.at(2));
}
