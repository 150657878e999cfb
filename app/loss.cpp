// Loss against a reference: Use as Reference takes the selected record, and Loss… opens the
// window of its loss, which follows the selection. These are the main window's loss members.

#include "app/mainwindow.h"

#include "app/losswindow.h"
#include "app/recordviews.h"
#include "data/logging.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

namespace {

void bringUp(QWidget* window)
{
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace

LossWindow* MainWindow::lossWindow() const
{
    return m_lossWindow;
}

void MainWindow::setUpLossActions()
{
    m_actionSetReference = new QAction(tr("Use as Reference"), this);
    m_actionSetReference->setObjectName(QStringLiteral("actionSetReference"));
    m_actionLoss = new QAction(tr("Loss…"), this);
    m_actionLoss->setObjectName(QStringLiteral("actionLoss"));
    connect(m_actionSetReference, &QAction::triggered, this, &MainWindow::slotSetReference);
    connect(m_actionLoss, &QAction::triggered, this, &MainWindow::slotLoss);
    if (auto* tools = ui->menuBar->findChild<QMenu*>(QStringLiteral("menuTools"))) {
        tools->addSeparator();
        tools->addActions({m_actionSetReference, m_actionLoss});
    }
}

void MainWindow::slotSetReference()
{
    qCDebug(lcWindow).noquote() << "# Use as Reference";
    QTreeWidgetItem* current = ui->treeData->currentItem();
    const Measurement* record =
        current ? recordAt(ui->treeData->indexOfTopLevelItem(current)) : nullptr;
    const std::optional<Loss::Reference> reference = RecordViews::useAsReference(
        this, current, record, m_productName + QLatin1Char(' ') + m_serialNumber);
    if (!reference)
        return;
    m_statusLabel->setText(tr("Reference: %1").arg(LossWindow::referenceText(*reference)));
    if (m_lossWindow)
        m_lossWindow->reload();
}

void MainWindow::slotLoss()
{
    qCDebug(lcWindow).noquote() << "# Loss";
    if (!m_lossWindow)
        m_lossWindow = new LossWindow;
    showLoss();
    bringUp(m_lossWindow);
}

void MainWindow::showLoss()
{
    if (!m_lossWindow)
        return;
    QTreeWidgetItem* current = ui->treeData->currentItem();
    const Measurement* record =
        current ? recordAt(ui->treeData->indexOfTopLevelItem(current)) : nullptr;
    m_lossWindow->setDisplayFreq(m_displayFreq);
    m_lossWindow->showRecord(record ? std::optional<Measurement>(*record) : std::nullopt,
                             m_productName);
}
