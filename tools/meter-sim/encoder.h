#pragma once

#include "records.h"

#include <QByteArray>

namespace metersim {

enum Command : quint8 {
    DATA_REQ_SYSINFO = 0x11,
    DATA_RES_SYSINFO = 0x12,
    DATA_REQ_CWDMDATA = 0x21,
    DATA_RES_CWDMDATA = 0x22,
};

// Two: the usual L + 2 bytes. One: L + 1 bytes, the length field one larger than the bytes up to
// the end byte, so that the end byte is still three bytes before the end of the answer.
enum class Trailer { Two, One };

struct Version {
    quint8 major = 0;
    quint8 minor = 0;
    quint8 patch = 0;
    int number() const { return major * 100 + minor * 10 + patch; }
};

struct Identity {
    QByteArray product;
    QByteArray serial;
    QByteArray buildTime;
    Version hw;
    Version fw;
};

// Products up to this length leave room for the serial number to start at offset 17.
constexpr int kMaxProductLength = 12;
constexpr int kMaxSerialLength = 19;
constexpr int kBuildTimeSize = 24;
constexpr int kFixedSerialOffset = 17;

QByteArray encodeSysInfo(const Identity& id, Trailer trailer);

// Frame offsets of one kind's record answer; -1 where the layout has no such field.
struct RecordLayout {
    int powerCount;
    int onOff;
    int onOffSize;
    int date;
    int time;
    int name;
    int totalIndex;
    int totalWav;
    int mode;
    int polar;
    int fixedLength; // 0: the length follows from the last field
};

constexpr int kPowerOffset = 8;

RecordLayout recordLayout(int kind, Version hw, Version fw, bool dwdm48Big);
QByteArray encodeRecord(const RecordLayout& layout, const Record& rec, quint16 total, quint16 count,
                        Trailer trailer);

// One half (0 or 1) of a 96-channel record: 162 bytes of its 324-byte image at offset 9.
QByteArray encodeHalf96(const Record& rec, quint16 total, quint16 count, int half, Trailer trailer);

} // namespace metersim
