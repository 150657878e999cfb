#include "graph/graphtable.h"

#include "data/catalogue.h"

namespace Graph {

int typeOfKind(int kind)
{
    // Types count the kinds from 0 in the meter's device-index order.
    const KindInfo* info = kindInfo(kind);
    return info ? info->deviceIndex - 1 : -1;
}

int kindOfType(int type)
{
    const KindInfo* info = kindForDeviceIndex(type + 1);
    return info ? info->code : Kind::None;
}

const Layout* layoutForType(int type)
{
    return layoutForKind(kindOfType(type));
}

const Layout* layoutForKind(int kind)
{
    const KindInfo* info = kindInfo(kind);
    return info ? &info->graph : nullptr;
}

QStringList labels(int kind, bool displayFreq, const QString& totalLabel)
{
    const KindInfo* info = kindInfo(kind);
    if (!info)
        return {};
    QStringList out;
    if (info->isMpo) {
        for (int n = 1; n <= info->readings; ++n)
            out.append(QString::number(n));
        return out;
    }
    const QStringList* table = labelTable(kind, displayFreq && !info->graph.labelsInNm);
    if (!table)
        return {};
    out = table->mid(0, info->readings);
    if (info->graph.recordTotal)
        out.last() = totalLabel;
    // A table shorter than the graph would leave bars unlabelled, never unread.
    while (out.size() < info->readings)
        out.append(QString());
    return out;
}

} // namespace Graph
