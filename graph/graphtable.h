#pragma once

#include "data/kinds.h"

#include <QString>
#include <QStringList>

// The bar-graph layout of every device kind, read from its kind row: which readings each panel
// draws, on how long an axis and at which height, where the channel texts sit, and the window
// size all that needs. Pure data and lookups: no state, no widgets.
namespace Graph {

using Panel = GraphPanel;
using Layout = GraphLayout;

constexpr int FirstType = 0;
constexpr int LastType = Kind::Count - 1;

// The graph type of a kind; -1 for a code that names no kind.
int typeOfKind(int kind);
// The kind a graph of `type` draws; 0 for a type outside FirstType..LastType.
int kindOfType(int type);

// nullptr for a type outside FirstType..LastType.
const Layout* layoutForType(int type);
// nullptr for a code that names no kind.
const Layout* layoutForKind(int kind);

// The labels a graph of `kind` copies, one per reading, in the chosen unit; empty for an unknown
// kind. Where the kind's records name their own total, `totalLabel` is the last one, not the
// table's "Total".
QStringList labels(int kind, bool displayFreq, const QString& totalLabel = QString());

} // namespace Graph
