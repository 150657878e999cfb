#pragma once

#include "data/identity.h"
#include "data/kinds.h"
#include "data/limits.h"
#include "data/measurement.h"
#include "files/report.h"
#include "session/metersession.h"

#include <QList>
#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <optional>

class QAction;
class QComboBox;
class QLabel;
class QProgressBar;
class QToolButton;
class QTreeWidgetItem;
class ArchiveRecorder;
class ArchiveWindow;
class TeamPusher;
class CompareWindow;
class GraphWidget;
class LossWindow;
class OpenDataWidget;

namespace Ui {
class MainWindow;
}

// The application's only main window: every user command arrives at one of its slots.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // false: channels are labelled by wavelength (nm); true: by frequency (THz).
    bool displayFreq() const { return m_displayFreq; }
    // Port discovery runs until a meter's port has been found.
    bool isDiscovering() const { return m_discoveryTimer != 0; }
    // Kind code of the meter that identified itself last; 0 before any.
    int kindCode() const { return m_kindCode; }

    // Requests to the connected meter; without a connection they go nowhere.
    void sendSystemInfo();
    void sendData(int index);
    void sendData96(int index, quint8 half);

    // How often Get Data asks again when no record has arrived. Tests shorten it; the window
    // itself never changes it.
    static constexpr int DefaultRetryIntervalMs = Retrieval::RetryIntervalMs;
    // How often a connected meter that has not identified itself is asked again.
    static constexpr int IdentityRetryMs = MeterSession::IdentityRetryMs;
    void setRetryIntervalMs(int ms) { m_session.setRetryIntervalMs(ms); }
    int retryIntervalMs() const { return m_session.retryIntervalMs(); }
    // A Get Data retrieval is running.
    bool isGettingData() const { return m_session.download().getting(); }
    // The port is open and read; false once the meter has gone away, while Connect stays
    // checked until the user unchecks it.
    bool isLinked() const { return m_session.isOpen(); }
    // The connection to the meter and the records it downloaded.
    MeterSession& session() { return m_session; }
    // The window Open Data made last; null when there is none.
    OpenDataWidget* openDataWidget() const { return m_openDataWidget; }
    // The window Graph Data made last; null when there is none.
    GraphWidget* graphWidget() const { return m_graphWidget; }
    // What keeps every download in the archive.
    ArchiveRecorder& archive() { return *m_archive; }
    // The Loss and Compare windows; null until Loss… or Compare… made them.
    LossWindow* lossWindow() const;
    CompareWindow* compareWindow() const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

    // The limits in force; off unless the user has set them.
    const Limits::LimitSet& limits() const { return m_limits; }

private Q_SLOTS:
    // In the record list's context menu: the PDF report and the limits.
    void slotExportReport();
    void slotLimits();
    void slotRecordMenu(const QPoint& at);
    void slotIdentified(const MeterIdentity& identity);
    void on_actionConnect_triggered(bool checked);
    void on_treeDevice_itemClicked(QTreeWidgetItem* item, int column);
    void on_actionAbout_triggered();
    void on_actionSetting_triggered();
    void slotCbSelectIndexChanged(int index);
    void on_cbSelectDevice_currentIndexChanged(int index);

    void on_actionGetData_triggered();
    void slotStopData();
    // What the session reports of a download.
    void slotListStarted(int total);
    void slotRecordStored(const Measurement& record);
    void slotDownloaded();
    // The meter went away while connected, during a download or not.
    void slotPortLost(bool getting);
    void on_treeData_currentItemChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void on_actionSaveData_triggered();
    void on_actionOpen_triggered();
    void on_actionGraphData_triggered();
    // Tools, Archive: the window of archived downloads.
    void slotArchive();
    // The archive cannot be written: said in the status bar, and once in a message.
    void slotArchiveFailed(const QString& why);
    // A push to the team archive ended: downloads left waiting are said in the status bar.
    void slotTeamPushed(int pushed, int waiting, const QString& error);
    // Tools and the record list's context menu: the selected record as the reference in force,
    // the window of its loss, and the window that compares two records.
    void slotSetReference();
    void slotLoss();
    void slotCompare();

