// The Compare window's frame: the two choosers of a source (the main window's download or an
// archived one) and a record. The comparison itself is shown in comparerows.cpp.

#include "app/comparewindow.h"

#include "data/intake.h"
#include "files/archivestore.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QLabel* label(const char* name)
{
    auto* l = new QLabel;
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return l;
}

QString recordsText(int count)
{
    return count == 1 ? CompareWindow::tr("1 record") : CompareWindow::tr("%1 records").arg(count);
}

} // namespace

CompareWindow::CompareWindow(const QString& path, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_path(path)
{
    setObjectName(QStringLiteral("CompareWindow"));
    setWindowTitle(tr("Velumin Compare"));
    // Left open, it must not keep the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    m_error = label("labelCompareArchive");
    m_error->setStyleSheet(QStringLiteral("color: #c00000"));
    m_error->hide();
    m_problem = label("labelCompareProblem");
    m_problem->setStyleSheet(QStringLiteral("color: #c00000"));
    m_largest = label("labelCompareLargest");
    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("treeCompare"));
    m_tree->setRootIsDecorated(false);
    m_tree->setUniformRowHeights(true);

    auto* choosers = new QHBoxLayout;
    choosers->addWidget(makeChooser(m_a, tr("Record A"), "A"));
    choosers->addWidget(makeChooser(m_b, tr("Record B"), "B"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_error);
    layout->addLayout(choosers);
    layout->addWidget(m_problem);
    layout->addWidget(m_largest);
    layout->addWidget(m_tree, 1);
    resize(820, 640);
    fillSources(m_a);
    fillSources(m_b);
}

CompareWindow::~CompareWindow() = default;

QWidget* CompareWindow::makeChooser(Side& side, const QString& title, const char* name)
{
    side.source = new QComboBox;
    side.source->setObjectName(QStringLiteral("cbCompareSource%1").arg(QLatin1String(name)));
    side.record = new QComboBox;
    side.record->setObjectName(QStringLiteral("cbCompareRecord%1").arg(QLatin1String(name)));
    for (QComboBox* c : {side.source, side.record})
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(side.source, &QComboBox::currentIndexChanged, this,
            [this, &side] { sourceChosen(side); });
    connect(side.record, &QComboBox::currentIndexChanged, this, &CompareWindow::showComparison);
    auto* box = new QGroupBox(title);
    auto* form = new QFormLayout(box);
    form->addRow(tr("From:"), side.source);
    form->addRow(tr("Record:"), side.record);
    return box;
}

void CompareWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        refresh();
}

void CompareWindow::refresh()
{
    // One that could not be opened is tried again, as its reason may be gone.
    if (!m_store || !m_store->isOpen())
        m_store = std::make_unique<ArchiveStore>(m_path);
    m_downloads = m_store->isOpen() ? m_store->downloads() : QList<Archive::Download>();
    m_error->setText(
        m_store->isOpen()
            ? QString()
            : tr("The archive %1 cannot be opened: %2").arg(m_path, m_store->errorText()));
    m_error->setVisible(!m_store->isOpen());
    fillSources(m_a);
    fillSources(m_b);
}

void CompareWindow::setCurrent(const QString& product, const QString& serial,
                               const QList<Measurement>& records)
{
    m_currentProduct = product;
    m_currentMeter = QStringList{product, serial}.join(QLatin1Char(' ')).trimmed();
    m_current = records;
    fillSources(m_a);
    fillSources(m_b);
}

void CompareWindow::setDisplayFreq(bool displayFreq)
{
    if (displayFreq == m_displayFreq)
        return;
    m_displayFreq = displayFreq;
    showComparison();
}

void CompareWindow::fillSources(Side& side)
{
    const QString was = side.source->currentData().toString();
    {
        const QSignalBlocker quiet(side.source);
        side.source->clear();
        const QString meter = m_currentMeter.isEmpty() ? tr("no meter") : m_currentMeter;
        side.source->addItem(
            tr("Current download (%1, %2)").arg(meter, recordsText(int(m_current.size()))),
            QString());
        for (const Archive::Download& d : std::as_const(m_downloads)) {
            QString text = d.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) +
                           QLatin1Char(' ') + d.meter.product + QLatin1Char(' ') + d.meter.serial;
            if (!d.job.isEmpty())
                text += tr(", job %1").arg(d.job);
            side.source->addItem(tr("%1 (%2)").arg(text, recordsText(d.records)),
                                 d.id.toString(QUuid::WithoutBraces));
        }
        side.source->setCurrentIndex(std::max(0, side.source->findData(was)));
    }
    sourceChosen(side);
}

void CompareWindow::sourceChosen(Side& side)
{
    const QString id = side.source->currentData().toString();
    side.records.clear();
    side.product.clear();
    if (id.isEmpty()) {
        side.records = m_current;
        side.product = m_currentProduct;
    } else if (m_store && m_store->isOpen()) {
        QList<Archive::Entry> entries;
        if (!m_store->records(QUuid(id), &entries))
            m_error->setText(
                tr("The records of this download cannot be read: %1").arg(m_store->errorText()));
        m_error->setVisible(!m_error->text().isEmpty());
        for (const Archive::Entry& e : std::as_const(entries))
            side.records.append(e.record);
        for (const Archive::Download& d : std::as_const(m_downloads)) {
            if (d.id == QUuid(id))
                side.product = d.meter.product;
        }
    }
    const int was = side.record->currentIndex();
    {
        const QSignalBlocker quiet(side.record);
        side.record->clear();
        for (const Measurement& m : std::as_const(side.records)) {
            const QStringList row = Intake::rowTexts(m);
            side.record->addItem(row.value(0) + QStringLiteral("  ") + row.value(2));
        }
        // B starts at the second record, so that a fresh window compares two of them.
        const int first = &side == &m_b && side.records.size() > 1 ? 1 : 0;
        side.record->setCurrentIndex(was >= 0 && was < side.records.size() ? was
                                     : side.records.isEmpty()              ? -1
                                                                           : first);
    }
    showComparison();
}

const Measurement* CompareWindow::chosen(const Side& side) const
{
    const int row = side.record->currentIndex();
    return row >= 0 && row < side.records.size() ? &side.records.at(row) : nullptr;
}
