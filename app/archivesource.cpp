// The archive window's sources: this computer's archive, and when a team archive is set, the
// team's, read only from here; with it, each download's push and Push Now.

#include "app/archivewindow.h"

#include "files/archivestore.h"

#include <QAction>
#include <QBrush>
#include <QColor>
#include <QComboBox>
#include <QTreeWidget>

namespace {

enum Source { ThisComputer, Team };

// The columns after the verdict.
constexpr int PushColumn = 3;
constexpr int ByColumn = 3;

} // namespace

QComboBox* ArchiveWindow::makeSourceChooser()
{
    m_source = new QComboBox;
    m_source->setObjectName(QStringLiteral("cbArchiveSource"));
    m_source->addItem(tr("This computer"));
    m_source->addItem(tr("The team"));
    m_source->setToolTip(tr("Whose downloads are listed: this computer's, or the whole team's"));
    // Shown once a refresh finds a team archive set.
    m_source->hide();
    connect(m_source, &QComboBox::currentIndexChanged, this, &ArchiveWindow::sourceChosen);
    return m_source;
}

QString ArchiveWindow::byText(const Archive::Download& d)
{
    QString who = d.user;
    if (!d.host.isEmpty())
        who += (who.isEmpty() ? QString() : QStringLiteral("@")) + d.host;
    return who;
}

void ArchiveWindow::setPusher(TeamPusher* pusher)
{
    m_pusher = pusher;
    m_push->setEnabled(pusher != nullptr);
}

void ArchiveWindow::readTeamLocation()
{
    const QString location = Archive::teamLocation();
    if (location != m_teamLocation) {
        m_teamLocation = location;
        delete m_teamReader;
        m_teamReader = nullptr;
        m_teamError.clear();
    }
    const bool team = !m_teamLocation.isEmpty();
    // The team archive is no longer set: this computer's downloads are listed again.
    if (!team && m_teamShown) {
        const QSignalBlocker blocker(m_source);
        m_source->setCurrentIndex(ThisComputer);
        m_teamShown = false;
        showDownload(std::nullopt);
    }
    m_source->setVisible(team);
    m_push->setVisible(team);
    m_push->setEnabled(m_pusher != nullptr);
    setColumns();
}

void ArchiveWindow::sourceChosen()
{
    m_teamShown = m_source->currentIndex() == Team && !m_teamLocation.isEmpty();
    showDownload(std::nullopt);
    setColumns();
    // Another source's downloads are never offered while this one's are read.
    fillTree({});
    if (m_teamShown)
        m_tree->addTopLevelItem(new QTreeWidgetItem({tr("Reading the team archive…")}));
    openShownStore();
    listDownloads();
}

void ArchiveWindow::setColumns()
{
    QStringList labels = {tr("Download"), tr("Records"), tr("Verdict")};
    if (m_teamShown)
        labels << tr("By");
    else if (!m_teamLocation.isEmpty())
        labels << tr("Team");
    m_tree->setColumnCount(int(labels.size()));
    m_tree->setHeaderLabels(labels);
    // Room for the fourth column beside the others, at the window's first size.
    m_tree->setColumnWidth(1, labels.size() > 3 ? 100 : 140);
    m_tree->setColumnWidth(2, 100);
}

void ArchiveWindow::openShownStore()
{
    // Opened when first listed; one that could not be, or whose server has gone away, is tried
    // again, as its reason may be gone.
    if (!m_teamShown && (!m_store || !m_store->isOpen())) {
        m_store.reset();
        m_store = std::make_unique<ArchiveStore>(m_path);
    } else if (m_teamShown && !m_teamReader) {
        // A server far away may take its time to answer: the window never waits for it.
        m_teamReader = new TeamReader(m_teamLocation, this);
        connect(m_teamReader, &TeamReader::listed, this, &ArchiveWindow::teamListed);
        connect(m_teamReader, &TeamReader::recordsRead, this, &ArchiveWindow::teamRecordsRead);
    }
    sayError(openError());
}

QString ArchiveWindow::openError() const
{
    if (m_teamShown)
        return m_teamError.isEmpty()
                   ? QString()
                   : tr("The team archive %1 cannot be opened: %2")
                         .arg(Archive::shownLocation(m_teamLocation), m_teamError);
    if (!m_store || m_store->isOpen())
        return QString();
    return tr("The archive %1 cannot be opened: %2").arg(m_path, m_store->errorText());
}

void ArchiveWindow::fillTeamColumns(QTreeWidgetItem* item, const Archive::Download& d) const
{
    if (m_teamShown) {
        item->setText(ByColumn, byText(d));
    } else if (m_teamLocation.isEmpty()) {
        return;
    } else if (d.pushed.isValid()) {
        item->setText(PushColumn, tr("pushed"));
        item->setToolTip(PushColumn,
                         d.pushed.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    } else if (!d.complete) {
        item->setToolTip(PushColumn, tr("Only complete downloads are pushed"));
    } else if (!d.pushError.isEmpty()) {
        item->setText(PushColumn, tr("failed"));
        item->setForeground(PushColumn, QBrush(QColor(0xc0, 0x00, 0x00)));
        item->setToolTip(PushColumn, d.pushError);
    } else {
        item->setText(PushColumn, tr("waiting"));
    }
}

void ArchiveWindow::teamListed(int ticket, const QList<Archive::Download>& downloads,
                               const QString& error)
{
    if (!m_teamShown || ticket != m_listTicket)
        return;
    m_teamError = error;
    sayError(openError());
    fillTree(downloads);
}

void ArchiveWindow::teamRecordsRead(int ticket, const QList<Archive::Entry>& entries,
                                    const QString& error)
{
    if (!m_teamShown || ticket != m_readTicket || !m_download)
        return;
    recordsArrived(entries, error, m_readRow);
}
