#include "data/kinds.h"

#include "data/catalogue.h"

#include <array>

namespace {

constexpr auto Closed = ReportLayout::Closed;
constexpr auto Open = ReportLayout::Open;
constexpr auto NoGrid = DwdmGrid::None;
constexpr double Low = Limits::Low;
constexpr double ShortLow = Limits::ShortLow;
using N = NameTest;
using T = DecoderTrace;
using D = DetailRows;

// Every reading one row, numbered by position.
constexpr DetailRows plain(DwdmGrid grid)
{
    return {D::AllShown, grid, 0, 0, false, false, false, false, false, nullptr, false};
}

constexpr ReportLayout records(const char* heading, ReportLayout::Style style, DwdmGrid itu,
                               double lowLimit)
{
    return {ReportLayout::RecordRows, heading, style, itu, lowLimit, false};
}

// A fibre report has no label rows, and the standard low limit.
constexpr ReportLayout fibres(const char* suffix, bool nameOnLine2)
{
    return {ReportLayout::FibreRows, suffix, Open, NoGrid, Low, nameOnLine2};
}

// Five lines a kind:
//   code, device index, name, title, type label, readings, channels, stored, MPO, name test;
//   wavelength and frequency labels, "High" in the detail view, device-tree group, requests in
//   halves, debug trace;
//   detail rows;
//   report layout;
//   graph: width, height, label base, short axis, labels in nm, record's total label, panels.
// clang-format off
constexpr std::array<KindInfo, Kind::Count> kKinds{{
    {Kind::CWDM18, 1, "CWDM18", "CWDM-18", "CWDM Data", 18, 18, 18, false, N::FirstByte,
     cwdm18Wavelengths, nullptr, true, 0, false, T::TotalAndCount,
     plain(NoGrid),
     records(" CWDM-18 Data", Closed, NoGrid, Low),
     {460, 350, 330, false, false, false, 1, {{0, 18, 18, 0}, {}}}},
    // Older DWDM-48 meters send neither channel flags nor a total: every channel shows then.
    {Kind::DWDM48, 2, "DWDM48", "DWDM-48", "DWDM-48 Data", 49, 48, 50, false, N::FirstByte,
     dwdm48Wavelengths, dwdm48Frequencies, true, 1, false, T::None,
     {D::WithTotal, DwdmGrid::Grid48, 0, 0, false, false, true, false, false, nullptr, false},
     records("DWDM-48 Data", Open, DwdmGrid::Grid48, Low),
     {1060, 370, 345, false, false, false, 1, {{0, 49, 49, 0}, {}}}},
    // Vendral-8 "-8N-40" meters carry CWDM-4 optics; their total row has no number.
    {Kind::Vendral8, 4, "Vendral8", "Vendral-8", "Vendral Data", 5, 4, 5, false, N::FirstTwoBytes,
     lanWdmWavelengths, lanWdmFrequencies, true, 3, false, T::DateBytes,
     {D::AllShown, NoGrid, 0, 0, false, true, false, false, false, vendral8Labels, false},
     records("Vendral-8 Data", Open, NoGrid, ShortLow),
     {500, 320, 300, true, true, false, 1, {{0, 5, 5, 0}, {}}}},
    {Kind::DWDM96, 3, "DWDM96", "DWDM-96", "DWDM-96 Data", 96, 96, 96, false, N::Always,
     dwdm96Wavelengths, dwdm96Frequencies, true, 2, true, T::None,
     plain(DwdmGrid::Grid96),
     records("DWDM-96 Data", Open, NoGrid, Low),
     {1060, 690, 345, false, false, false, 2, {{0, 48, 48, 0}, {48, 48, 48, 320}}}},
    // Tarnex-8 meters have no high limit in the detail view.
    {Kind::Tarnex8, 5, "Tarnex8", "Tarnex-8", "Tarnex-10 Data", 10, 10, 10, false, N::FirstTwoBytes,
     tarnex8Wavelengths, nullptr, false, 4, false, T::None,
     plain(NoGrid),
     records(" Tarnex-8 Data", Open, NoGrid, ShortLow),
     {320, 360, 330, false, false, false, 1, {{0, 10, 10, 0}, {}}}},
    // Tarnex meters list only the channels they flag as on, fixed wavelengths first, numbered as
    // shown and labelled in nm; early Tarnex-56 firmware sends no total.
    {Kind::Tarnex56, 6, "Tarnex56", "Tarnex-56", "Caspel Data", 57, 56, 58, false, N::FirstTwoBytes,
     tarnex56Wavelengths, tarnex56Frequencies, true, 5, false, T::None,
     {D::Flagged, NoGrid, 8, 72, true, false, true, false, true, nullptr, true},
     records(" Caspel(56ch) Data", Open, NoGrid, ShortLow),
     {670, 710, 345, false, false, false, 2, {{0, 28, 28, 0}, {28, 29, 29, 350}}}},
    {Kind::Tarnex57, 7, "Tarnex57", "Tarnex-57", "Caspel Data", 58, 57, 58, false, N::FirstTwoBytes,
     tarnex57Wavelengths, tarnex57Frequencies, true, 5, false, T::None,
     {D::Flagged, NoGrid, 8, 70, true, false, false, true, true, nullptr, false},
     records(" Caspel(57ch) Data", Open, NoGrid, ShortLow),
     {680, 730, 345, false, false, false, 2, {{0, 29, 29, 0}, {29, 29, 29, 350}}}},
    {Kind::Tarnex64, 8, "Tarnex64", "Tarnex-64", "Caspel(64ch) Data", 65, 64, 65, false, N::FirstTwoBytes,
     tarnex64Wavelengths, tarnex64Frequencies, true, -1, false, T::NameWithColon,
     {D::Flagged, NoGrid, 15, 77, true, false, false, true, true, nullptr, false},
     records(" Caspel(64ch) Data", Open, NoGrid, ShortLow),
     {750, 730, 345, false, false, false, 2, {{0, 33, 33, 0}, {33, 32, 33, 350}}}},
    {Kind::DWDM49TOTAL, 9, "DWDM49TOTAL", "DWDM-49 Total", "Pelkin Data", 50, 49, 50, false, N::FirstByte,
     dwdm49Wavelengths, dwdm49Frequencies, true, 5, false, T::Name,
     {D::AllShown, DwdmGrid::Grid49, 0, 0, false, false, false, true, false, nullptr, false},
     records("Pelkin Data", Closed, DwdmGrid::Grid49, ShortLow),
     {1100, 370, 345, false, false, true, 1, {{0, 50, 50, 0}, {}}}},
    {Kind::MPO12, 10, "MPO12", "MPO-12", "MPO Data", 12, 12, 12, true, N::FirstTwoBytes,
     nullptr, nullptr, true, -1, false, T::None,
     plain(NoGrid),
     fibres("MPO Data", true),
     {500, 340, 330, false, false, false, 1, {{0, 12, 12, 0}, {}}}},
    {Kind::MPO24, 11, "MPO24", "MPO-24", "MPO24 Data", 24, 24, 24, true, N::FirstTwoBytes,
     nullptr, nullptr, true, -1, false, T::NameWithColon,
     plain(NoGrid),
     fibres("MPO24 Data", false),
     {600, 340, 330, false, false, false, 1, {{0, 24, 24, 0}, {}}}},
    {Kind::MPO16, 12, "MPO16", "MPO-16", "MPO16 Data", 16, 16, 16, true, N::FirstTwoBytes,
     nullptr, nullptr, true, -1, false, T::None,
     plain(NoGrid),
     fibres("MPO16 Data", true),
     {420, 340, 330, false, false, false, 1, {{0, 16, 16, 0}, {}}}},
    {Kind::MPO32, 13, "MPO32", "MPO-32", "MPO32 Data", 32, 32, 32, true, N::FirstTwoBytes,
     nullptr, nullptr, true, -1, false, T::NameWithColon,
     plain(NoGrid),
     fibres("MPO32 Data", true),
     {720, 340, 330, false, false, false, 1, {{0, 32, 32, 0}, {}}}},
}};
// clang-format on

constexpr bool rowsFollowCodes()
{
    for (std::size_t i = 0; i < kKinds.size(); ++i) {
        if (kKinds[i].code != Kind::First + static_cast<int>(i))
            return false;
    }
    return true;
}
static_assert(rowsFollowCodes(), "kind rows must be in kind-code order");

constexpr bool deviceIndexesAreUnique()
{
    for (const KindInfo& a : kKinds) {
        for (const KindInfo& b : kKinds) {
            if (&a != &b && a.deviceIndex == b.deviceIndex)
                return false;
        }
        if (a.stored < a.readings)
            return false;
    }
    return true;
}
static_assert(deviceIndexesAreUnique(), "one kind per device index, and room for its readings");

} // namespace

