#include "encoder.h"

#include <algorithm>

namespace metersim {

namespace {

constexpr quint8 kStart = 0x02;
constexpr quint8 kEnd = 0x03;

// column order: powerCount, onOff, onOffSize, date, time, name, totalIndex, totalWav, mode, polar,
// fixedLength
constexpr RecordLayout kCwdm18Early{18, -1, 0, 44, 48, 52, -1, -1, -1, -1, 0};
constexpr RecordLayout kCwdm18Late{18, -1, 0, 64, 68, 72, -1, -1, -1, -1, 0};
constexpr RecordLayout kDwdm48Named{48, -1, 0, 152, 156, 160, -1, -1, -1, -1, 0};
constexpr RecordLayout kDwdm48Plain{48, -1, 0, 104, 108, -1, -1, -1, -1, -1, 0};
constexpr RecordLayout kDwdm48Big{50, 112, 52, 164, 168, 172, 108, -1, -1, -1, 0xC9};
constexpr RecordLayout kVendral8Named{6, -1, 0, 20, 24, 28, -1, -1, -1, -1, 0};
constexpr RecordLayout kVendral8Plain{6, -1, 0, 20, 24, -1, -1, -1, -1, -1, 0};
constexpr RecordLayout kTarnex8Named{10, -1, 0, 28, 32, 36, -1, -1, -1, -1, 0};
constexpr RecordLayout kTarnex8Plain{10, -1, 0, 28, 32, -1, -1, -1, -1, -1, 0};
constexpr RecordLayout kTarnex56EarlyNamed{56, 120, 60, 176, 180, 184, -1, -1, -1, -1, 0};
constexpr RecordLayout kTarnex56EarlyPlain{56, 120, 60, 176, 180, -1, -1, -1, -1, -1, 0};
constexpr RecordLayout kTarnex58{58, 124, 60, 184, 188, 192, 220, -1, -1, -1, 0};
constexpr RecordLayout kTarnex64{65, 124, 68, 208, 212, 216, 244, -1, -1, -1, 0};
constexpr RecordLayout kDwdm49Total{50, 112, 52, 164, 168, 172, -1, 108, -1, -1, 0};
constexpr RecordLayout kMpo12{12, -1, 0, 36, 40, 44, -1, -1, 32, 34, 0};
constexpr RecordLayout kMpo24{24, -1, 0, 60, 64, 68, -1, -1, 56, 58, 0};
constexpr RecordLayout kMpo16{16, -1, 0, 44, 48, 52, -1, -1, 40, 42, 0};
constexpr RecordLayout kMpo32{32, -1, 0, 76, 80, 84, -1, -1, 72, 74, 0};

constexpr int kHalfFlagOffset = 8;
constexpr int kHalfImageOffset = 9;
constexpr int kHalfImageSize = 162;
constexpr int kImagePowers = 0;
constexpr int kImageDate = 288;
constexpr int kImageTime = 292;
constexpr int kImageName = 296;

void putLe(QByteArray* frame, int offset, quint32 value, int size)
{
    for (int i = 0; i < size; ++i)
        (*frame)[offset + i] = char((value >> (8 * i)) & 0xFF);
}

void putBe16(QByteArray* frame, int offset, quint16 value)
{
    (*frame)[offset] = char(value >> 8);
    (*frame)[offset + 1] = char(value & 0xFF);
}

void putName(QByteArray* frame, int offset, const QByteArray& name)
{
    for (int i = 0; i < kMaxNameLength; ++i)
        (*frame)[offset + i] = i < name.size() ? name[i] : '\0';
}

// body holds offsets 0 up to the end byte (exclusive), its header bytes still blank.
QByteArray finishFrame(QByteArray body, quint8 command, Trailer trailer)
{
    const int length = int(body.size()) + 1 + (trailer == Trailer::One ? 1 : 0);
    body[0] = char(kStart);
    body[1] = char(command);
    putBe16(&body, 2, quint16(length));
    body.append(char(kEnd));
    body.append(2, '\0');
    return body;
}

int lastUsedOffset(const RecordLayout& l)
{
    int last = kPowerOffset + 2 * l.powerCount - 1;
    auto extend = [&last](int offset, int size) {
        if (offset >= 0)
            last = std::max(last, offset + size - 1);
    };
    extend(l.onOff, l.onOffSize);
    extend(l.date, 4);
    extend(l.time, 4);
    extend(l.name, kMaxNameLength);
    extend(l.totalIndex, 4);
    extend(l.totalWav, 4);
    extend(l.mode, 2);
    extend(l.polar, 2);
    return last;
}

// Bytes before the end byte for a frame whose length field must read fixedLength.
int fixedBodySize(int fixedLength, Trailer trailer)
{
    return fixedLength - 1 - (trailer == Trailer::One ? 1 : 0);
}

} // namespace

QByteArray encodeSysInfo(const Identity& id, Trailer trailer)
{
    QByteArray body(4, '\0');
    body.append(id.product);
    // Separators alternate 0x00 and 0xFF; with a recent firmware they run up to the fixed serial
    // offset that CWDM18 readers rely on, and any reader that scans separators lands there too.
    const bool fixedSerial = id.fw.major > 3 || (id.fw.major == 3 && id.fw.minor >= 7);
    const int separators =
        fixedSerial ? std::max(1, kFixedSerialOffset - int(body.size())) : 2;
    for (int i = 0; i < separators; ++i)
        body.append(i % 2 == 0 ? '\0' : char(0xFF));
    body.append(id.serial);
    for (const Version& v : {id.hw, id.fw}) {
        body.append(char(v.patch));
        body.append(char(v.minor));
        body.append(char(v.major));
        body.append('\0');
    }
    body.append(id.buildTime.left(kBuildTimeSize));
    body.append(kBuildTimeSize - std::min<int>(kBuildTimeSize, int(id.buildTime.size())), '\0');
    return finishFrame(body, DATA_RES_SYSINFO, trailer);
}

RecordLayout recordLayout(int kind, Version hw, Version fw, bool dwdm48Big)
{
    const int fwNumber = fw.number();
    const int hwNumber = hw.number();
    switch (kind) {
    case 1:
        return fwNumber < 374 ? kCwdm18Early : kCwdm18Late;
    case 2:
        if (dwdm48Big)
            return kDwdm48Big;
        return fw.major > 1 && fw.minor > 1 ? kDwdm48Named : kDwdm48Plain;
    case 3:
        return (hwNumber == 301 && fwNumber >= 128) || hwNumber >= 303 ? kVendral8Named
                                                                       : kVendral8Plain;
    case 5:
        return fwNumber > 400 ? kTarnex8Named : kTarnex8Plain;
    case 6:
        if (fwNumber >= 200)
            return kTarnex58;
        return fwNumber > 136 ? kTarnex56EarlyNamed : kTarnex56EarlyPlain;
    case 7:
        return kTarnex58;
    case 8:
        return kTarnex64;
    case 9:
        return kDwdm49Total;
    case 10:
        return kMpo12;
    case 11:
        return kMpo24;
    case 12:
        return kMpo16;
    case 13:
        return kMpo32;
    }
    // The 96-channel kind (4) is answered in halves and never asks for a single-frame layout.
    return kCwdm18Late;
}

QByteArray encodeRecord(const RecordLayout& l, const Record& rec, quint16 total, quint16 count,
                        Trailer trailer)
{
    const int bodySize = l.fixedLength ? fixedBodySize(l.fixedLength, trailer)
                                       : lastUsedOffset(l) + 1;
    QByteArray body(bodySize, '\0');
    putBe16(&body, 4, total);
    putBe16(&body, 6, count);
    // Some on/off blocks run into the neighbouring fields; those fields are written afterwards so
    // that a reader finds them intact at their own offsets.
    if (l.onOff >= 0) {
        for (int i = 0; i < l.onOffSize; ++i)
            body[l.onOff + i] = char(rec.onOff[size_t(i)]);
    }
    for (int c = 0; c < l.powerCount; ++c)
        putLe(&body, kPowerOffset + 2 * c, quint16(rec.powers[size_t(c)]), 2);
    if (l.totalIndex >= 0)
        putLe(&body, l.totalIndex, quint32(rec.totalIndex), 4);
    if (l.totalWav >= 0)
        putLe(&body, l.totalWav, quint32(rec.totalWav), 4);
    if (l.mode >= 0)
        putLe(&body, l.mode, rec.mode, 2);
    if (l.polar >= 0)
        putLe(&body, l.polar, rec.polar, 2);
    putLe(&body, l.date, rec.date, 4);
    putLe(&body, l.time, rec.time, 4);
    if (l.name >= 0)
        putName(&body, l.name, rec.name);
    return finishFrame(body, DATA_RES_CWDMDATA, trailer);
}

QByteArray encodeHalf96(const Record& rec, quint16 total, quint16 count, int half, Trailer trailer)
{
    QByteArray image(2 * kHalfImageSize, '\0');
    for (int c = 0; c < int(rec.powers.size()); ++c)
        putLe(&image, kImagePowers + 2 * c, quint16(rec.powers[size_t(c)]), 2);
    putLe(&image, kImageDate, rec.date, 4);
    putLe(&image, kImageTime, rec.time, 4);
    putName(&image, kImageName, rec.name);

    QByteArray body(kHalfImageOffset, '\0');
    putBe16(&body, 4, total);
    putBe16(&body, 6, count);
    body[kHalfFlagOffset] = char(half);
    body.append(image.mid(half * kHalfImageSize, kHalfImageSize));
    return finishFrame(body, DATA_RES_CWDMDATA, trailer);
}

} // namespace metersim
