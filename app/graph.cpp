// Graph Data: the selected record drawn as bars in a window of its own. This is the main
// window's graph member.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "data/detail.h"
#include "data/kinds.h"
#include "data/logging.h"
#include "graph/graphtable.h"
#include "graph/graphwidget.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>

#include <vector>

void MainWindow::on_actionGraphData_triggered()
{
    qCDebug(lcWindow).noquote() << "# Graph Data" << m_kindCode;
    QTreeWidgetItem* current = ui->treeData->currentItem();
    const int row = current ? ui->treeData->indexOfTopLevelItem(current) : -1;
    if (row < 0) {
        Prompts::warning(this, QCoreApplication::applicationName(), tr("Data is not selected!"));
        return;
    }
    const QString title = m_productName + QStringLiteral(" [") + current->text(1) +
                          QStringLiteral("] ") + current->text(2);
    const Graph::Layout* layout = Graph::layoutForKind(m_kindCode);
    if (!layout)
        return;

    const Measurement* record = recordAt(row);
    // A row the list does not hold is no record to draw: the graph would read past the list.
    if (!record || record->readings.size() < readingsUsed(m_kindCode)) {
        Prompts::warning(this, QCoreApplication::applicationName(), tr("Data is not selected!"));
        return;
    }

    delete m_graphWidget;
    m_graphWidget = nullptr;
    m_graphTotalLabel = record->totalLabel();
    const QStringList labels = Graph::labels(m_kindCode, m_displayFreq, m_graphTotalLabel);
    const std::vector<double> readings = record->dbms();
    m_graphWidget = new GraphWidget(Graph::typeOfKind(m_kindCode), title, readings.data(),
                                    labels.constData(), m_displayFreq);
    // A graph left open must not keep the program running once the main window has closed.
    m_graphWidget->setAttribute(Qt::WA_QuitOnClose, false);
    m_graphWidget->setFixedSize(layout->width, layout->height);
    if (limitsJudge())
        m_graphWidget->setLimitLines(m_limits.min, m_limits.max);
    m_graphWidget->show();
}
