// Loss against a reference and the comparison of two records: Use as Reference takes the
// selected record, Loss… opens the window of its loss, which follows the selection, and
// Compare… the window of two records. These are the main window's loss members.

#include "app/mainwindow.h"

#include "app/comparewindow.h"
#include "app/losswindow.h"
#include "app/recordviews.h"
#include "data/logging.h"
#include "files/archive.h"
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

CompareWindow* MainWindow::compareWindow() const
{
    return m_compareWindow;
}

void MainWindow::setUpLossActions()
{
    m_actionSetReference = new QAction(tr("Use as Reference"), this);
    m_actionSetReference->setObjectName(QStringLiteral("actionSetReference"));
    m_actionLoss = new QAction(tr("Loss…"), this);
    m_actionLoss->setObjectName(QStringLiteral("actionLoss"));
    m_actionCompare = new QAction(tr("Compare…"), this);
    m_actionCompare->setObjectName(QStringLiteral("actionCompare"));
    connect(m_actionSetReference, &QAction::triggered, this, &MainWindow::slotSetReference);
    connect(m_actionLoss, &QAction::triggered, this, &MainWindow::slotLoss);
    connect(m_actionCompare, &QAction::triggered, this, &MainWindow::slotCompare);
    if (auto* tools = ui->menuBar->findChild<QMenu*>(QStringLiteral("menuTools"))) {
        tools->addSeparator();
        tools->addActions({m_actionSetReference, m_actionLoss, m_actionCompare});
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

void MainWindow::slotCompare()
{
    qCDebug(lcWindow).noquote() << "# Compare";
    const bool shown = m_compareWindow && m_compareWindow->isVisible();
    if (!m_compareWindow)
        m_compareWindow = new CompareWindow(Archive::location());
    m_compareWindow->setDisplayFreq(m_displayFreq);
    m_compareWindow->setCurrent(m_productName, m_serialNumber,
                                m_session.download().records(m_kindCode));
    // Showing it reads the archive again; one already shown is read again here.
    if (shown)
        m_compareWindow->refresh();
    bringUp(m_compareWindow);
}
