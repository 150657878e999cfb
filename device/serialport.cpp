#include "device/serialport.h"

#include "data/logging.h"

#include <QDeadlineTimer>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#endif

namespace SerialLine {

LineWaker::LineWaker()
{
#ifdef Q_OS_UNIX
    m_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_fd < 0)
        qCDebug(lcVelumin).noquote() << "eventfd failed:" << errno;
#endif
}

LineWaker::~LineWaker()
{
#ifdef Q_OS_UNIX
    if (m_fd >= 0)
        ::close(m_fd);
#endif
}

void LineWaker::wake()
{
#ifdef Q_OS_UNIX
    const quint64 one = 1;
    if (m_fd >= 0 && ::write(m_fd, &one, sizeof one) < 0 && errno != EAGAIN)
        qCDebug(lcVelumin).noquote() << "wake failed:" << errno;
#endif
}

bool LineWaker::waitForBytes(QSerialPort& port)
{
#ifdef Q_OS_UNIX
    const int portFd = int(port.handle());
    if (m_fd >= 0 && portFd >= 0) {
        pollfd fds[2] = {{portFd, POLLIN, 0}, {m_fd, POLLIN, 0}};
        while (::poll(fds, 2, -1) < 0) {
            if (errno != EINTR)
                return true; // let the read find out what is wrong
        }
        if (fds[1].revents & POLLIN) {
            quint64 count = 0;
            while (::read(m_fd, &count, sizeof count) > 0) {
            }
        }
        return fds[0].revents != 0;
    }
#endif
    return port.waitForReadyRead(FirstByteWaitMs) || port.error() != QSerialPort::TimeoutError;
}

namespace {

void logFailure(QSerialPort& port, const char* what)
{
    qCDebug(lcVelumin).noquote() << what << "failed:" << port.errorString();
    port.clearError();
}

// waitForReadyRead() answers false both on timeout and on failure; the port's error tells
// them apart.
bool timedOut(QSerialPort& port)
{
    const QSerialPort::SerialPortError error = port.error();
    return error == QSerialPort::NoError || error == QSerialPort::TimeoutError;
}

} // namespace

bool openLine(QSerialPort& port)
{
    if (!port.open(QIODevice::ReadWrite))
        return false;
    applyLineSettings(port);
    // What waits in the line belongs to an earlier connection (an answer nobody read, or part
    // of one); read together with the first answer it would spoil that answer too.
    if (!port.clear(QSerialPort::Input))
        logFailure(port, "clear");
    return true;
}

void applyLineSettings(QSerialPort& port)
{
    if (!port.setBaudRate(QSerialPort::Baud115200))
        logFailure(port, "setBaudRate");
    if (!port.setFlowControl(QSerialPort::NoFlowControl))
        logFailure(port, "setFlowControl");
    if (!port.setParity(QSerialPort::NoParity))
        logFailure(port, "setParity");
    if (!port.setDataBits(QSerialPort::Data8))
        logFailure(port, "setDataBits");
    if (!port.setStopBits(QSerialPort::OneStop))
        logFailure(port, "setStopBits");
    if (!port.setDataTerminalReady(false))
        logFailure(port, "setDtr");
    if (!port.setRequestToSend(false))
        logFailure(port, "setRts");
}

ReadStatus readFrame(QSerialPort& port, QByteArray& read, LineWaker* waker,
                     const StopRequested& stopRequested, const Complete& complete)
{
    read.clear();
    port.clearError();
    if (port.bytesAvailable() == 0) {
        if (waker && !waker->waitForBytes(port))
            return ReadStatus::Nothing;
        // After the waker it returns at once: bytes are there, or the port has failed.
        if (port.bytesAvailable() == 0 && !port.waitForReadyRead(waker ? 0 : FirstByteWaitMs)) {
            if (!timedOut(port))
                return ReadStatus::Error;
            port.clearError();
            return ReadStatus::Nothing;
        }
    }
    const QDeadlineTimer deadline(MaxReadMs);
    read = port.read(MaxRead);
    while (read.size() < MaxRead && !deadline.hasExpired()) {
        if (stopRequested && stopRequested()) {
            read.clear();
            return ReadStatus::Nothing;
        }
        if (port.bytesAvailable() == 0 && complete && complete(read))
            break;
        if (port.bytesAvailable() == 0 && !port.waitForReadyRead(QuietMs)) {
            if (!timedOut(port) && read.isEmpty())
                return ReadStatus::Error;
            // What arrived before a failure is still one read; the failure shows next time.
            port.clearError();
            break;
        }
        read += port.read(MaxRead - read.size());
    }
    return read.isEmpty() ? ReadStatus::Error : ReadStatus::Data;
}

} // namespace SerialLine
