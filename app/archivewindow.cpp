// The archive window's frame: its widgets and actions, and the tree of archived downloads by job
// and meter that the filter row narrows.

#include "app/archivewindow.h"

#include "files/archivestore.h"
#include "graph/graphwidget.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QShowEvent>
#include <QSplitter>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// "PASS" when every judged record passed, "FAIL" with how many failed; empty when the limits
// judged none.
QString verdictText(const Archive::Download& d)
{
    if (d.failed > 0)
        return ArchiveWindow::tr("FAIL (%1 failed)").arg(d.failed);
    return d.judged > 0 ? ArchiveWindow::tr("PASS") : QString();
}

QTreeWidgetItem* downloadItem(const Archive::Download& d)
{
    auto* item = new QTreeWidgetItem({d.started.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
                                      ArchiveWindow::recordsText(d), verdictText(d)});
    item->setData(0, Qt::UserRole, d.id);
    return item;
}

} // namespace

QString ArchiveWindow::recordsText(const Archive::Download& d)
{
    QString text = d.records < d.total ? tr("%1 of %2 records").arg(d.records).arg(d.total)
                   : d.records == 1    ? tr("1 record")
                                       : tr("%1 records").arg(d.records);
    if (!d.complete)
        text += tr(", incomplete");
    return text;
}

ArchiveWindow::ArchiveWindow(const QString& path, bool displayFreq, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , m_path(path)
    , m_displayFreq(displayFreq)
{
    setObjectName(QStringLiteral("ArchiveWindow"));
    setWindowTitle(tr("Velumin Archive"));
    // Left open, it must not keep the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setUpActions();
    setUpWidgets();
    resize(1000, 600);
    showDownload(std::nullopt);
}

ArchiveWindow::~ArchiveWindow()
{
    delete m_graph;
}

void ArchiveWindow::setUpActions()
{
    const auto action = [this](const QString& text, const char* name) {
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(name));
        return a;
    };
    m_refresh = action(tr("Refresh"), "actionArchiveRefresh");
    m_refresh->setShortcut(QKeySequence(Qt::Key_F5));
    m_push = action(tr("Push Now"), "actionArchivePush");
    m_push->setToolTip(tr("Push this computer's complete downloads to the team archive now"));
    m_push->setVisible(false);
    m_push->setEnabled(false);
    m_graphAction = action(tr("Graph"), "actionArchiveGraph");
    m_save = action(tr("Save Data…"), "actionArchiveSaveData");
    m_exportReport = action(tr("Export Report…"), "actionArchiveExportReport");
    m_exportJson = action(tr("Export JSON…"), "actionArchiveExportJson");
    m_delete = action(tr("Delete…"), "actionArchiveDelete");
    m_setReference = action(tr("Use as Reference"), "actionArchiveSetReference");
    connect(m_refresh, &QAction::triggered, this, &ArchiveWindow::refresh);
    // The main window reads the archive again once the push has ended.
    connect(m_push, &QAction::triggered, this, [this] {
        if (m_pusher)
            m_pusher->request();
    });
    connect(m_graphAction, &QAction::triggered, this, &ArchiveWindow::graph);
    connect(m_save, &QAction::triggered, this, &ArchiveWindow::saveData);
    connect(m_exportReport, &QAction::triggered, this,
            [this] { exportReport("pdf", tr("Export Report"), true); });
    connect(m_exportJson, &QAction::triggered, this,
            [this] { exportReport("json", tr("Export JSON"), false); });
    connect(m_delete, &QAction::triggered, this, &ArchiveWindow::deleteDownload);
    connect(m_setReference, &QAction::triggered, this, &ArchiveWindow::setReference);
}

void ArchiveWindow::setUpWidgets()
{
    auto* toolBar = new QToolBar;
    toolBar->setObjectName(QStringLiteral("toolBarArchive"));
    toolBar->addActions({m_refresh, m_push});
    toolBar->addSeparator();
    toolBar->addActions({m_graphAction, m_save, m_exportReport, m_exportJson});
    toolBar->addSeparator();
    toolBar->addAction(m_delete);

    m_error = new QLabel;
    m_error->setObjectName(QStringLiteral("labelArchiveError"));
    m_error->setStyleSheet(QStringLiteral("color: #c00000"));
    m_error->setWordWrap(true);
    m_error->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_error->hide();

    m_tree = new QTreeWidget;
    m_tree->setObjectName(QStringLiteral("treeArchive"));
    setColumns();
    m_tree->setColumnWidth(0, 200);
    m_tree->setColumnWidth(1, 140);
    m_tree->setUniformRowHeights(true);
    m_tree->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_tree->addActions({m_refresh, m_push, m_delete});
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { downloadChosen(current); });

    auto* splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("splitterArchive"));
    splitter->addWidget(m_tree);
    splitter->addWidget(makeRecordSide());
    splitter->setStretchFactor(0, 1);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({460, 540});

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar);
    auto* body = new QVBoxLayout;
    body->setContentsMargins(6, 6, 6, 6);
    body->addWidget(makeFilterRow());
    body->addWidget(m_error);
    body->addWidget(splitter, 1);
    layout->addLayout(body, 1);
}

