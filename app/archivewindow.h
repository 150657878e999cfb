#pragma once

#include "data/measurement.h"
#include "files/archive.h"
#include "session/teampusher.h"
#include "session/teamreader.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <QUuid>
#include <QWidget>

#include <memory>
#include <optional>

class ArchiveStore;
class GraphWidget;
class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class Report;

// The archived downloads: grouped by job and meter, filtered, reopened record by record and
// reported as a fresh download is. A window of its own; reads the archive at `path`, and when a
// team archive is set, the team's too (read only from here).
class ArchiveWindow : public QWidget {
    Q_OBJECT
public:
    explicit ArchiveWindow(const QString& path, bool displayFreq, QWidget* parent = nullptr);
    ~ArchiveWindow() override;

    // false: channels are labelled by wavelength (nm); true: by frequency (THz).
    bool displayFreq() const { return m_displayFreq; }
    void setDisplayFreq(bool displayFreq);
    // What pushes this computer's downloads to the team archive, for Push Now; none: no pushing.
    void setPusher(TeamPusher* pusher);
    // The download whose records are listed; null when none is.
    QUuid shownDownload() const { return m_download ? m_download->id : QUuid(); }
    // The window Graph made last; null when there is none.
    GraphWidget* graphWidget() const;
    // How the tree tells a download's records: "200 records", or "66 of 200 records" when fewer
    // arrived than the meter holds; "incomplete" when it did not end as a whole list.
    static QString recordsText(const Archive::Download& d);
    // Who made a download where: "user@host", or what of it is known.
    static QString byText(const Archive::Download& d);

Q_SIGNALS:
    // Use as Reference made a record of the listed download the reference in force.
    void referenceSet();

public Q_SLOTS:
    // Reads the archive again: its downloads, and the listed download's records when it has
    // more or has ended since. An archive that could not be opened is tried again, and whether a
    // team archive is set is read anew.
    void refresh();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void setUpWidgets();
    QWidget* makeFilterRow();
    QComboBox* makeSourceChooser();
    QWidget* makeRecordSide();
    void setUpActions();
    // Says what cannot be read in the window; an empty text hides the label.
    void sayError(const QString& text);

    // Whose downloads are listed: this computer's, or the team's. The chooser, the team columns
    // and Push Now are there only while a team archive is set.
    void readTeamLocation();
    void sourceChosen();
    void setColumns();
    // Opens this computer's archive when it is not open, or makes the team's reader, and says
    // why the archive cannot be read.
    void openShownStore();
    QString openError() const;
    // The team's answers: each but the last asked for is one the window no longer waits for.
    void teamListed(int ticket, const QList<Archive::Download>& downloads, const QString& error);
    void teamRecordsRead(int ticket, const QList<Archive::Entry>& entries, const QString& error);
    // A download's row in the columns after the verdict: its push to the team archive, or in
    // the team's list who made it where.
    void fillTeamColumns(QTreeWidgetItem* item, const Archive::Download& d) const;

    // The tree of the downloads the filter lets through; the chosen one stays chosen and keeps
    // its records listed while it is there.
    void listDownloads();
    void fillTree(const QList<Archive::Download>& downloads);
    void downloadChosen(QTreeWidgetItem* current);
    // Lists the records of `download`, or clears the record side for none.
    void showDownload(const std::optional<Archive::Download>& download);
    // The records of the shown download have been read; `row` is the record to select again.
    void recordsArrived(const QList<Archive::Entry>& entries, const QString& error, int row);
    void showRecords();
    void showRecordDetail();
    void showDetailHeader();
    void updateActions();
    // The selected record's row in the record list; -1 for none.
    int currentRow() const;

    // What the toolbar does with the listed download.
    void graph();
    void saveData();
    // As of a fresh download; with `askJob`, the job block is asked for first.
    void exportReport(const char* formatId, const QString& title, bool askJob);
    void setReference();
    void jobEdited();
    void deleteDownload();
    // A report of `records` of the listed download, made now.
    Report report(const QList<Measurement>& records) const;

    QString m_path;
    bool m_displayFreq;
    QPointer<TeamPusher> m_pusher;
    // Opened when the window is first shown.
    std::unique_ptr<ArchiveStore> m_store;
    // The team archive's connection string as of the last refresh; empty when none is set.
    QString m_teamLocation;
    // Made when the team's downloads are first listed; it connects in its own thread.
    TeamReader* m_teamReader = nullptr;
    bool m_teamShown = false;
    // The team's answers waited for, and why the last listing failed.
    int m_listTicket = 0;
    int m_readTicket = 0;
    int m_readRow = -1;
    QString m_teamError;

    QLabel* m_error = nullptr;
    QComboBox* m_source = nullptr;
    QLineEdit* m_filter = nullptr;
    QComboBox* m_verdict = nullptr;
    QLineEdit* m_nextJob = nullptr;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_about = nullptr;
    QLineEdit* m_job = nullptr;
    QTreeWidget* m_records = nullptr;
    QTreeWidget* m_detail = nullptr;
    QAction* m_refresh = nullptr;
    QAction* m_push = nullptr;
    QAction* m_graphAction = nullptr;
    QAction* m_save = nullptr;
    QAction* m_exportReport = nullptr;
    QAction* m_exportJson = nullptr;
    QAction* m_delete = nullptr;
    QAction* m_setReference = nullptr;

    // The downloads the tree lists, by id.
    QHash<QUuid, Archive::Download> m_listed;
    // The tree is being filled: its current item changes for no choice of the user's.
    bool m_listing = false;
    // The download whose records are listed, its records and their verdicts then.
    std::optional<Archive::Download> m_download;
    QList<Measurement> m_recordList;
    QList<std::optional<bool>> m_passes;

    QPointer<GraphWidget> m_graph;
    // The total label of the record the graph window shows, to label it anew in another unit.
    QString m_graphTotalLabel;
};
