#pragma once

#include "export/exportoptions.h"

#include <QString>

// Where velumin-export's reports go.
namespace ReportFiles {

// The file `path` names, for comparing: its canonical path, or that of its folder and its name
// when it does not exist yet.
QString target(const QString& path);

// Why the reports and the limits file of `options` cannot all have files of their own: two of
// them name one file, also where a CSV file name with %n would become another's. Empty when
// each has its own.
QString clash(const ExportOptions& options);

} // namespace ReportFiles
