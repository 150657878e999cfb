#pragma once

#include <QString>
#include <QStringList>

// The bar-graph layout of every device kind: which readings each panel draws, on how long an
// axis and at which height, where the channel texts sit, and the window size all that needs.
// Pure data and lookups: no state, no widgets.
namespace Graph {

struct Panel {
    int first;     // 0-based index of the panel's first reading
    int bars;      // readings the panel draws
    int positions; // axis length in bar slots; Tarnex64's lower axis has one more than bars
    int offset;    // vertical offset of the panel in pixels
};

struct Layout {
    int type;  // graph type 0..12
    int kind;  // device kind code 1..13
    int count; // readings and labels a graph of this type copies
    int width; // fixed window size
    int height;
    int labelBase; // L: channel texts are placed relative to it
    int panelCount;
    Panel panels[2];
};

constexpr int FirstType = 0;
constexpr int LastType = 12;

// nullptr for a type outside 0..12.
const Layout* layoutForType(int type);
// nullptr for a kind code outside 1..13.
const Layout* layoutForKind(int kind);

// Vendral-8 meters draw on a shorter axis that ends at -40 dBm.
bool isShortAxis(int type);
// MPO fibres carry only their number under the bar and no unit at the axis end.
bool isMpoType(int type);

// The labels a graph of `kind` copies, exactly count of them in the chosen unit; empty for an
// unknown kind. DWDM49TOTAL's last label is its record's `totalLabel`, not the table's "Total".
QStringList labels(int kind, bool displayFreq, const QString& totalLabel = QString());

} // namespace Graph
