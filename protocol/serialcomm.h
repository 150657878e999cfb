#pragma once

#include "data/identity.h"
#include "device/serialport.h"
#include "protocol/decoder.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QThread>
#include <QVector>

#include <atomic>
#include <condition_variable>
#include <mutex>

class QSerialPort;

// The receiving side of the meter link. It owns the open port for as long as its thread runs:
// QSerialPort may be used by one thread only, so requests from the GUI thread are handed over
// with post() and written by the receiver thread itself. Decoded answers leave as queued signals
// whose arguments are copies.
//
// Life cycle, all from the thread that created the port:
//   open the port (parentless), construct SerialComm (it moves the port to its thread), connect,
//   start(), post() requests ...; stop(), wait(); then the port is closed, back in the creating
//   thread, and may be deleted. Destroying a SerialComm stops it and waits for its loop first.
//
// Thread-safe members: post() and stop(). Everything else belongs to the creating thread.
class SerialComm : public QThread {
    Q_OBJECT
public:
    // `deviceSelectionIndex` chooses the kind that the system information answer sets; until
    // that answer the kind is 0 and record answers are ignored.
    SerialComm(QSerialPort* port, int deviceSelectionIndex, QObject* parent = nullptr);
    ~SerialComm() override;

    // Queues one complete request frame; the receiver writes it in a single write. Thread-safe.
    void post(const QByteArray& frame);
    // Asks the loop to end; it wakes the receiver, which ends within one wait of a read (a few
    // milliseconds) or of a write, however busy the line. Thread-safe.
    void stop();

    // Called by the thread that takes a signal's arguments before it reads them. Qt's event queue
    // already hands them over safely, through a lock that ThreadSanitizer cannot see; this
    // acquire pairs with the release the receiver makes before each signal, so that the tool
    // sees the hand-over too. One atomic load.
    static void takeOver();

    // Ends `comm`'s loop and deletes it: its signals no longer reach `receiver`, and reports it
    // queued for `receiver` before it stopped are dropped, as they belong to the link that is
    // going away. Afterwards the port may be closed. Null does nothing.
    static void dispose(SerialComm* comm, QObject* receiver);

    // How long reads may keep failing before the port counts as gone.
    static constexpr int GiveUpAfterMs = 1000;
    // How often a front end asks a connected meter that has not identified itself again: what
    // waited in the line at the open, or a lost answer, must not leave it without an identity.
    static constexpr int IdentityRetryMs = 1000;

Q_SIGNALS:
    // The meter's system information answer; its kind is the one chosen at construction.
    void identified(const MeterIdentity& identity);
    void recordDecoded(const Measurement& record);
    // The first half of a 96-channel record: ask for the half `flag` of record `count`.
    void halfArrived(int count, quint8 flag);
    // The port failed for good (the meter was unplugged): the loop has ended, once.
    void portLost();

protected:
    void run() override;

private:
    void writePosted();
    void emitDecoded(const Decoder::Decoded& decoded);
    // Sleeps up to `ms`, returning early when a stop is requested.
    void pauseUnlessStopped(int ms);

    std::atomic<bool> m_stop{false};
    QSerialPort* m_port;
    QThread* m_home; // the creating thread, which gets the port back after the loop
    // m_kind, m_devIndex, m_hwVer and m_fwVer of the receiver live here; receiver thread only
    // once started.
    Decoder::DecoderState m_state;

    // std::mutex rather than QMutex: both work, but ThreadSanitizer sees only the former.
    std::mutex m_mutex;
    std::condition_variable m_wake;
    QList<QByteArray> m_outbox;
    // Wakes the wait for the meter's next byte for a posted request or a stop; between those
    // the receiver sleeps until a byte arrives.
    SerialLine::LineWaker m_waker;
};
