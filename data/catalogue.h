#pragma once

#include <QString>
#include <QStringList>

// The device kinds and the fixed channel label tables shared by the detail view, the CSV files
// and the graph. Pure data and lookups: no state, no widgets.

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
}

struct KindInfo {
    int code;
    const char* name;
    int readings;  // channels plus the total reading where there is one
    int channels;
    bool hasTotal;
    bool isMpo;
};

// nullptr for 0 and every other code outside 1..13.
const KindInfo* kindInfo(int kind);
// Empty for an unknown kind.
QString kindName(int kind);
// 0 for an unknown kind.
int readingsUsed(int kind);
int channelCount(int kind);
bool hasTotalReading(int kind);
bool isMpoKind(int kind);

const QStringList& cwdm18Wavelengths();
const QStringList& lanWdmWavelengths();
const QStringList& lanWdmFrequencies();
const QStringList& cwdm4Wavelengths();
const QStringList& tarnex8Wavelengths();
const QStringList& totalWavelengths();
const QStringList& dwdm48Frequencies();
const QStringList& dwdm48Wavelengths();
const QStringList& dwdm96Frequencies();
const QStringList& dwdm96Wavelengths();
const QStringList& dwdm49Frequencies();
const QStringList& dwdm49Wavelengths();
const QStringList& tarnex56Wavelengths();
const QStringList& tarnex56Frequencies();
const QStringList& tarnex57Wavelengths();
const QStringList& tarnex57Frequencies();
const QStringList& tarnex64Wavelengths();
const QStringList& tarnex64Frequencies();

// The label table of a kind in the given display unit; nullptr for MPO kinds and unknown codes.
const QStringList* labelTable(int kind, bool displayFreq);

// Vendral8 meters whose product name contains "-8N-40" (any case) carry CWDM-4 optics, so their
// channels are labelled by that table in either unit.
const QStringList& vendral8Labels(const QString& productName, bool displayFreq);

enum class DwdmGrid { Grid48, Grid49, Grid96 };

int gridChannelCount(DwdmGrid grid);
// ITU channel number N of grid channel k (f = 190.0 THz + N x 0.1 THz); 0 when k is off the grid.
double ituChannelNumber(DwdmGrid grid, int k);
// "64" ... "17" for the 100 GHz grids, "64.5" "64.0" ... "17.0" for the 50 GHz grid; empty when
// k is off the grid.
QString ituChannelText(DwdmGrid grid, int k);

// "T_" plus the totalWavelengths entry for 0..3, "Total" for any other value.
QString totalLabel(int value);
