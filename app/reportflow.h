#pragma once

#include "files/report.h"

#include <QString>

#include <functional>
#include <optional>

class QWidget;

// Save Data and the exported reports as the user goes through them, the same from the main
// window and from the archive window: the file name asked for, the file written, and what is
// said when it could not be.
namespace ReportFlow {

// The folder reports are proposed in: beside the program, else the documents folder, else home.
QString folder();
// The name Save Data proposes for a meter's product: the folder alone when it is unknown.
QString saveStartPath(const QString& product);

// Save Data: asks for the CSV file's name, proposing `start`, and writes the report `build`
// makes then. The MPO kinds save the selected record alone, so without `selected` nothing is
// asked; neither when `build` finds no record to save.
void saveData(QWidget* parent, int kind, bool selected, const QString& start,
              const std::function<std::optional<Report>()>& build);

// Writes `report` in the format `formatId` ("pdf", "json") under a name asked for with `title`,
// proposed from `product`. Long reports show their progress and can be cancelled. With
// `askJob`, the job block is asked for first (askJobBlock) and printed in the report.
void exportReport(QWidget* parent, const char* formatId, const QString& title,
                  const QString& product, Report report, bool askJob = false);

// The job block dialog, filled in with the one in force; what was accepted is in force then and
// in `job`. False when the dialog was cancelled.
bool askJobBlock(QWidget* parent, JobBlock* job);

} // namespace ReportFlow
