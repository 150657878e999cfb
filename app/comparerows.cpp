// The Compare window's table: the chosen records channel by channel, A, B and A − B, with the
// largest difference; or why the two are not compared.

#include "app/comparewindow.h"

#include "data/detail.h"
#include "data/recordcompare.h"
#include "files/reportcontent.h"

#include <QHash>
#include <QLabel>
#include <QTreeWidget>

void CompareWindow::showComparison()
{
    const Measurement* a = chosen(m_a);
    const Measurement* b = chosen(m_b);
    const int kind = a ? a->code() : 0;
    const QStringList detail = ReportContent::detailHeaders(kind, m_displayFreq, m_a.product);
    m_tree->setHeaderLabels(
        {tr("Channel"), detail.value(2), tr("A (dBm)"), tr("B (dBm)"), tr("A − B (dB)")});
    m_tree->clear();
    m_largest->clear();
    const RecordCompare::Result result =
        a && b ? RecordCompare::compare(*a, *b) : RecordCompare::Result();
    const QString problem = !a || !b ? tr("Choose a record on both sides.") : result.problem;
    m_problem->setText(problem);
    m_problem->setVisible(!problem.isEmpty());
    if (!problem.isEmpty())
        return;

    // Labels as A's detail view shows them, by channel position.
    QHash<int, QString> labels;
    const QList<QStringList> rows = Detail::rows(*a, m_displayFreq, m_a.product);
    const QList<std::optional<Limits::Reading>> readings = Detail::judgedReadings(*a);
    for (int k = 0; k < rows.size() && k < readings.size(); ++k) {
        if (readings.at(k))
            labels.insert(readings.at(k)->number, rows.at(k).value(2));
    }
    const bool high = a->kind->detailHigh;
    QList<QTreeWidgetItem*> items;
    for (const RecordCompare::Channel& c : result.channels)
        items.append(new QTreeWidgetItem(
            {QString::number(c.position), labels.value(c.position), Detail::powerText(c.a, high),
             Detail::powerText(c.b, high),
             c.difference ? QString::asprintf("%+.2f", *c.difference) : QString()}));
    m_tree->addTopLevelItems(items);
    for (int column = 0; column < m_tree->columnCount(); ++column)
        m_tree->resizeColumnToContents(column);
    if (!result.largest) {
        m_largest->setText(tr("No channel is lit in both records."));
        return;
    }
    const RecordCompare::Channel& c = result.channels.at(*result.largest);
    QString where = tr("channel %1").arg(c.position);
    if (!labels.value(c.position).isEmpty())
        where += QStringLiteral(" (%1)").arg(labels.value(c.position));
    m_largest->setText(tr("Largest difference: %1 dB on %2")
                           .arg(QString::asprintf("%+.2f", *c.difference), where));
    QFont bold = items.at(*result.largest)->font(0);
    bold.setBold(true);
    for (int column = 0; column < m_tree->columnCount(); ++column)
        items.at(*result.largest)->setFont(column, bold);
}
