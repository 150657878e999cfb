#include "device/serialport.h"

#include <QDeadlineTimer>
#include <QDebug>

namespace SerialLine {

namespace {

void logFailure(QSerialPort& port, const char* what)
{
    qDebug().noquote() << what << "failed:" << port.errorString();
    port.clearError();
}

// waitForReadyRead() answers false both on timeout and on failure; the port's error tells
// them apart.
bool timedOut(QSerialPort& port)
{
    const QSerialPort::SerialPortError error = port.error();
    return error == QSerialPort::NoError || error == QSerialPort::TimeoutError;
}

// A read that holds a whole frame by its length field (L + 2 bytes from a 0x02 start byte) with
// nothing more waiting is complete: there is no need to wait out the quiet time. A read that
// does not look like a frame, or is shorter, waits for the line to go quiet as before.
bool holdsWholeFrame(const QByteArray& read)
{
    if (read.size() < 4 || quint8(read.at(0)) != 0x02)
        return false;
    const int length = quint8(read.at(2)) * 256 + quint8(read.at(3));
    return read.size() >= length + 2;
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

ReadStatus readFrame(QSerialPort& port, QByteArray& read, const StopRequested& stopRequested)
{
    read.clear();
    port.clearError();
    if (port.bytesAvailable() == 0 && !port.waitForReadyRead(FirstByteWaitMs)) {
        if (!timedOut(port))
            return ReadStatus::Error;
        port.clearError();
        return ReadStatus::Nothing;
    }
    const QDeadlineTimer deadline(MaxReadMs);
    read = port.read(MaxRead);
    while (read.size() < MaxRead && !deadline.hasExpired()) {
        if (stopRequested && stopRequested()) {
            read.clear();
            return ReadStatus::Nothing;
        }
        if (port.bytesAvailable() == 0 && holdsWholeFrame(read))
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