QWidget* ArchiveWindow::makeFilterRow()
{
    m_filter = new QLineEdit;
    m_filter->setObjectName(QStringLiteral("editArchiveFilter"));
    m_filter->setPlaceholderText(tr("Filter: job, meter, record name, date"));
    m_filter->setClearButtonEnabled(true);
    connect(m_filter, &QLineEdit::textChanged, this, &ArchiveWindow::listDownloads);

    m_verdict = new QComboBox;
    m_verdict->setObjectName(QStringLiteral("cbArchiveVerdict"));
    m_verdict->addItem(tr("All verdicts"), Archive::Filter::Any);
    m_verdict->addItem(tr("Passed"), Archive::Filter::Passed);
    m_verdict->addItem(tr("Failed"), Archive::Filter::Failed);
    m_verdict->addItem(tr("Not judged"), Archive::Filter::NotJudged);
    connect(m_verdict, &QComboBox::currentIndexChanged, this, &ArchiveWindow::listDownloads);

    m_nextJob = new QLineEdit(Archive::nextJob());
    m_nextJob->setObjectName(QStringLiteral("editNextJob"));
    m_nextJob->setToolTip(tr("The job the main window's next downloads are archived under"));
    connect(m_nextJob, &QLineEdit::editingFinished, this,
            [this] { Archive::setNextJob(m_nextJob->text().trimmed()); });
    auto* nextJobLabel = new QLabel(tr("Job for new downloads:"));
    nextJobLabel->setBuddy(m_nextJob);

    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeSourceChooser());
    layout->addWidget(m_filter, 3);
    layout->addWidget(m_verdict);
    layout->addSpacing(16);
    layout->addWidget(nextJobLabel);
    layout->addWidget(m_nextJob, 2);
    return row;
}

void ArchiveWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Downloads made while it was hidden are listed; a window brought back from an icon is not
    // read again.
    if (!event->spontaneous())
        refresh();
}

void ArchiveWindow::sayError(const QString& text)
{
    m_error->setText(text);
    m_error->setVisible(!text.isEmpty());
}

void ArchiveWindow::refresh()
{
    readTeamLocation();
    openShownStore();
    if (!m_nextJob->hasFocus())
        m_nextJob->setText(Archive::nextJob());
    listDownloads();
}

void ArchiveWindow::listDownloads()
{
    Archive::Filter filter;
    filter.text = m_filter->text();
    filter.verdict = Archive::Filter::Verdict(m_verdict->currentData().toInt());
    // The team's list comes when its server answers.
    if (m_teamShown) {
        if (m_teamReader)
            m_listTicket = m_teamReader->list(filter);
        return;
    }
    fillTree(m_store && m_store->isOpen() ? m_store->downloads(filter)
                                          : QList<Archive::Download>());
}

void ArchiveWindow::fillTree(const QList<Archive::Download>& downloads)
{
    // Newest first, and so are the groups: each is made where its newest download comes.
    QList<QTreeWidgetItem*> jobs;
    QHash<QString, QTreeWidgetItem*> jobItems;
    QHash<QString, QTreeWidgetItem*> meterItems;
    QTreeWidgetItem* chosen = nullptr;
    m_listed.clear();
    m_listed.reserve(downloads.size());
    for (const Archive::Download& d : downloads) {
        QTreeWidgetItem*& job = jobItems[d.job];
        if (!job) {
            job = new QTreeWidgetItem({d.job.isEmpty() ? tr("(no job)") : d.job});
            jobs.append(job);
        }
        const QString meter = d.meter.product + QLatin1Char(' ') + d.meter.serial;
        QTreeWidgetItem*& meterItem = meterItems[d.job + QChar(0) + meter];
        if (!meterItem)
            meterItem = new QTreeWidgetItem(job, {meter});
        QTreeWidgetItem* item = downloadItem(d);
        fillTeamColumns(item, d);
        meterItem->addChild(item);
        m_listed.insert(d.id, d);
        if (m_download && d.id == m_download->id)
            chosen = item;
    }

    m_listing = true;
    m_tree->setUpdatesEnabled(false);
    m_tree->clear();
    m_tree->addTopLevelItems(jobs);
    m_tree->expandAll();
    if (chosen)
        m_tree->setCurrentItem(chosen);
    m_tree->setUpdatesEnabled(true);
    m_listing = false;

    // Its job may have changed; its records are read again only when it has more, or has ended.
    if (chosen) {
        const Archive::Download before = *m_download;
        m_download = m_listed.value(m_download->id);
        if (!m_job->hasFocus())
            m_job->setText(m_download->job);
        if (m_download->records != before.records || m_download->ended != before.ended)
            showDownload(m_download);
    } else if (m_download) {
        showDownload(std::nullopt);
    }
}
