#pragma once

#include <QByteArray>
#include <QtGlobal>

// Request frames sent to the meter and the command codes of the link. Every frame is
// 02, command, length (big-endian, counting from the start byte up to the end byte), payload,
// end byte 03 and two trailing zero bytes.
namespace Frames {

constexpr quint8 START_BYTE = 0x02;
constexpr quint8 END_BYTE = 0x03;

constexpr quint8 DATA_REQ_SYSINFO = 0x11;
constexpr quint8 DATA_RES_SYSINFO = 0x12;
constexpr quint8 DATA_REQ_CWDMDATA = 0x21;
constexpr quint8 DATA_RES_CWDMDATA = 0x22;

// 02 11 00 05 03 00 00
QByteArray systemInfoRequest();
// 02 21 00 07 IH IL 03 00 00; the index is sent modulo 65536.
QByteArray dataRequest(int index);
// 02 21 00 08 IH IL HF 03 00 00; half 0 asks for the first half of a 96-channel record, 1 for
// the second.
QByteArray data96Request(int index, quint8 half);

} // namespace Frames
