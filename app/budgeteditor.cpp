#include "app/budgeteditor.h"

#include "dialogs/channelrows.h"

#include "data/detail.h"
#include "data/kinds.h"
#include "graph/graphpicture.h"
#include "graph/graphtable.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cmath>

namespace {

enum Mode { NoBudget, MaxLoss, FromLink };
enum Column { NumberColumn, LabelColumn, CheckColumn, MaxLossColumn };

QDoubleSpinBox* doubleSpin(const char* name, double max, int decimals, double value)
{
    auto* spin = new QDoubleSpinBox;
    spin->setObjectName(QLatin1String(name));
    spin->setRange(0, max);
    spin->setDecimals(decimals);
    spin->setSingleStep(decimals > 2 ? 0.01 : 0.1);
    spin->setValue(value);
    return spin;
}

QSpinBox* countSpin(const char* name, int max)
{
    auto* spin = new QSpinBox;
    spin->setObjectName(QLatin1String(name));
    spin->setRange(0, max);
    return spin;
}

// A max loss typed in a cell: in the user's notation or with a point; none for anything that is
// not a number of dB.
std::optional<double> maxLossOf(const QString& text)
{
    bool ok = false;
    double v = QLocale().toDouble(text, &ok);
    if (!ok)
        v = text.toDouble(&ok);
    return ok && std::isfinite(v) && v >= 0 ? std::optional<double>(v) : std::nullopt;
}

} // namespace

BudgetEditor::BudgetEditor(QWidget* parent)
    : QWidget(parent)
    , m_mode(new QComboBox)
    , m_maxLoss(doubleSpin("spinMaxLoss", 100, 2, 3))
    , m_length(doubleSpin("spinLengthKm", 10000, 3, 0))
    , m_perKm(doubleSpin("spinDbPerKm", 10, 3, 0.35))
    , m_pairs(countSpin("spinConnectorPairs", 1000))
    , m_splices(countSpin("spinSplices", 10000))
    , m_perPair(doubleSpin("spinDbPerConnectorPair", 10, 2, Loss::Link().dbPerConnectorPair))
    , m_perSplice(doubleSpin("spinDbPerSplice", 10, 2, Loss::Link().dbPerSplice))
    , m_linkBudget(new QLabel)
    , m_table(new QTableWidget(0, 4))
{
    m_mode->setObjectName(QStringLiteral("cbBudget"));
    m_mode->addItem(tr("None: losses are not judged"), NoBudget);
    m_mode->addItem(tr("Max loss"), MaxLoss);
    m_mode->addItem(tr("From the link"), FromLink);
    m_linkBudget->setObjectName(QStringLiteral("labelLinkBudget"));
    m_table->setObjectName(QStringLiteral("tableBudgetChannels"));
    m_table->setHorizontalHeaderLabels(
        {tr("Channel"), tr("Label"), tr("Checked"), tr("Max loss (dB)")});
    m_table->verticalHeader()->hide();
    m_table->setToolTip(tr("A channel's own max loss, or no verdict at all for an unchecked one; "
                           "empty, the budget above applies"));

    auto* form = new QFormLayout;
    form->addRow(tr("Budget:"), m_mode);
    form->addRow(tr("Max loss (dB):"), m_maxLoss);
    form->addRow(tr("Link:"), makeLinkRow());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(form);
    layout->addWidget(m_table, 1);

    connect(m_mode, &QComboBox::currentIndexChanged, this, &BudgetEditor::edited);
    for (QDoubleSpinBox* s : {m_maxLoss, m_length, m_perKm, m_perPair, m_perSplice})
        connect(s, &QDoubleSpinBox::valueChanged, this, &BudgetEditor::edited);
    for (QSpinBox* s : {m_pairs, m_splices})
        connect(s, &QSpinBox::valueChanged, this, &BudgetEditor::edited);
    connect(m_table, &QTableWidget::itemChanged, this, &BudgetEditor::edited);
    showMode();
}

QWidget* BudgetEditor::makeLinkRow()
{
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto put = [layout](QWidget* w, const QString& after) {
        layout->addWidget(w);
        layout->addWidget(new QLabel(after));
    };
    put(m_length, tr("km ×"));
    put(m_perKm, tr("dB/km +"));
    put(m_pairs, tr("connector pairs ×"));
    put(m_perPair, tr("dB +"));
    put(m_splices, tr("splices ×"));
    put(m_perSplice, tr("dB"));
    layout->addWidget(m_linkBudget);
    layout->addStretch(1);
    return row;
}

