#include "device/serialport.h"

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

} // namespace

bool openLine(QSerialPort& port)
{
    if (!port.open(QIODevice::ReadWrite))
        return false;
    applyLineSettings(port);
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

ReadStatus readFrame(QSerialPort& port, QByteArray& read)
{
    read.clear();
    port.clearError();
    if (port.bytesAvailable() == 0 && !port.waitForReadyRead(FirstByteWaitMs)) {
        if (!timedOut(port))
            return ReadStatus::Error;
        port.clearError();
        return ReadStatus::Nothing;
    }
    read = port.read(MaxRead);
    while (read.size() < MaxRead) {
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
