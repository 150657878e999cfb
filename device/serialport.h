#pragma once

#include <QByteArray>
#include <QSerialPort>

#include <functional>

// The meter's serial line: its fixed settings and the rule that turns what arrives into reads.
// Functions here use the port they are given from the calling thread only.
namespace SerialLine {

// Lets a thread that waits for a port's first byte sleep until something happens: bytes, a
// failure of the port, or wake() from another thread. On Unix the wait is a poll() on the port
// and an eventfd, and costs nothing while the line is quiet; elsewhere it is a wait of
// FirstByteWaitMs on the port, so that a wake() is noticed within that time.
class LineWaker {
public:
    LineWaker();
    ~LineWaker();
    LineWaker(const LineWaker&) = delete;
    LineWaker& operator=(const LineWaker&) = delete;

    // Ends the current or the next wait. Thread-safe.
    void wake();
    // Waits until `port` has something to read (or has failed), or wake() has been called. True
    // when the port should be read; false when woken (or, without poll(), on time-out).
    bool waitForBytes(QSerialPort& port);

private:
    int m_fd = -1;
};

// The meter speaks in reads of at most this many bytes.
constexpr int MaxRead = 255;
// How long a read waits for its first byte where no LineWaker can sleep on the port.
constexpr int FirstByteWaitMs = 10;
// A frame may come in several USB packets; the read ends once the line has been quiet this long.
constexpr int QuietMs = 4;
// A read ends after this long whatever the line does: 255 bytes take 22 ms at 115200 baud, and a
// line that never goes quiet must not hold the receiver (and a disconnect waiting for it).
constexpr int MaxReadMs = 50;

// Opens the port read-write, applies the line settings and discards what already waits in the
// line. False when the port cannot be opened; failing to set the modem lines (a pseudo-terminal
// has none) is logged, not a failure.
// QSerialPort refuses QIODevice::Unbuffered, so the port is opened buffered.
bool openLine(QSerialPort& port);

// 115200 baud, no flow control, no parity, 8 data bits, 1 stop bit, DTR off, RTS off, in that
// order.
void applyLineSettings(QSerialPort& port);

enum class ReadStatus {
    Data,     // `read` holds what arrived
    Nothing,  // nothing arrived (the waker was woken), or a stop was requested
    Error,    // the port failed (meter unplugged, peer closed); port.error() and errorString()
              // tell why until the next read
};

// Asked between the waits of a read; true ends the read at once and drops what it holds.
using StopRequested = std::function<bool()>;
// Whether what a read holds is complete: then it ends as soon as nothing more is waiting.
using Complete = std::function<bool(const QByteArray&)>;

// One read: sleeps in `waker` until the first byte (without one, waits FirstByteWaitMs), then
// takes what follows until the line has been quiet for QuietMs, at most MaxRead bytes and for at
// most MaxReadMs. A read that `complete` accepts ends as soon as nothing more is waiting. Bytes
// beyond MaxRead stay in the port for the next read.
ReadStatus readFrame(QSerialPort& port, QByteArray& read, LineWaker* waker = nullptr,
                     const StopRequested& stopRequested = {}, const Complete& complete = {});

} // namespace SerialLine
