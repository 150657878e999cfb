#pragma once

#include "data/identity.h"
#include "data/measurement.h"
#include "protocol/download.h"

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>

class MeterLink;
class QThread;

// One meter connection, shared by the window and velumin-export: it opens the port in the
// link's thread, asks who the meter is until it answers, runs the download with its retries and
// holds the records. Lives in the thread that created it; what the meter says arrives as
// queued signals of values.
class MeterSession : public QObject {
    Q_OBJECT
public:
    explicit MeterSession(QObject* parent = nullptr);
    ~MeterSession() override;

    // Opens `path` for a meter of device selection `deviceIndex` and asks for its identity, again
    // every IdentityRetryMs until it answers. False, with the port's error and its text, when the
    // port cannot be opened. An open session is closed first.
    bool open(const QString& path, int deviceIndex, QSerialPort::SerialPortError* error = nullptr,
              QString* errorText = nullptr);
    // Ends the download and closes the port; the records stay. Nothing is signalled after it.
    void close();
    // The port is open and read; false once the meter has gone away.
    bool isOpen() const { return m_link != nullptr; }
    // The device selection the link decodes by.
    int deviceIndex() const { return m_deviceIndex; }

    // Asks for every record from the first, in the form of the meter opened; a running download
    // starts over.
    void startDownload();
    // Ends a running download; what arrived stays.
    void stopDownload();
    const Download& download() const { return m_download; }
    // A record the link decoded: stored when it is the one the download asks for next. Tests
    // and benchmarks hand records in here as the link does.
    void take(const Measurement& record);

    // How long a record may take before it is asked for again.
    void setRetryIntervalMs(int ms) { m_retry.setInterval(ms); }
    int retryIntervalMs() const { return m_retry.interval(); }
    static constexpr int IdentityRetryMs = 1000;

    // The requests, as the download and the identity retry send them.
    void sendSystemInfo();
    void sendData(int index);
    void sendData96(int index, quint8 half);

Q_SIGNALS:
    void identified(const MeterIdentity& identity);
    // Record 0 of a download arrived: the list starts over, with `total` records to come.
    void listStarted(int total);
    void recordStored(const Measurement& record);
    // The last record was stored.
    void downloaded();
    // A running download ended before its last record: stopped, or the port closed or lost.
    void stopped();
    // The meter answers its identity but not this kind's requests for records.
    void wrongKindSuspected();
    // The meter went away; the port is closed, and the download that was running, if
    // `duringDownload`, ended.
    void portLost(bool duringDownload);

private:
    void send(const Retrieval::Request& request);
    void post(const QByteArray& frame);
    void retryTick();
    void linkLost();

    QThread* m_thread = nullptr;
    MeterLink* m_link = nullptr;
    int m_deviceIndex = 0;
    Download m_download;
    QTimer m_identityRetry;
    QTimer m_retry;
};
