#pragma once

#include "data/limits.h"

#include <QString>
#include <QStringList>

// One row per device kind holds every fact about it that needs no code: its name, its readings
// and their labels, how its records are listed, reported, drawn and placed in the device tree.
// The intake, the detail view, the report, the graph and the window all read that row. Pure
// data and lookups: no state, no widgets.

namespace Kind {
enum Code {
    None = 0,
    CWDM18 = 1,
    DWDM48,
    Vendral8,
    DWDM96,
    Tarnex8,
    Tarnex56,
    Tarnex57,
    Tarnex64,
    DWDM49TOTAL,
    MPO12,
    MPO24,
    MPO16,
    MPO32,
};
constexpr int First = CWDM18;
constexpr int Last = MPO32;
constexpr int Count = Last - First + 1;
} // namespace Kind

// Which name bytes decide that a record is named; an unnamed record is listed by its number.
enum class NameTest {
    FirstByte,     // named when byte 0 is not zero
    FirstTwoBytes, // named when byte 0 or byte 1 is not zero
    Always,        // the name column always shows the name, empty or not
};

// The DWDM grids that channels follow; None for channels on no grid.
enum class DwdmGrid { None, Grid48, Grid49, Grid96 };

// A label table, built on first use.
using LabelTable = const QStringList& (*)();
// A label table chosen by the meter's product name.
using ProductLabels = const QStringList& (*)(const QString& productName, bool displayFreq);

// How the detail view lists a record: which readings get a row, how rows are numbered and what
// the ITU and label columns say. The MPO kinds list fibres with their test wavelength and
// polarity instead.
struct DetailRows {
    enum OnOff {
        AllShown,  // every reading has a row
        WithTotal, // the on/off flags choose the rows, once the record carries a total
        Flagged,   // the on/off flags always choose the rows
    };
    OnOff onOff;
    DwdmGrid grid;         // the ITU column from this grid
    int fixed;             // off the grid: readings before this one have "-" as ITU channel,
    int ituBase;           // the others ituBase - i; 0 for no ITU numbers at all
    bool numberedAsShown;  // rows numbered 1, 2, ... as shown rather than by reading
    bool totalUnnumbered;  // the total row has an empty number
    bool totalNeedsIndex;  // a record with NoTotal has no total row
    bool totalFromRecord;  // the total is labelled by the record's total index, not the table
    bool inNm;             // by wavelength whatever the display unit
    ProductLabels productLabels; // nullptr: the kind's own tables
    bool traceTotalIndex;  // the debug line "totalIndex:" before the rows
};

// What the link's debug output says of a decoded record of the kind.
enum class DecoderTrace { None, TotalAndCount, DateBytes, NameWithColon, Name };

// How Save Data writes a kind's records. Record rows carry the label rows Channel and
// Wavelength, Frequency where the kind has frequency labels, and ITU where `itu` names a grid.
struct ReportLayout {
    // Every record one line; or the selected record one line per fibre.
    enum Form { RecordRows, FibreRows };
    // Closed: every label row ends with a comma.
    enum Style { Closed, Open };

    Form form;
    const char* heading; // record rows: line 1; fibre rows: what follows the product name
    Style style;
    DwdmGrid itu;
    double lowLimit;  // below this a reading is written "Low"
    bool nameOnLine2; // fibre rows: the record's name follows its time
};

// How Graph Data draws a record: every reading one bar, panel after panel.
struct GraphPanel {
    int first;     // 0-based index of the panel's first reading
    int bars;      // readings the panel draws
    int positions; // axis length in bar slots; Tarnex64's lower axis has one more than bars
    int offset;    // vertical offset of the panel in pixels
};

struct GraphLayout {
    int width; // fixed window size
    int height;
    int labelBase;    // L: channel texts are placed relative to it
    bool shortAxis;   // the axis ends at Limits::ShortLow, nearer the top
    bool labelsInNm;  // by wavelength whatever the display unit
    bool recordTotal; // the last bar carries the record's own total label
    int panelCount;
    GraphPanel panels[2];
};

struct KindInfo {
    int code;
    int deviceIndex; // its entry in the meter's device selection (and graph type + 1)
    const char* name;
    const char* title;     // the name people read: "CWDM-18", "MPO-12"
    const char* typeLabel; // column 1 of the record list
    int readings;          // channels plus the total reading where there is one
    int channels;
    int stored; // readings a record keeps: the meter's array, which may hold a spare entry
    bool isMpo; // fibres of an MPO connector, numbered rather than labelled
    NameTest nameTest;
    LabelTable wavelengths; // nullptr for MPO kinds
    LabelTable frequencies; // nullptr where channels are labelled by wavelength in either unit
    bool detailHigh;        // the detail view writes "High" above Limits::High
    int deviceGroup;        // index of the kind's group in the device tree; -1 for none
    bool requestsHalves;    // records are asked for in two halves
    DecoderTrace trace;
    DetailRows detail;
    ReportLayout report;
    GraphLayout graph;
};

// nullptr for 0 and every other code outside First..Last.
const KindInfo* kindInfo(int kind);
// Empty for an unknown kind.
QString kindName(int kind);
// "CWDM-18", as messages name the kind; empty for an unknown kind.
QString kindTitle(int kind);
// 0 for an unknown kind.
int readingsUsed(int kind);
int channelCount(int kind);
bool hasTotalReading(int kind);
bool isMpoKind(int kind);

// The label table of a kind in the given display unit; nullptr for MPO kinds and unknown codes.
const QStringList* labelTable(int kind, bool displayFreq);

// The kind that device selection index `index` stands for; nullptr for none.
const KindInfo* kindForDeviceIndex(int index);

// The entries of the window's device type chooser, "NONE" first; entry i is device selection
// index i, which the link decodes by.
const QStringList& deviceChooserEntries();
