#include "protocol/recordlayouts.h"

#include "data/catalogue.h"
#include "data/limits.h"

namespace Decoder {

namespace {

using S = RecordSignal;

//                                    values entries date time name onOff size tIdx fixed mode polar
constexpr RecordLayout CWDM18Early   {S::CWDM18, 18, 18, 44, 48, 52, -1, 0, -1, 0, -1, -1};
constexpr RecordLayout CWDM18Late    {S::CWDM18, 18, 18, 64, 68, 72, -1, 0, -1, 0, -1, -1};
// The two readings the meter does not send stay at -9900.
constexpr RecordLayout DWDM48Plain   {S::DWDM48, 48, 50, 104, 108, -1, -1, 0, -1, 0, -1, -1};
constexpr RecordLayout DWDM48Named   {S::DWDM48, 48, 50, 152, 156, 160, -1, 0, -1, 0, -1, -1};
constexpr RecordLayout DWDM48Big     {S::DWDM48Big, 50, 50, 164, 168, 172, 112, 52, 108, 0, -1, -1};
constexpr RecordLayout Vendral8Plain {S::Vendral8, 6, 6, 20, 24, -1, -1, 0, -1, 0, -1, -1};
constexpr RecordLayout Vendral8Named {S::Vendral8, 6, 6, 20, 24, 28, -1, 0, -1, 0, -1, -1};
constexpr RecordLayout Tarnex8Plain  {S::Tarnex8, 10, 10, 28, 32, -1, -1, 0, -1, 0, -1, -1};
constexpr RecordLayout Tarnex8Named  {S::Tarnex8, 10, 10, 28, 32, 36, -1, 0, -1, 0, -1, -1};
// Early Tarnex56 firmware sends 56 readings and no total index; the record still has 58.
constexpr RecordLayout Tarnex56EarlyPlain {S::Tarnex56, 56, 58, 176, 180, -1, 120, 60, -1, NoTotal, -1, -1};
constexpr RecordLayout Tarnex56EarlyNamed {S::Tarnex56, 56, 58, 176, 180, 184, 120, 60, -1, NoTotal, -1, -1};
constexpr RecordLayout Tarnex56Late  {S::Tarnex56, 58, 58, 184, 188, 192, 124, 60, 220, 0, -1, -1};
constexpr RecordLayout Tarnex57      {S::Tarnex57, 58, 58, 184, 188, 192, 124, 60, 220, 0, -1, -1};
// The on/off block overlaps the last readings; it is read as the meter lays it out.
constexpr RecordLayout Tarnex64      {S::Tarnex64, 65, 65, 208, 212, 216, 124, 68, 244, 0, -1, -1};
constexpr RecordLayout DWDM49TOTAL   {S::DWDM49TOTAL, 50, 50, 164, 168, 172, 112, 52, 108, 0, -1, -1};
constexpr RecordLayout MPO12         {S::MPO12, 12, 12, 36, 40, 44, -1, 0, -1, 0, 32, 34};
constexpr RecordLayout MPO24         {S::MPO24, 24, 24, 60, 64, 68, -1, 0, -1, 0, 56, 58};
constexpr RecordLayout MPO16         {S::MPO16, 16, 16, 44, 48, 52, -1, 0, -1, 0, 40, 42};
constexpr RecordLayout MPO32         {S::MPO32, 32, 32, 76, 80, 84, -1, 0, -1, 0, 72, 74};

constexpr const RecordLayout* AllLayouts[] = {
    &CWDM18Early, &CWDM18Late, &DWDM48Plain, &DWDM48Named, &DWDM48Big, &Vendral8Plain,
    &Vendral8Named, &Tarnex8Plain, &Tarnex8Named, &Tarnex56EarlyPlain, &Tarnex56EarlyNamed,
    &Tarnex56Late, &Tarnex57, &Tarnex64, &DWDM49TOTAL, &MPO12, &MPO24, &MPO16, &MPO32};

constexpr bool allFitOneRead()
{
    for (const RecordLayout* l : AllLayouts) {
        if (extent(*l) > MaxFieldEnd || l->entries < l->values)
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
            return &DWDM48Big;
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
    case Kind::Tarnex57:
        return &Tarnex57;
    case Kind::Tarnex64:
        return &Tarnex64;
    case Kind::DWDM49TOTAL:
        return &DWDM49TOTAL;
    case Kind::MPO12:
        return &MPO12;
    case Kind::MPO24:
        return &MPO24;
    case Kind::MPO16:
        return &MPO16;
    case Kind::MPO32:
        return &MPO32;
    default:
        return nullptr;
    }
}

} // namespace Decoder