private:
    void setUpArchive();
    void setUpLossActions();
    // The Loss window, when there is one, shows the selected record in the display unit.
    void showLoss();
    void selectComPort(int com);
    void restartDiscovery();

    void connectMeter();
    void disconnectMeter();
    void connectSession();
    void setConnectedUi(bool on);
    // The port chooser's entries of the ports the listing names: bold, with the device and its
    // description as their tip. The entries' texts stay.
    void markListedPorts(const QStringList& friendlyNames);

    // "49 of 200 records", or "3 records" before the total is known.
    QString recordsSoFar() const;
    // Says in the status bar how a download ended (`how` with %1 for the records so far) and
    // empties the progress bar.
    void endProgress(const QString& how);
    // The meter identified itself but answers no request for the chosen kind's records.
    void sayWrongKind();
    void showRecordDetail(int row);
    // The display unit from the store, on the detail view's heading, the record it shows and
    // the graph window.
    void applyDisplayUnit();
    // The detail view's column titles for the connected kind in the display unit.
    void showDetailHeader();

    // The record list's context menu and what it leads to.
    void setUpReportActions();
    // Whether the limits in force judge the connected kind's records.
    bool limitsJudge() const;
    // Says in the status bar, beside whatever else it says, why limits that are on judge
    // nothing of the connected kind; hidden otherwise.
    void showLimitsNotice();
    // Row `row`'s verdict against the limits in force; none when they judge nothing.
    std::optional<Limits::RecordResult> verdictOf(int row) const;
    // The pass or fail mark of every row of the record list, or none when the limits are off.
    void markVerdicts();
    void markVerdict(int row);

    // Row `row` of the connected kind's list; nullptr when the list has no such row.
    const Measurement* recordAt(int row) const;

    // A report of `records` of the connected meter, made now.
    Report report(const QList<Measurement>& records) const;
    // What Save Data writes: every record of the connected kind, or for the MPO kinds the
    // selected record alone; none when none is selected.
    std::optional<Report> reportToSave() const;

    Ui::MainWindow* ui;

    int m_discoveryTimer = 0;

    QLabel* m_statusLabel = nullptr;
    QLabel* m_limitsNotice = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QToolButton* m_stopButton = nullptr;
    QComboBox* m_cbPort = nullptr;
    QComboBox* m_cbUnit = nullptr;

    // The connection to the meter and the records it downloaded.
    MeterSession m_session;
    // The device-tree entry of each kind that has a group there, by kind code from Kind::First;
    // parentless while no meter of their kind is connected, so the window deletes those.
    QTreeWidgetItem* m_deviceItems[Kind::Count] = {};

    int m_kindCode = 0;
    QString m_productName;
    QString m_serialNumber;
    QString m_hwVersion;
    QString m_fwVersion;
    QString m_buildTime;

    bool m_displayFreq = false;
    Limits::LimitSet m_limits;
    QAction* m_actionExportReport = nullptr;
    QAction* m_actionLimits = nullptr;
    QAction* m_actionSetReference = nullptr;
    QAction* m_actionLoss = nullptr;
    QAction* m_actionCompare = nullptr;
    QPointer<LossWindow> m_lossWindow;
    QPointer<CompareWindow> m_compareWindow;

    OpenDataWidget* m_openDataWidget = nullptr;
    // The meter went away while connected; Connect is still checked.
    bool m_portLost = false;
    GraphWidget* m_graphWidget = nullptr;
    ArchiveRecorder* m_archive = nullptr;
    QPointer<ArchiveWindow> m_archiveWindow;
    QLabel* m_archiveNotice = nullptr;
    TeamPusher* m_teamPusher = nullptr;
    QLabel* m_teamNotice = nullptr;
    bool m_archiveFailureShown = false;
    // The total label of the record the graph window shows, to label it anew in another unit.
    QString m_graphTotalLabel;
};
