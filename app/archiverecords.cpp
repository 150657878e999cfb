// The archive window's record side: the chosen download's records as the main window lists
// them, the selected record's channels, and its graph.

#include "app/archivewindow.h"

#include "app/recordviews.h"
#include "data/intake.h"
#include "data/kinds.h"
#include "files/archivestore.h"
#include "files/reportcontent.h"
#include "graph/graphtable.h"
#include "graph/graphwidget.h"

#include <QAction>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSplitter>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// Who made the download where, its meter, and the limits that judged it.
QString aboutText(const Archive::Download& d)
{
    const QString who = ArchiveWindow::byText(d);
    QString text =
        ArchiveWindow::tr("%1 %2 (%3)").arg(d.meter.product, d.meter.serial, kindTitle(d.kind));
    if (!who.isEmpty())
        text += ArchiveWindow::tr(", downloaded by %1").arg(who);
    if (d.limits.enabled)
        text += d.limits.name.isEmpty()
                    ? ArchiveWindow::tr("; judged against limits")
                    : ArchiveWindow::tr("; judged against the limits %1").arg(d.limits.name);
    return text;
}

} // namespace

QWidget* ArchiveWindow::makeRecordSide()
{
    m_job = new QLineEdit;
    m_job->setObjectName(QStringLiteral("editArchiveJob"));
    m_job->setPlaceholderText(tr("(no job)"));
    connect(m_job, &QLineEdit::editingFinished, this, &ArchiveWindow::jobEdited);
    m_about = new QLabel;
    m_about->setObjectName(QStringLiteral("labelArchiveDownload"));
    m_about->setWordWrap(true);
    m_about->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Columns, titles and widths as the main window's record list and detail view have them.
    m_records = new QTreeWidget;
    m_records->setObjectName(QStringLiteral("treeArchiveData"));
    m_records->setHeaderLabels({tr("Name"), tr("Type"), tr("Date")});
    m_records->setColumnWidth(0, 150);
    m_records->setUniformRowHeights(true);
    m_records->setRootIsDecorated(false);
    m_records->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* separator = new QAction(m_records);
    separator->setSeparator(true);
    m_records->addActions(
        {m_graphAction, m_save, m_exportReport, m_exportJson, separator, m_setReference});
    connect(m_records, &QTreeWidget::currentItemChanged, this, &ArchiveWindow::showRecordDetail);
    m_detail = new QTreeWidget;
    m_detail->setObjectName(QStringLiteral("treeArchiveDetail"));
    m_detail->setColumnCount(4);
    m_detail->setColumnWidth(0, 60);
    m_detail->setColumnWidth(1, 110);
    m_detail->setColumnWidth(2, 130);
    m_detail->setUniformRowHeights(true);
    m_detail->setRootIsDecorated(false);

    auto* views = new QSplitter(Qt::Vertical);
    views->addWidget(m_records);
    views->addWidget(m_detail);

    auto* side = new QWidget;
    auto* form = new QFormLayout;
    form->addRow(tr("Job:"), m_job);
    auto* layout = new QVBoxLayout(side);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addWidget(m_about);
    layout->addWidget(views, 1);
    return side;
}

void ArchiveWindow::downloadChosen(QTreeWidgetItem* current)
{
    if (m_listing)
        return;
    const QUuid id = current ? current->data(0, Qt::UserRole).toUuid() : QUuid();
    if (m_download && m_download->id == id)
        return;
    const auto d = m_listed.constFind(id);
    showDownload(d == m_listed.cend() ? std::nullopt : std::optional<Archive::Download>(*d));
}

void ArchiveWindow::showDownload(const std::optional<Archive::Download>& download)
{
    const int row = download && m_download && download->id == m_download->id ? currentRow() : -1;
    m_download = download;
    m_job->setText(m_download ? m_download->job : QString());
    m_about->setText(m_download ? aboutText(*m_download) : QString());
    showDetailHeader();
    // The team's records come when its server answers; until then none are listed.
    if (m_download && m_teamShown) {
        if (m_teamReader)
            m_readTicket = m_teamReader->read(m_download->id);
        m_readRow = row;
        recordsArrived({}, QString(), -1);
        return;
    }
    QList<Archive::Entry> entries;
    const bool read = !m_download || (m_store && m_store->records(m_download->id, &entries));
    recordsArrived(entries, read || !m_store ? QString() : m_store->errorText(), row);
}

