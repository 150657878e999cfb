// The Loss window's frame: the reference in force and its file, the budget editor and its file.
// The table of the record's channels is filled in lossrows.cpp.

#include "app/losswindow.h"

#include "app/budgeteditor.h"
#include "app/prompts.h"
#include "app/reportflow.h"
#include "data/kinds.h"
#include "data/lossstore.h"

#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QPushButton* button(const QString& text, const char* name)
{
    auto* b = new QPushButton(text);
    b->setObjectName(QLatin1String(name));
    return b;
}

} // namespace

LossWindow::LossWindow(QWidget* parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("LossWindow"));
    setWindowTitle(tr("Velumin Loss"));
    // Left open, it must not keep the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_budget = new BudgetEditor;
    m_budget->setBudget(LossStore::budget());
    connect(m_budget, &BudgetEditor::changed, this, &LossWindow::budgetEdited);
    QPushButton* loadBudget = button(tr("Load Budget…"), "buttonLoadBudget");
    QPushButton* saveBudget = button(tr("Save Budget…"), "buttonSaveBudget");
    connect(loadBudget, &QPushButton::clicked, this, &LossWindow::loadBudget);
    connect(saveBudget, &QPushButton::clicked, this, &LossWindow::saveBudget);
    auto* budgetFiles = new QHBoxLayout;
    budgetFiles->addStretch(1);
    budgetFiles->addWidget(loadBudget);
    budgetFiles->addWidget(saveBudget);
    auto* budgetBox = new QGroupBox(tr("Loss budget"));
    auto* budgetLayout = new QVBoxLayout(budgetBox);
    budgetLayout->addWidget(m_budget, 1);
    budgetLayout->addLayout(budgetFiles);

    m_verdict = new QLabel;
    m_verdict->setObjectName(QStringLiteral("labelLossVerdict"));
    QFont bold = m_verdict->font();
    bold.setBold(true);
    m_verdict->setFont(bold);
    m_note = new QLabel;
    m_note->setObjectName(QStringLiteral("labelLossNote"));
    m_note->setWordWrap(true);
    auto* verdictRow = new QHBoxLayout;
    verdictRow->addWidget(new QLabel(tr("Record verdict:")));
    verdictRow->addWidget(m_verdict);
    verdictRow->addSpacing(16);
    verdictRow->addWidget(m_note, 1);

    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("treeLoss"));
    m_tree->setRootIsDecorated(false);
    m_tree->setUniformRowHeights(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeReferenceRow());
    layout->addWidget(budgetBox, 2);
    layout->addLayout(verdictRow);
    layout->addWidget(m_tree, 3);
    resize(900, 700);
    reload();
}

QWidget* LossWindow::makeReferenceRow()
{
    m_reference = new QLabel;
    m_reference->setObjectName(QStringLiteral("labelReference"));
    m_reference->setWordWrap(true);
    m_reference->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPushButton* load = button(tr("Load Reference…"), "buttonLoadReference");
    QPushButton* clear = button(tr("Clear Reference"), "buttonClearReference");
    connect(load, &QPushButton::clicked, this, &LossWindow::loadReference);
    connect(clear, &QPushButton::clicked, this, &LossWindow::clearReference);
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_reference, 1);
    layout->addWidget(load);
    layout->addWidget(clear);
    return row;
}

QString LossWindow::referenceText(const Loss::Reference& reference)
{
    QStringList parts;
    for (const QString& part : {reference.name, reference.meter, reference.date}) {
        if (!part.isEmpty())
            parts << part;
    }
    return parts.isEmpty() ? tr("(unnamed)") : parts.join(QStringLiteral(", "));
}

void LossWindow::showRecord(const std::optional<Measurement>& record, const QString& product)
{
    m_record = record;
    m_product = product;
    showLoss();
}

void LossWindow::setDisplayFreq(bool displayFreq)
{
    if (displayFreq == m_displayFreq)
        return;
    m_displayFreq = displayFreq;
    showLoss();
}

void LossWindow::reload()
{
    m_ref = LossStore::reference();
    showReference();
    showLoss();
}

void LossWindow::showReference()
{
    if (!m_ref.isSet()) {
        m_reference->setText(tr("Reference: none"));
        m_reference->setToolTip(QString());
        return;
    }
    m_reference->setText(tr("Reference: %1").arg(referenceText(m_ref)));
    const QString kind = kindInfo(m_ref.kind) ? kindTitle(m_ref.kind) : tr("any kind");
    m_reference->setToolTip(tr("%1 channels, for %2").arg(m_ref.channels.size()).arg(kind));
}

void LossWindow::loadReference()
{
    const QString path =
        Prompts::fileName(this, {Prompts::FileRequest::Open, tr("Load Reference"),
                                 ReportFlow::folder(), tr("Reference File (*.json)"), QString()});
    if (path.isEmpty())
        return;
    QString error;
    std::optional<Loss::Reference> loaded = LossStore::readReferenceFile(path, &error);
    if (!loaded) {
        Prompts::warning(this, tr("Load Reference"),
                         tr("The reference in %1 was not loaded: %2.").arg(path, error));
        return;
    }
    if (loaded->name.isEmpty())
        loaded->name = QFileInfo(path).completeBaseName();
    LossStore::storeReference(*loaded);
    reload();
}

void LossWindow::clearReference()
{
    LossStore::storeReference({});
    reload();
}

void LossWindow::loadBudget()
{
    const QString path =
        Prompts::fileName(this, {Prompts::FileRequest::Open, tr("Load Budget"),
                                 ReportFlow::folder(), tr("Budget File (*.json)"), QString()});
    if (path.isEmpty())
        return;
    QString error;
    const std::optional<Loss::Budget> loaded = LossStore::readBudgetFile(path, &error);
    if (!loaded) {
        Prompts::warning(this, tr("Load Budget"),
                         tr("The budget in %1 was not loaded: %2.").arg(path, error));
        return;
    }
    m_budget->setBudget(*loaded);
    budgetEdited();
}

void LossWindow::saveBudget()
{
    const QString path = Prompts::fileName(this, {Prompts::FileRequest::Save, tr("Save Budget"),
                                                  ReportFlow::folder(), tr("Budget File (*.json)"),
                                                  QStringLiteral("json")});
    if (path.isEmpty())
        return;
    QSaveFile file(path);
    const QByteArray json = Loss::toJson(m_budget->budget());
    if (!file.open(QIODevice::WriteOnly) || file.write(json) != json.size() || !file.commit())
        Prompts::warning(this, tr("Save Budget"),
                         tr("The budget was not saved to %1: %2.").arg(path, file.errorString()));
}

void LossWindow::budgetEdited()
{
    LossStore::storeBudget(m_budget->budget());
    showLoss();
}
