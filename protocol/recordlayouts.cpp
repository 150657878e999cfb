#include "protocol/recordlayouts.h"

#include "data/catalogue.h"
#include "data/limits.h"

namespace Decoder {

namespace {

// Entries past `values` (up to the kind's stored readings) stay at the filler.
//                                 values date time name onOff size tIdx fixed   mode polar
constexpr RecordLayout CWDM18Early   {18,  44,  48,  52,  -1,  0,  -1, 0,       -1, -1};
constexpr RecordLayout CWDM18Late    {18,  64,  68,  72,  -1,  0,  -1, 0,       -1, -1};
// Older DWDM-48 meters send neither channel flags nor a total.
constexpr RecordLayout DWDM48Plain   {48, 104, 108,  -1,  -1,  0,  -1, NoTotal, -1, -1};
constexpr RecordLayout DWDM48Named   {48, 152, 156, 160,  -1,  0,  -1, NoTotal, -1, -1};
constexpr RecordLayout DWDM48Flagged {50, 164, 168, 172, 112, 52, 108, 0,       -1, -1};
constexpr RecordLayout Vendral8Plain { 6,  20,  24,  -1,  -1,  0,  -1, 0,       -1, -1};
constexpr RecordLayout Vendral8Named { 6,  20,  24,  28,  -1,  0,  -1, 0,       -1, -1};
constexpr RecordLayout Tarnex8Plain  {10,  28,  32,  -1,  -1,  0,  -1, 0,       -1, -1};
constexpr RecordLayout Tarnex8Named  {10,  28,  32,  36,  -1,  0,  -1, 0,       -1, -1};
// Early Tarnex56 firmware sends 56 readings and no total index.
constexpr RecordLayout Tarnex56EarlyPlain {56, 176, 180, -1, 120, 60, -1, NoTotal, -1, -1};
constexpr RecordLayout Tarnex56EarlyNamed {56, 176, 180, 184, 120, 60, -1, NoTotal, -1, -1};
constexpr RecordLayout Tarnex56Late  {58, 184, 188, 192, 124, 60, 220, 0,       -1, -1};
constexpr RecordLayout Tarnex57      {58, 184, 188, 192, 124, 60, 220, 0,       -1, -1};
// The on/off block overlaps the last readings; it is read as the meter lays it out.
constexpr RecordLayout Tarnex64      {65, 208, 212, 216, 124, 68, 244, 0,       -1, -1};
constexpr RecordLayout DWDM49TOTAL   {50, 164, 168, 172, 112, 52, 108, 0,       -1, -1};
constexpr RecordLayout MPO12         {12,  36,  40,  44,  -1,  0,  -1, 0,       32, 34};
constexpr RecordLayout MPO24         {24,  60,  64,  68,  -1,  0,  -1, 0,       56, 58};
constexpr RecordLayout MPO16         {16,  44,  48,  52,  -1,  0,  -1, 0,       40, 42};
constexpr RecordLayout MPO32         {32,  76,  80,  84,  -1,  0,  -1, 0,       72, 74};

// The one layout of each kind whose meters all send the same, by kind code from Kind::First;
// nullptr where the firmware decides (below) or the record comes in halves.
constexpr const RecordLayout* FixedLayouts[Kind::Count] = {
    nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &Tarnex57, &Tarnex64, &DWDM49TOTAL,
    &MPO12, &MPO24, &MPO16, &MPO32};

constexpr const RecordLayout* AllLayouts[] = {
    &CWDM18Early, &CWDM18Late, &DWDM48Plain, &DWDM48Named, &DWDM48Flagged, &Vendral8Plain,
    &Vendral8Named, &Tarnex8Plain, &Tarnex8Named, &Tarnex56EarlyPlain, &Tarnex56EarlyNamed,
    &Tarnex56Late, &Tarnex57, &Tarnex64, &DWDM49TOTAL, &MPO12, &MPO24, &MPO16, &MPO32};

constexpr bool allFitOneRead()
{
    for (const RecordLayout* l : AllLayouts) {
        if (extent(*l) > MaxFieldEnd)
            return false;
    }
    return true;
}
static_assert(allFitOneRead(), "every record layout must fit one read of 255 bytes");

} // namespace

const RecordLayout* selectLayout(int kind, quint8 lengthLow, const Version& hw, const Version& fw)
{
    const int fwNumber = fw.number();
    const int hwNumber = hw.number();
    switch (kind) {
    case Kind::CWDM18:
        return fwNumber < 374 ? &CWDM18Early : &CWDM18Late;
    case Kind::DWDM48:
        if (lengthLow == 0xC9)
            return &DWDM48Flagged;
        return fw.major > 1 && fw.minor > 1 ? &DWDM48Named : &DWDM48Plain;
    case Kind::Vendral8:
        return (hwNumber == 301 && fwNumber >= 128) || hwNumber >= 303 ? &Vendral8Named
                                                                         : &Vendral8Plain;
    case Kind::Tarnex8:
        return fwNumber > 400 ? &Tarnex8Named : &Tarnex8Plain;
    case Kind::Tarnex56:
        if (fwNumber >= 200)
            return &Tarnex56Late;
        return fwNumber > 136 ? &Tarnex56EarlyNamed : &Tarnex56EarlyPlain;
    default:
        return kindInfo(kind) ? FixedLayouts[kind - Kind::First] : nullptr;
    }
}

} // namespace Decoder
