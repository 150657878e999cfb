#pragma once

#include "data/identity.h"
#include "data/measurement.h"
#include "protocol/decoder.h"

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QList>
#include <QTimer>

#include <mutex>

class QThread;

// The meter's end of the serial line, living in a thread of its own: it creates its port there,
// reads when the port says bytes arrived, writes what is queued to it and closes the port there,
// so the port never changes threads. What it decodes leaves as queued signals carrying values.
// open(), post() and close() are called from the thread that made the link (MeterSession's);
// everything else runs in the link's thread.
class MeterLink : public QObject {
    Q_OBJECT
public:
    // `deviceSelectionIndex` chooses the kind the identity answer sets; until that answer the
    // kind is unknown and record answers are ignored.
    explicit MeterLink(int deviceSelectionIndex);
    ~MeterLink() override;

    // Opens `path` with the meter's line settings in the link's thread, and waits for it. False,
    // with the port's error and its text, when it cannot be opened.
    bool open(const QString& path, QSerialPort::SerialPortError* error, QString* errorText);
    // Queues one complete request frame; the link's thread writes it in one write.
    void post(const QByteArray& frame);
    // Closes the port in the link's thread and hands the link back to the calling thread, which
    // may then end the link's thread and delete the link.
    void close();

    // A frame may come in several USB packets: a read ends once the line has been quiet this
    // long, or has lasted MaxReadMs, or holds a whole frame and nothing more has come.
    static constexpr int QuietMs = 4;
    static constexpr int MaxReadMs = 50;
    // The meter speaks in reads of at most this many bytes.
    static constexpr int MaxRead = 255;
    // The meter's pace: after each frame the line is left alone this long before the next read,
    // while requests still go out at once. What arrives meanwhile is read after it.
    static constexpr int PauseAfterFrameMs = 50;

    // ThreadSanitizer cannot see the locks inside Qt that carry a queued call or signal from one
    // thread to the other: the side that hands values over publishes first, and the side that
    // receives them takes delivery before it reads them, so that the tool sees the hand-over too.
    // One atomic operation each.
    static void publish();
    static void takeDelivery();

Q_SIGNALS:
    void identified(const MeterIdentity& identity);
    void recordDecoded(const Measurement& record);
    // The first half of a 96-channel record: ask for the half `flag` of record `count`.
    void halfArrived(int count, quint8 flag);
    // The port failed for good (the meter was unplugged); the port is closed, once.
    void portLost();

private Q_SLOTS:
    void openInThread();
    void writePosted();
    void closeInThread();

private:
    void closePort();
    void bytesArrived();
    // The read is complete: decode it when it passes the framing rule, and start the next one.
    void endRead();
    void failed(QSerialPort::SerialPortError error);

    QSerialPort* m_port = nullptr;
    QByteArray m_read;
    QTimer m_quiet;
    QTimer m_longest;
    QTimer m_pause;
    Decoder::DecoderState m_state;
    bool m_errorLogged = false;

    // Handed between the two threads, each time before the other side is woken (publish() and
    // takeDelivery() make the hand-over visible).
    QString m_path;
    bool m_opened = false;
    QSerialPort::SerialPortError m_openError = QSerialPort::NoError;
    QString m_openErrorText;
    QThread* m_home = nullptr;
    std::mutex m_outboxMutex;
    QList<QByteArray> m_outbox;
};
