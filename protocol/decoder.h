#pragma once

#include "data/measurement.h"

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QtGlobal>

#include <array>
#include <variant>

// Turns one read from the meter into a report. Pure: no port, no clock; the only side effects
// are the debug lines of the velumin log category and the updates of the DecoderState handed in.
namespace Decoder {

struct Version {
    quint8 major = 0;
    quint8 minor = 0;
    quint8 patch = 0;
    // The version as one number, major * 100 + minor * 10 + patch, as the layout rules use it.
    int number() const { return major * 100 + minor * 10 + patch; }
};

// What a link remembers between reads. Used by one thread only.
struct DecoderState {
    int devIndex = 0;  // device selection index chosen at connection
    int kind = 0;      // kind code, set from devIndex by every system information answer
    Version hwVer;     // from the last system information answer
    Version fwVer;
    // First half of a DWDM-96 record waiting for its second half, and that record's index
    // (-1 while no first half is held).
    std::array<quint8, 324> image96{};
    int image96Count = -1;
};

struct SystemInfo {
    int device = 0;  // the kind code
    QString productNumber;
    QString serialNumber;
    uint hwVer = 0;  // little-endian word: byte 0 patch, 1 minor, 2 major, 3 unused
    uint fwVer = 0;
    QString buildTime;
};

// The first half of a 96-channel record arrived: the half to ask for next goes with it.
struct HalfArrived {
    int count = 0;
    quint8 flag = 0; // always 1
};

using Decoded = std::variant<std::monostate, SystemInfo, Measurement, HalfArrived>;

constexpr int NameSize = 16;
constexpr int Image96Size = 324;

// The framing rule: at least 5 bytes, start byte 0x02, the length field L = b2 * 256 + b3 with
// n == L + 2 or n == L + 1, and the end byte 0x03 exactly three bytes before the end of the read.
bool acceptFrame(const QByteArray& read);

// Decodes one read that has passed acceptFrame(), as decodeRead() does.
Decoded decodeFrame(const QByteArray& frame, DecoderState& state);

// Decodes one read taken as one frame. Reads that fail the framing rule, carry another command,
// are too short for the fields they must hold, arrive before a kind is known, or are DWDM-96
// second halves without their first half, give std::monostate.
Decoded decodeRead(const QByteArray& read, DecoderState& state);

} // namespace Decoder
