#pragma once

#include <QByteArray>
#include <QSerialPort>

// The meter's serial line and its fixed settings. Functions here use the port they are given from
// the calling thread only.
namespace SerialLine {

// Opens the port read-write, applies the line settings and discards what already waits in the
// line. False when the port cannot be opened; failing to set the modem lines (a pseudo-terminal
// has none) is logged, not a failure.
// QSerialPort refuses QIODevice::Unbuffered, so the port is opened buffered.
bool openLine(QSerialPort& port);

// 115200 baud, no flow control, no parity, 8 data bits, 1 stop bit, DTR off, RTS off, in that
// order.
void applyLineSettings(QSerialPort& port);

} // namespace SerialLine
