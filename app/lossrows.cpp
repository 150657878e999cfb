// The Loss window's table: the shown record's channels against the reference in force, judged
// against the budget being edited, and the record's verdict.

#include "app/losswindow.h"

#include "app/budgeteditor.h"
#include "data/detail.h"
#include "data/kinds.h"
#include "files/reportcontent.h"
#include "graph/graphpicture.h"

#include <QLabel>
#include <QTreeWidget>

namespace {

enum Column {
    ChannelColumn,
    LabelColumn,
    ReferenceColumn,
    ReadingColumn,
    LossColumn,
    BudgetColumn,
    MarginColumn,
    VerdictColumn,
    ColumnCount
};

// A reference that the reading is well above is one to set again.
const QColor CheckRefColour(215, 120, 0);

QString dbText(const std::optional<double>& v)
{
    return v ? QString::number(*v, 'f', 2) : QString();
}

QString marginText(const std::optional<double>& v)
{
    return v ? QString::asprintf("%+.2f", *v) : QString();
}

void paint(QTreeWidgetItem* item, const QColor& colour, const QString& tip)
{
    for (int column = 0; column < ColumnCount; ++column) {
        item->setForeground(column, colour);
        item->setToolTip(column, tip);
    }
}

} // namespace

QString LossWindow::notJudged() const
{
    if (!m_record)
        return tr("No record is selected in the main window's record list.");
    if (!m_ref.isSet())
        return tr("No reference is set: choose a record and Use as Reference, or load a "
                  "reference file.");
    if (m_ref.kind != 0 && m_ref.kind != m_record->code())
        return tr("The reference was made for %1 records; this record is %2.")
            .arg(kindTitle(m_ref.kind), kindTitle(m_record->code()));
    if (!m_budget->budget().isSet())
        return tr("No loss budget: the losses are shown but not judged.");
    return QString();
}

void LossWindow::showLoss()
{
    const int kind = m_record ? m_record->code() : m_ref.kind;
    m_budget->setKind(kind, m_displayFreq);
    const QStringList detail = ReportContent::detailHeaders(kind, m_displayFreq, m_product);
    m_tree->setHeaderLabels({tr("Channel"), detail.value(2), tr("Reference (dBm)"),
                             tr("Reading (dBm)"), tr("Loss (dB)"), tr("Budget (dB)"),
                             tr("Margin (dB)"), tr("Verdict")});
    m_tree->clear();
    const QString why = notJudged();
    m_note->setText(why);
    m_note->setVisible(!why.isEmpty());
    m_verdict->setText(tr("none"));
    m_verdict->setStyleSheet(QString());
    if (!m_record)
        return;

    const bool fits = m_ref.kind == 0 || m_ref.kind == m_record->code();
    const Loss::Budget budget = m_budget->budget();
    const Loss::RecordLoss loss = Loss::judge(fits ? m_ref : Loss::Reference(), budget, *m_record);
    const QList<QStringList> rows = Detail::rows(*m_record, m_displayFreq, m_product);
    const QList<std::optional<Limits::Reading>> readings = Detail::judgedReadings(*m_record);
    const bool high = m_record->kind->detailHigh;
    QList<QTreeWidgetItem*> items;
    int next = 0;
    for (int k = 0; k < rows.size() && k < readings.size(); ++k) {
        // Totals are not channels: no loss.
        if (!readings.at(k) || next >= loss.channels.size())
            continue;
        const Loss::ChannelLoss& c = loss.channels.at(next++);
        const bool unchecked = !budget.channels.value(c.position).check;
        auto* item = new QTreeWidgetItem(
            {QString::number(c.position), rows.at(k).value(2),
             c.reference ? Detail::powerText(*c.reference, high) : QString(),
             Detail::powerText(c.reading, high), dbText(c.loss),
             unchecked ? tr("not checked") : dbText(c.budget), marginText(c.margin),
             c.verdict ? Loss::verdictText(*c.verdict) : QString()});
        if (c.verdict == Loss::Verdict::Fail)
            paint(item, Graph::LimitColour,
                  tr("The loss is %1 dB over the budget.").arg(-*c.margin, 0, 'f', 2));
        else if (c.verdict == Loss::Verdict::CheckRef)
            paint(item, CheckRefColour,
                  tr("The reading is %1 dB above the reference: set the reference again.")
                      .arg(-*c.loss, 0, 'f', 2));
        items.append(item);
    }
    m_tree->addTopLevelItems(items);
    for (int column = 0; column < ColumnCount; ++column)
        m_tree->resizeColumnToContents(column);
    if (!loss.verdict)
        return;
    m_verdict->setText(Loss::verdictText(*loss.verdict));
    const QColor colour = *loss.verdict == Loss::Verdict::Fail       ? Graph::LimitColour
                          : *loss.verdict == Loss::Verdict::CheckRef ? CheckRefColour
                                                                     : QColor(0, 140, 0);
    m_verdict->setStyleSheet(QStringLiteral("color: %1").arg(colour.name()));
}
