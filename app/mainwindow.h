#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QProgressBar;
class QSerialPort;
class QToolButton;
class QTreeWidgetItem;
class SerialComm;

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

    // Kinds with an entry in the device tree.
    static constexpr int DeviceItemCount = 8;

protected:
    void closeEvent(QCloseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private Q_SLOTS:
    void slotRecvedSysInfo(int device, QString strProductName, QString strSerialNumber, uint hwVer,
                           uint fwVer, QString strBuildTime);
    void on_actionConnect_triggered(bool checked);
    void on_treeDevice_itemClicked(QTreeWidgetItem* item, int column);
    void on_actionAbout_triggered();
    void on_actionSetting_triggered();
    void slotCbSelectIndexChanged(int index);
    void on_cbSelectDevice_currentIndexChanged(int index);

private:
    void selectComPort(int com);
    void restartDiscovery();

    void connectMeter();
    void disconnectMeter();
    bool openPort(const QString& portName);
    void closePort();
    void connectReceiver();
    // Ends the receiver's loop and releases it; afterwards the port may be closed.
    void stopReceiver();
    void sendRequest(const QByteArray& frame);
    void setConnectedUi(bool on);

    Ui::MainWindow* ui;

    int m_discoveryTimer = 0;

    QLabel* m_statusLabel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QToolButton* m_stopButton = nullptr;
    QComboBox* m_cbPort = nullptr;
    QComboBox* m_cbUnit = nullptr;

    QSerialPort* m_port = nullptr;
    SerialComm* m_serialComm = nullptr;
    // Parentless while no meter of their kind is connected, so the window deletes those.
    QTreeWidgetItem* m_deviceItems[DeviceItemCount] = {};

    int m_kindCode = 0;
    QString m_productName;
    QString m_serialNumber;
    QString m_hwVersion;
    QString m_fwVersion;
    QString m_buildTime;
    QStringList m_recordNames;

    bool m_displayFreq = false;
};
