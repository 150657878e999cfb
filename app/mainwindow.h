#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QProgressBar;
class QToolButton;

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

protected:
    void closeEvent(QCloseEvent* event) override;

private Q_SLOTS:
    void on_actionAbout_triggered();
    void on_actionSetting_triggered();
    void slotCbSelectIndexChanged(int index);

private:
    Ui::MainWindow* ui;

    int m_dataTimer = 0;

    QLabel* m_statusLabel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QToolButton* m_stopButton = nullptr;
    QComboBox* m_cbPort = nullptr;
    QComboBox* m_cbUnit = nullptr;

    int m_kindCode = 0;
    QString m_productName;
    QString m_serialNumber;
    QString m_hwVersion;
    QString m_fwVersion;
    QString m_buildTime;
    QStringList m_recordNames;

    bool m_displayFreq = false;
};
