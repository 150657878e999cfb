#pragma once

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

// What a receiver remembers between reads. Used by one thread only.
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

// Which report signal a decoded record goes out on.
enum class RecordSignal {
    CWDM18,
    DWDM48,
    DWDM48Big,
    DWDM96,
    Vendral8,
    Tarnex8,
    Tarnex56,
    Tarnex57,
    Tarnex64,
    DWDM49TOTAL,
    DWDM96Semi,
    MPO12,
    MPO24,
    MPO16,
    MPO32,
};

struct Record {
    RecordSignal signal = RecordSignal::CWDM18;
    ushort total = 0;
    ushort count = 0;
    QVector<qint16> data;  // raw powers in hundredths of a dBm; -9900 where the frame has none
    QByteArray onOff;      // empty where the layout has no on/off block
    uint date = 0;
    uint time = 0;
    // Always the 16 raw name bytes (all zero where the layout has none), so that readers can
    // test the first two bytes; constData() is zero-terminated, the text ends at the first zero.
    QByteArray name;
    int totalIndex = 0;  // totalWav for DWDM49TOTAL
    ushort mode = 0;
    ushort polar = 0;
    uchar flag = 0;  // DWDM96Semi only: the half to ask for next (always 1)
};

using Decoded = std::variant<std::monostate, SystemInfo, Record>;

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

// The kind code that a device selection index stands for (3 and 4 are swapped); -1 when the
// index names none, which leaves the current kind unchanged.
int kindForDeviceIndex(int devIndex);

} // namespace Decoder
