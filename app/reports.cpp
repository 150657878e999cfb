// Limits and the PDF report, reached from the record list's context menu: the verdict marks in
// the record list and the detail view, the limits dialog, and Export Report. These are the main
// window's report members.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "app/recordviews.h"
#include "app/reportflow.h"
#include "data/logging.h"
#include "data/lossstore.h"
#include "dialogs/limitsdialog.h"
#include "files/archive.h"
#include "files/reportcontent.h"
#include "graph/graphtable.h"
#include "graph/graphwidget.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>

#include <algorithm>

void MainWindow::setUpReportActions()
{
    m_limits = LimitsStore::read();
    m_actionExportReport = new QAction(tr("Export Report…"), this);
    m_actionExportReport->setObjectName(QStringLiteral("actionExportReport"));
    m_actionLimits = new QAction(tr("Limits…"), this);
    m_actionLimits->setObjectName(QStringLiteral("actionLimits"));
    connect(m_actionExportReport, &QAction::triggered, this, &MainWindow::slotExportReport);
    connect(m_actionLimits, &QAction::triggered, this, &MainWindow::slotLimits);
    ui->treeData->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(ui->treeData, &QWidget::customContextMenuRequested, this, &MainWindow::slotRecordMenu);
    // Commands beyond the menus of old get a menu of their own, before Help.
    auto* tools = new QMenu(tr("&Tools"), ui->menuBar);
    tools->setObjectName(QStringLiteral("menuTools"));
    tools->addAction(m_actionLimits);
    tools->addAction(m_actionExportReport);
    ui->menuBar->insertMenu(ui->menuHelp->menuAction(), tools);
}

bool MainWindow::limitsJudge() const
{
    return ReportContent::judges(m_limits, m_kindCode);
}

void MainWindow::showLimitsNotice()
{
    QString why =
        m_limits.enabled && kindInfo(m_kindCode) ? Limits::notApplicable(m_limits, m_kindCode)
                                                 : QString();
    // Made when first needed: until then the status bar is laid out as it always was.
    if (!why.isEmpty() && !m_limitsNotice) {
        m_limitsNotice = new QLabel;
        m_limitsNotice->setObjectName(QStringLiteral("labelLimitsNotice"));
        ui->statusBar->addPermanentWidget(m_limitsNotice);
    }
    if (!m_limitsNotice)
        return;
    if (!why.isEmpty()) {
        why[0] = why.at(0).toUpper();
        m_limitsNotice->setText(tr("%1: no record is judged.").arg(why));
    }
    m_limitsNotice->setVisible(!why.isEmpty());
}

void MainWindow::slotRecordMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.addAction(ui->actionGraphData);
    menu.addAction(ui->actionSaveData);
    menu.addSeparator();
    menu.addAction(m_actionExportReport);
    menu.addAction(m_actionLimits);
    menu.addSeparator();
    menu.addAction(m_actionSetReference);
    menu.addAction(m_actionLoss);
    menu.exec(ui->treeData->viewport()->mapToGlobal(at));
}

std::optional<Limits::RecordResult> MainWindow::verdictOf(int row) const
{
    const Measurement* record = recordAt(row);
    if (!record)
        return std::nullopt;
    return ReportContent::recordVerdict(m_limits, *record);
}

void MainWindow::markVerdict(int row)
{
    QTreeWidgetItem* item = ui->treeData->topLevelItem(row);
    if (!item)
        return;
    const std::optional<Limits::RecordResult> verdict = verdictOf(row);
    RecordViews::markVerdict(item, verdict ? std::optional<bool>(verdict->pass) : std::nullopt);
}

void MainWindow::markVerdicts()
{
    for (int row = 0; row < ui->treeData->topLevelItemCount(); ++row)
        markVerdict(row);
    if (QTreeWidgetItem* current = ui->treeData->currentItem())
        showRecordDetail(ui->treeData->indexOfTopLevelItem(current));
}

void MainWindow::slotLimits()
{
    qCDebug(lcWindow).noquote() << "# Limits";
    // Disconnected, the dialog offers the last meter's kind; its chooser offers every kind.
    LimitsDialog dialog(m_limits, m_kindCode, m_displayFreq, this);
    dialog.setFileHandlers(
        [this](bool save) {
            const QString filter = tr("Limits File (*.json)");
            return Prompts::fileName(
                this, {save ? Prompts::FileRequest::Save : Prompts::FileRequest::Open,
                       save ? tr("Save Limits") : tr("Load Limits"), ReportFlow::folder(), filter,
                       QStringLiteral("json")});
        },
        [this](const QString& text) { Prompts::warning(this, tr("Limits"), text); });
    if (Prompts::exec(dialog) != QDialog::Accepted)
        return;
    Limits::LimitSet chosen;
    QString error;
    if (!dialog.limits(&chosen, &error))
        return;
    m_limits = chosen;
    LimitsStore::store(m_limits);
    showLimitsNotice();
    markVerdicts();
    if (m_graphWidget)
        m_graphWidget->setLimits(limitsJudge() ? m_limits : Limits::LimitSet());
}

void MainWindow::slotExportReport()
{
    qCDebug(lcWindow).noquote() << "# Export Report";
    // The records the list shows: it is empty after another device was chosen in the tree.
    const int shown =
        std::min(ui->treeData->topLevelItemCount(), m_session.download().recordCount(m_kindCode));
    // The report shares the download's records, and each record's section is built as the writer
    // reaches it: a long list is never held twice.
    Report r = report(m_session.download().records(m_kindCode).first(shown));
    // The job block is asked for before the file; the job is the one downloads are archived under.
    r.setJob(LossStore::jobBlock(), Archive::nextJob());
    r.setLoss(LossStore::reference(), LossStore::budget());
    r.setExpected(m_session.download().total());
    ReportFlow::exportReport(this, "pdf", tr("Export Report"), m_productName, r, true);
}
