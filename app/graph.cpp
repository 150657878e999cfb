// Graph Data: the selected record drawn as bars in a window of its own. This is the main
// window's graph member.

#include "app/mainwindow.h"

#include "app/recordviews.h"
#include "data/logging.h"
#include "graph/graphwidget.h"
#include "ui_mainwindow.h"

void MainWindow::on_actionGraphData_triggered()
{
    qCDebug(lcWindow).noquote() << "# Graph Data" << m_kindCode;
    QTreeWidgetItem* current = ui->treeData->currentItem();
    const Measurement* record =
        current ? recordAt(ui->treeData->indexOfTopLevelItem(current)) : nullptr;
    GraphWidget* graph = RecordViews::makeGraph(this, current, record, m_productName, m_kindCode,
                                                m_displayFreq, m_limits);
    if (!graph)
        return;
    delete m_graphWidget;
    m_graphWidget = graph;
    m_graphTotalLabel = record->totalLabel();
    m_graphWidget->show();
}