const KindInfo* kindInfo(int kind)
{
    if (kind < Kind::First || kind > Kind::Last)
        return nullptr;
    return &kKinds[static_cast<std::size_t>(kind - Kind::First)];
}

QString kindName(int kind)
{
    const KindInfo* info = kindInfo(kind);
    return info ? QString::fromLatin1(info->name) : QString();
}

QString kindTitle(int kind)
{
    const KindInfo* info = kindInfo(kind);
    return info ? QString::fromLatin1(info->title) : QString();
}

int readingsUsed(int kind)
{
    const KindInfo* info = kindInfo(kind);
    return info ? info->readings : 0;
}

int channelCount(int kind)
{
    const KindInfo* info = kindInfo(kind);
    return info ? info->channels : 0;
}

bool hasTotalReading(int kind)
{
    const KindInfo* info = kindInfo(kind);
    return info && info->readings > info->channels;
}

bool isMpoKind(int kind)
{
    const KindInfo* info = kindInfo(kind);
    return info && info->isMpo;
}

const QStringList* labelTable(int kind, bool displayFreq)
{
    const KindInfo* info = kindInfo(kind);
    if (!info || !info->wavelengths)
        return nullptr;
    return displayFreq && info->frequencies ? &info->frequencies() : &info->wavelengths();
}

const KindInfo* kindForDeviceIndex(int index)
{
    for (const KindInfo& info : kKinds) {
        if (info.deviceIndex == index)
            return &info;
    }
    return nullptr;
}

const QStringList& deviceChooserEntries()
{
    static const QStringList entries = {
        QStringLiteral("NONE"), QStringLiteral("CWDM-18 (Ruvo 730)"),
        QStringLiteral("DWDM-48 (Ruvo 720)"), QStringLiteral("Vendral-8 (Ruvo 710)")};
    return entries;
}
