#include "device/serialport.h"

#include "data/logging.h"

namespace SerialLine {

namespace {

void logFailure(QSerialPort& port, const char* what)
{
    qCDebug(lcLink).noquote() << what << "failed:" << port.errorString();
    port.clearError();
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

} // namespace SerialLine
