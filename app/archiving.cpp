// The archive: every download the session lists is kept there as it arrives, and Tools, Archive
// opens the window that browses it. These are the main window's archive members.

#include "app/mainwindow.h"

#include "app/archivewindow.h"
#include "app/losswindow.h"
#include "app/prompts.h"
#include "files/archive.h"
#include "session/archiverecorder.h"
#include "session/teampusher.h"
#include "ui_mainwindow.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

void MainWindow::setUpArchive()
{
    m_archive = new ArchiveRecorder(m_session, Archive::location(), this);
    connect(m_archive, &ArchiveRecorder::failed, this, &MainWindow::slotArchiveFailed);
    // The team archive takes each complete download once it is kept here, and at start-up what
    // waited since the last run.
    m_teamPusher = new TeamPusher(Archive::location(), this);
    connect(m_archive, &ArchiveRecorder::completed, m_teamPusher, &TeamPusher::request);
    connect(m_teamPusher, &TeamPusher::pushed, this, &MainWindow::slotTeamPushed);
    m_teamPusher->request();
    auto* action = new QAction(tr("Archive…"), this);
    action->setObjectName(QStringLiteral("actionArchive"));
    connect(action, &QAction::triggered, this, &MainWindow::slotArchive);
    if (auto* tools = ui->menuBar->findChild<QMenu*>(QStringLiteral("menuTools"))) {
        tools->addSeparator();
        tools->addAction(action);
    }
}

void MainWindow::slotArchive()
{
    const bool shown = m_archiveWindow && m_archiveWindow->isVisible();
    if (!m_archiveWindow) {
        m_archiveWindow = new ArchiveWindow(Archive::location(), m_displayFreq);
        m_archiveWindow->setPusher(m_teamPusher);
        connect(m_archiveWindow, &ArchiveWindow::referenceSet, this, [this] {
            if (m_lossWindow)
                m_lossWindow->reload();
        });
    }
    // The unit may have changed since it was made.
    m_archiveWindow->setDisplayFreq(m_displayFreq);
    // Showing it reads the archive again; one already shown is read again here.
    if (shown)
        m_archiveWindow->refresh();
    m_archiveWindow->show();
    m_archiveWindow->raise();
    m_archiveWindow->activateWindow();
}

void MainWindow::slotArchiveFailed(const QString& why)
{
    // Made when first needed: until then the status bar is laid out as it always was.
    if (!m_archiveNotice) {
        m_archiveNotice = new QLabel;
        m_archiveNotice->setObjectName(QStringLiteral("labelArchiveNotice"));
        m_archiveNotice->setStyleSheet(QStringLiteral("color: #c00000"));
        ui->statusBar->addPermanentWidget(m_archiveNotice);
    }
    m_archiveNotice->setText(tr("Not archived"));
    m_archiveNotice->setToolTip(why);
    if (m_archiveFailureShown)
        return;
    m_archiveFailureShown = true;
    Prompts::warning(this, tr("Archive"),
                     tr("Downloads cannot be kept in the archive %1:\n%2\n\nDownloading, the "
                        "record list, Save Data and the reports work as before; save what you "
                        "download.")
                         .arg(Archive::location(), why));
}

void MainWindow::slotTeamPushed(int pushed, int waiting, const QString& error)
{
    Q_UNUSED(pushed);
    if (m_archiveWindow && m_archiveWindow->isVisible())
        m_archiveWindow->refresh();
    if (!m_teamNotice) {
        if (waiting == 0)
            return;
        m_teamNotice = new QLabel;
        m_teamNotice->setObjectName(QStringLiteral("labelTeamNotice"));
        m_teamNotice->setStyleSheet(QStringLiteral("color: #c00000"));
        ui->statusBar->addPermanentWidget(m_teamNotice);
    }
    m_teamNotice->setText(waiting == 1 ? tr("1 download not pushed")
                                       : tr("%1 downloads not pushed").arg(waiting));
    m_teamNotice->setToolTip(tr("The team archive did not take them: %1\nThey are kept here and "
                                "pushed again in a minute.")
                                 .arg(error));
    m_teamNotice->setVisible(waiting > 0);
}