void ArchiveWindow::recordsArrived(const QList<Archive::Entry>& entries, const QString& error,
                                   int row)
{
    sayError(error.isEmpty() ? openError()
                             : tr("The records of this download cannot be read: %1").arg(error));
    m_recordList.clear();
    m_passes.clear();
    m_recordList.reserve(entries.size());
    m_passes.reserve(entries.size());
    for (const Archive::Entry& e : entries) {
        m_recordList.append(e.record);
        m_passes.append(e.pass);
    }
    showRecords();
    // Read again, the list keeps the record that was selected.
    if (row >= 0 && row < m_records->topLevelItemCount())
        m_records->setCurrentItem(m_records->topLevelItem(row));
    updateActions();
}

void ArchiveWindow::showRecords()
{
    QList<QTreeWidgetItem*> rows;
    rows.reserve(m_recordList.size());
    for (int i = 0; i < m_recordList.size(); ++i) {
        auto* row = new QTreeWidgetItem(Intake::rowTexts(m_recordList.at(i)));
        RecordViews::markVerdict(row, m_passes.at(i));
        rows.append(row);
    }
    m_records->setUpdatesEnabled(false);
    m_records->clear();
    m_detail->clear();
    m_records->addTopLevelItems(rows);
    m_records->setUpdatesEnabled(true);
}

int ArchiveWindow::currentRow() const
{
    QTreeWidgetItem* current = m_records->currentItem();
    return current ? m_records->indexOfTopLevelItem(current) : -1;
}

void ArchiveWindow::showRecordDetail()
{
    m_detail->clear();
    const int row = currentRow();
    if (!m_download || row < 0 || row >= m_recordList.size())
        return;
    m_detail->addTopLevelItems(RecordViews::detailItems(m_recordList.at(row), m_download->kind,
                                                        m_displayFreq, m_download->meter.product,
                                                        m_download->limits));
}

void ArchiveWindow::showDetailHeader()
{
    m_detail->setHeaderLabels(m_download
                                  ? ReportContent::detailHeaders(m_download->kind, m_displayFreq,
                                                                 m_download->meter.product)
                                  : ReportContent::detailHeaders(0, m_displayFreq));
}

void ArchiveWindow::setDisplayFreq(bool displayFreq)
{
    if (displayFreq == m_displayFreq)
        return;
    m_displayFreq = displayFreq;
    showDetailHeader();
    showRecordDetail();
    if (m_graph)
        m_graph->setLabels(Graph::labels(Graph::kindOfType(m_graph->graphType()), m_displayFreq,
                                         m_graphTotalLabel),
                           m_displayFreq);
}

void ArchiveWindow::updateActions()
{
    const bool chosen = m_download.has_value();
    for (QAction* a : {m_graphAction, m_save, m_exportReport, m_exportJson, m_setReference})
        a->setEnabled(chosen);
    // The team archive is only read from here.
    m_delete->setEnabled(chosen && !m_teamShown);
    m_job->setEnabled(chosen && !m_teamShown);
}

GraphWidget* ArchiveWindow::graphWidget() const
{
    return m_graph;
}

void ArchiveWindow::graph()
{
    if (!m_download)
        return;
    const int row = currentRow();
    const Measurement* record =
        row >= 0 && row < m_recordList.size() ? &m_recordList.at(row) : nullptr;
    GraphWidget* graph =
        RecordViews::makeGraph(this, m_records->currentItem(), record, m_download->meter.product,
                               m_download->kind, m_displayFreq, m_download->limits);
    if (!graph)
        return;
    delete m_graph;
    m_graph = graph;
    m_graphTotalLabel = record->totalLabel();
    m_graph->show();
}
