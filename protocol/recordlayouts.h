#pragma once

#include "protocol/decoder.h"

#include <algorithm>

// Where the fields of a measurement record sit in a 0x22 response, per kind and variant.
// All offsets count from the start byte of the frame; -1 marks a field the layout lacks.
namespace Decoder {

struct RecordLayout {
    int values;      // power values on the wire, 2 bytes each from offset 8
    int date;
    int time;
    int name;
    int onOff;
    int onOffSize;
    int totalIndex;  // offset of the 32-bit totalIndex / totalWav
    int fixedTotalIndex;  // handed on when the layout has no totalIndex field
    int mode;
    int polar;
};

constexpr int ValuesOffset = 8;

// One past the last byte the layout reads. The fields must end before the end byte, which sits
// three bytes before the end of the read.
constexpr int extent(const RecordLayout& l)
{
    int end = ValuesOffset + 2 * l.values;
    end = std::max(end, l.date + 4);
    end = std::max(end, l.time + 4);
    if (l.name >= 0)
        end = std::max(end, l.name + NameSize);
    if (l.onOffSize > 0)
        end = std::max(end, l.onOff + l.onOffSize);
    if (l.totalIndex >= 0)
        end = std::max(end, l.totalIndex + 4);
    if (l.mode >= 0)
        end = std::max(end, l.mode + 2);
    if (l.polar >= 0)
        end = std::max(end, l.polar + 2);
    return end;
}

// The layout of a record of `kind`; lengthLow is the low byte of the frame's length field,
// which alone tells a DWDM-48 record with channel flags from one without. nullptr for DWDM96, whose halves are
// decoded apart, and for codes that name no kind.
const RecordLayout* selectLayout(int kind, quint8 lengthLow, const Version& hw, const Version& fw);

// A DWDM-96 half: flag at 8, then 162 bytes of the 324-byte record image.
constexpr int Half96Flag = 8;
constexpr int Half96Data = 9;
constexpr int Half96Size = 162;
constexpr int Image96Values = 96;
constexpr int Image96Date = 288;
constexpr int Image96Time = 292;
constexpr int Image96Name = 296;
static_assert(Half96Size * 2 == Image96Size);
static_assert(Image96Name + NameSize <= Image96Size);

// The largest read is 255 bytes, so no field may reach past byte 251 (the end byte at 252).
constexpr int MaxFieldEnd = 255 - 3;

} // namespace Decoder
