#include "graph/graphtable.h"

#include "data/catalogue.h"

#include <iterator>

namespace Graph {

namespace {

// One row per graph type, in type order; the kinds are not in the same order (2 and 3 swap).
constexpr Layout layouts[] = {
    {0, Kind::CWDM18, 18, 460, 350, 330, 1, {{0, 18, 18, 0}, {}}},
    {1, Kind::DWDM48, 49, 1060, 370, 345, 1, {{0, 49, 49, 0}, {}}},
    {2, Kind::DWDM96, 96, 1060, 690, 345, 2, {{0, 48, 48, 0}, {48, 48, 48, 320}}},
    {3, Kind::Vendral8, 5, 500, 320, 300, 1, {{0, 5, 5, 0}, {}}},
    {4, Kind::Tarnex8, 10, 320, 360, 330, 1, {{0, 10, 10, 0}, {}}},
    {5, Kind::Tarnex56, 57, 670, 710, 345, 2, {{0, 28, 28, 0}, {28, 29, 29, 350}}},
    {6, Kind::Tarnex57, 58, 680, 730, 345, 2, {{0, 29, 29, 0}, {29, 29, 29, 350}}},
    {7, Kind::Tarnex64, 65, 750, 730, 345, 2, {{0, 33, 33, 0}, {33, 32, 33, 350}}},
    {8, Kind::DWDM49TOTAL, 50, 1100, 370, 345, 1, {{0, 50, 50, 0}, {}}},
    {9, Kind::MPO12, 12, 500, 340, 330, 1, {{0, 12, 12, 0}, {}}},
    {10, Kind::MPO24, 24, 600, 340, 330, 1, {{0, 24, 24, 0}, {}}},
    {11, Kind::MPO16, 16, 420, 340, 330, 1, {{0, 16, 16, 0}, {}}},
    {12, Kind::MPO32, 32, 720, 340, 330, 1, {{0, 32, 32, 0}, {}}},
};
static_assert(std::size(layouts) == LastType - FirstType + 1);

} // namespace

const Layout* layoutForType(int type)
{
    if (type < FirstType || type > LastType)
        return nullptr;
    return &layouts[type - FirstType];
}

const Layout* layoutForKind(int kind)
{
    for (const Layout& layout : layouts) {
        if (layout.kind == kind)
            return &layout;
    }
    return nullptr;
}

bool isShortAxis(int type)
{
    return type == 3;
}

bool isMpoType(int type)
{
    return type >= 9 && type <= 12;
}

QStringList labels(int kind, bool displayFreq, const QString& totalLabel)
{
    const Layout* layout = layoutForKind(kind);
    if (!layout)
        return {};
    QStringList out;
    if (isMpoKind(kind)) {
        for (int n = 1; n <= layout->count; ++n)
            out.append(QString::number(n));
        return out;
    }
    // Vendral-8's four lanes keep their wavelength labels in either unit.
    const bool byFrequency = kind != Kind::Vendral8 && displayFreq;
    const QStringList* table = labelTable(kind, byFrequency);
    if (!table)
        return {};
    out = table->mid(0, layout->count);
    if (kind == Kind::DWDM49TOTAL)
        out.last() = totalLabel;
    // A table shorter than the graph would leave bars unlabelled, never unread.
    while (out.size() < layout->count)
        out.append(QString());
    return out;
}

} // namespace Graph
