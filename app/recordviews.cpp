#include "app/recordviews.h"

#include "app/prompts.h"
#include "data/detail.h"
#include "data/kinds.h"
#include "data/lossstore.h"
#include "files/reportcontent.h"
#include "graph/graphpicture.h"
#include "graph/graphtable.h"
#include "graph/graphwidget.h"

#include <QCoreApplication>
#include <QIcon>
#include <QTreeWidgetItem>

#include <vector>

namespace RecordViews {

namespace {

void sayNotSelected(QWidget* parent)
{
    Prompts::warning(parent, QCoreApplication::applicationName(),
                     QCoreApplication::translate("MainWindow", "Data is not selected!"));
}

} // namespace

void markVerdict(QTreeWidgetItem* row, std::optional<bool> pass)
{
    if (!pass)
        row->setData(0, Qt::DecorationRole, QVariant());
    else
        row->setIcon(0, QIcon(*pass ? QStringLiteral(":/icon/image/accept.png")
                                    : QStringLiteral(":/icon/image/delete.png")));
}

void markFailingCells(const Limits::LimitSet& limits, int kind,
                      const QList<QTreeWidgetItem*>& items,
                      const QList<std::optional<Limits::Reading>>& readings)
{
    if (!ReportContent::judges(limits, kind))
        return;
    for (int i = 0; i < items.size() && i < readings.size(); ++i) {
        if (!readings.at(i))
            continue;
        const std::optional<Limits::ChannelResult> c =
            ReportContent::channelVerdict(limits, *readings.at(i));
        if (!c)
            continue;
        items.at(i)->setToolTip(3,
                                QStringLiteral("%1, %2").arg(Limits::verdictText(c->verdict),
                                                             ReportContent::marginText(c->margin)));
        if (c->verdict != Limits::Verdict::Pass)
            items.at(i)->setForeground(3, Graph::LimitColour);
    }
}

QList<QTreeWidgetItem*> detailItems(const Measurement& record, int kind, bool displayFreq,
                                    const QString& product, const Limits::LimitSet& limits)
{
    QList<QTreeWidgetItem*> items;
    for (const QStringList& texts : Detail::rows(record, displayFreq, product))
        items.append(new QTreeWidgetItem(texts));
    markFailingCells(limits, kind, items, Detail::judgedReadings(record));
    return items;
}

GraphWidget* makeGraph(QWidget* parent, const QTreeWidgetItem* row, const Measurement* record,
                       const QString& product, int kind, bool displayFreq,
                       const Limits::LimitSet& limits)
{
    if (!row) {
        sayNotSelected(parent);
        return nullptr;
    }
    const QString title =
        product + QStringLiteral(" [") + row->text(1) + QStringLiteral("] ") + row->text(2);
    const Graph::Layout* layout = Graph::layoutForKind(kind);
    if (!layout)
        return nullptr;
    // A row the list does not hold is no record to draw: the graph would read past the list.
    if (!record || record->readings.size() < readingsUsed(kind)) {
        sayNotSelected(parent);
        return nullptr;
    }
    const QStringList labels = Graph::labels(kind, displayFreq, record->totalLabel());
    const std::vector<double> readings = record->dbms();
    auto* graph = new GraphWidget(Graph::typeOfKind(kind), title, readings.data(),
                                  labels.constData(), displayFreq);
    // A graph left open must not keep the program running once the main window has closed.
    graph->setAttribute(Qt::WA_QuitOnClose, false);
    graph->setFixedSize(layout->width, layout->height);
    QList<Limits::Reading> judged;
    for (const std::optional<Limits::Reading>& r : Detail::judgedReadings(*record)) {
        if (r)
            judged.append(*r);
    }
    graph->setJudgedReadings(judged);
    graph->setLimits(limits);
    return graph;
}

std::optional<Loss::Reference> useAsReference(QWidget* parent, const QTreeWidgetItem* row,
                                              const Measurement* record, const QString& meter)
{
    if (!row || !record) {
        sayNotSelected(parent);
        return std::nullopt;
    }
    Loss::Reference reference = Loss::referenceFrom(*record, meter.trimmed());
    if (!reference.isSet()) {
        Prompts::warning(parent, QCoreApplication::translate("LossWindow", "Use as Reference"),
                         QCoreApplication::translate(
                             "LossWindow", "%1 has no lit channel: it cannot be the reference.")
                             .arg(row->text(0)));
        return std::nullopt;
    }
    // An unnamed record is named by its number, as the list shows it.
    if (reference.name.isEmpty())
        reference.name = row->text(0);
    LossStore::storeReference(reference);
    return reference;
}

} // namespace RecordViews
