// Graph Data: the selected record drawn as bars in a window of its own. This is the main
// window's graph member.

#include "app/mainwindow.h"

#include "app/prompts.h"
#include "data/catalogue.h"
#include "data/logging.h"
#include "graph/graphtable.h"
#include "graph/graphwidget.h"
#include "ui_mainwindow.h"

#include <QCoreApplication>

#include <optional>

namespace {

// What a graph is drawn from, whatever the record type.
struct GraphSource {
    const double* readings = nullptr;
    int count = 0; // readings the record holds
    QString totalLabel;
};

// The readings of row `row` of `list`; none when the list has no such row.
template <typename R, std::size_t N>
std::optional<GraphSource> sourceAt(const QList<R>& list, int row, std::array<double, N> R::*values)
{
    if (row < 0 || row >= list.size())
        return std::nullopt;
    return GraphSource{(list.at(row).*values).data(), int(N), QString()};
}

} // namespace

void MainWindow::on_actionGraphData_triggered()
{
    qCDebug(lcVelumin).noquote() << "# Graph Data" << m_kindCode;
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

    std::optional<GraphSource> source;
    switch (m_kindCode) {
    case Kind::CWDM18:
        source = sourceAt(m_listCWDM18, row, &CWDM18Record::cwdmData);
        break;
    case Kind::DWDM48:
        source = sourceAt(m_listDWDM48, row, &DWDM48Record::dwdmData);
        break;
    case Kind::Vendral8:
        source = sourceAt(m_listVendral8, row, &Vendral8Record::data);
        break;
    case Kind::DWDM96:
        source = sourceAt(m_listDWDM96, row, &DWDM96Record::dwdmData);
        break;
    case Kind::Tarnex8:
        source = sourceAt(m_listTarnex8, row, &Tarnex8Record::data);
        break;
    case Kind::Tarnex56:
        source = sourceAt(m_listTarnex56, row, &Tarnex56Record::data);
        break;
    case Kind::Tarnex57:
        source = sourceAt(m_listTarnex57, row, &Tarnex57Record::data);
        break;
    case Kind::Tarnex64:
        source = sourceAt(m_listTarnex64, row, &Tarnex64Record::data);
        break;
    case Kind::DWDM49TOTAL:
        source = sourceAt(m_listDWDM49TOTAL, row, &DWDM49TOTALRecord::dwdmData);
        if (source)
            source->totalLabel = m_listDWDM49TOTAL.at(row).totalLabel;
        break;
    case Kind::MPO12:
        source = sourceAt(m_listMPO12, row, &MPO12Record::mpoData);
        break;
    case Kind::MPO24:
        source = sourceAt(m_listMPO24, row, &MPO24Record::mpoData);
        break;
    case Kind::MPO16:
        source = sourceAt(m_listMPO16, row, &MPO16Record::mpoData);
        break;
    case Kind::MPO32:
        source = sourceAt(m_listMPO32, row, &MPO32Record::mpoData);
        break;
    default:
        break;
    }
    // A row the list does not hold is no record to draw: the graph would read past the list.
    if (!source || source->count < readingsUsed(m_kindCode)) {
        Prompts::warning(this, QCoreApplication::applicationName(), tr("Data is not selected!"));
        return;
    }

    delete m_graphWidget;
    m_graphWidget = nullptr;
    const QStringList labels = Graph::labels(m_kindCode, m_displayFreq, source->totalLabel);
    m_graphWidget = new GraphWidget(Graph::typeOfKind(m_kindCode), title, source->readings,
                                    labels.constData(), m_displayFreq);
    // A graph left open must not keep the program running once the main window has closed.
    m_graphWidget->setAttribute(Qt::WA_QuitOnClose, false);
    m_graphWidget->setFixedSize(layout->width, layout->height);
    m_graphWidget->show();
}
