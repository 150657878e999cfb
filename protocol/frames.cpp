#include "protocol/frames.h"

namespace Frames {

namespace {

// Wraps a payload into a complete request; the length field counts start byte to end byte.
QByteArray frame(quint8 command, const QByteArray& payload)
{
    const int length = payload.size() + 5;
    QByteArray bytes;
    bytes.reserve(length + 2);
    bytes.append(char(START_BYTE));
    bytes.append(char(command));
    bytes.append(char((length >> 8) & 0xFF));
    bytes.append(char(length & 0xFF));
    bytes.append(payload);
    bytes.append(char(END_BYTE));
    bytes.append(2, '\0');
    return bytes;
}

QByteArray indexBytes(int index)
{
    const quint16 wire = quint16(index);
    QByteArray bytes;
    bytes.append(char(wire >> 8));
    bytes.append(char(wire & 0xFF));
    return bytes;
}

} // namespace

QByteArray systemInfoRequest()
{
    return frame(DATA_REQ_SYSINFO, QByteArray());
}

QByteArray dataRequest(int index)
{
    return frame(DATA_REQ_CWDMDATA, indexBytes(index));
}

QByteArray data96Request(int index, quint8 half)
{
    return frame(DATA_REQ_CWDMDATA, indexBytes(index) + QByteArray(1, char(half)));
}

} // namespace Frames
