#pragma once

#include "data/kinds.h"

#include <QString>
#include <QStringList>

// The fixed channel label tables shared by the detail view, the CSV files and the graph, and the
// DWDM grids they are built on. Pure data and lookups: no state, no widgets.

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

// Vendral8 meters whose product name contains "-8N-40" (any case) carry CWDM-4 optics, so their
// channels are labelled by that table in either unit.
const QStringList& vendral8Labels(const QString& productName, bool displayFreq);

int gridChannelCount(DwdmGrid grid);
// ITU channel number N of grid channel k (f = 190.0 THz + N x 0.1 THz); 0 when k is off the grid.
double ituChannelNumber(DwdmGrid grid, int k);
// "64" ... "17" for the 100 GHz grids, "64.5" "64.0" ... "17.0" for the 50 GHz grid; empty when
// k is off the grid.
QString ituChannelText(DwdmGrid grid, int k);

// "T_" plus the totalWavelengths entry for 0..3, "Total" for any other value.
QString totalLabel(int value);