Loss::Budget BudgetEditor::budget() const
{
    Loss::Budget b;
    b.name = m_name;
    const int mode = m_mode->currentData().toInt();
    if (mode == MaxLoss)
        b.maxLoss = m_maxLoss->value();
    if (mode == FromLink) {
        Loss::Link link;
        link.lengthKm = m_length->value();
        link.dbPerKm = m_perKm->value();
        link.connectorPairs = m_pairs->value();
        link.splices = m_splices->value();
        link.dbPerConnectorPair = m_perPair->value();
        link.dbPerSplice = m_perSplice->value();
        b.link = link;
    }
    b.channels = overrides();
    return b;
}

void BudgetEditor::setBudget(const Loss::Budget& budget)
{
    m_filling = true;
    m_name = budget.name;
    m_mode->setCurrentIndex(m_mode->findData(budget.link      ? FromLink
                                             : budget.maxLoss ? MaxLoss
                                                              : NoBudget));
    if (budget.maxLoss)
        m_maxLoss->setValue(*budget.maxLoss);
    if (const std::optional<Loss::Link>& link = budget.link) {
        m_length->setValue(link->lengthKm);
        m_perKm->setValue(link->dbPerKm);
        m_pairs->setValue(link->connectorPairs);
        m_splices->setValue(link->splices);
        m_perPair->setValue(link->dbPerConnectorPair);
        m_perSplice->setValue(link->dbPerSplice);
    }
    m_overrides = budget.channels;
    fillTable();
    showMode();
    m_filling = false;
}

void BudgetEditor::setKind(int kind, bool displayFreq)
{
    if (kind == m_kind && displayFreq == m_displayFreq)
        return;
    m_overrides = overrides();
    m_kind = kind;
    m_displayFreq = displayFreq;
    const bool filling = m_filling;
    m_filling = true;
    fillTable();
    m_filling = filling;
}

void BudgetEditor::fillTable()
{
    const int channels = channelCount(m_kind);
    const QStringList labels =
        Graph::labels(m_kind, Detail::labelsInFrequency(m_kind, m_displayFreq, QString()));
    m_table->setRowCount(channels);
    for (int row = 0; row < channels; ++row) {
        const Loss::ChannelBudget c = m_overrides.value(row + 1);
        ChannelRows::setFixedCells(m_table, row, labels.value(row), c.check);
        m_table->setItem(row, MaxLossColumn,
                         new QTableWidgetItem(c.maxLoss ? QString::number(*c.maxLoss) : QString()));
    }
    m_table->resizeColumnsToContents();
}

QMap<int, Loss::ChannelBudget> BudgetEditor::overrides() const
{
    QMap<int, Loss::ChannelBudget> all = m_overrides;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QTableWidgetItem* check = m_table->item(row, CheckColumn);
        const QTableWidgetItem* max = m_table->item(row, MaxLossColumn);
        if (!check || !max)
            continue;
        Loss::ChannelBudget c;
        c.check = check->checkState() == Qt::Checked;
        const QString text = max->text().trimmed();
        if (!text.isEmpty())
            c.maxLoss = maxLossOf(text);
        all.remove(row + 1);
        if (!c.check || c.maxLoss)
            all.insert(row + 1, c);
    }
    return all;
}

void BudgetEditor::edited()
{
    if (m_filling)
        return;
    // Cells whose max loss is no number say so, and the budget above applies to them.
    m_filling = true;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QTableWidgetItem* max = m_table->item(row, MaxLossColumn);
        const bool bad =
            max && !max->text().trimmed().isEmpty() && !maxLossOf(max->text().trimmed());
        if (!max || bad == max->data(Qt::ForegroundRole).isValid())
            continue;
        max->setData(Qt::ForegroundRole, bad ? QVariant(Graph::LimitColour) : QVariant());
        max->setToolTip(bad ? tr("Not a loss in dB: the budget above applies") : QString());
    }
    m_filling = false;
    m_overrides = overrides();
    showMode();
    emit changed();
}

void BudgetEditor::showMode()
{
    const int mode = m_mode->currentData().toInt();
    m_maxLoss->setEnabled(mode == MaxLoss);
    for (QWidget* w : std::initializer_list<QWidget*>{m_length, m_perKm, m_pairs, m_splices,
                                                      m_perPair, m_perSplice})
        w->setEnabled(mode == FromLink);
    m_linkBudget->setText(mode == FromLink ? tr("= %1 dB").arg(budget().link->maxLoss(), 0, 'f', 2)
                                           : QString());
}
