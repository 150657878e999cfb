#pragma once

#include <QString>

#include <functional>

class QIODevice;
class Report;

// Every report format in one table: its id, what a file dialog offers for it, and its writer.
// The window's Save Data and Export Report and velumin-export's --csv, --pdf and --json look
// their format up here by id; a new format is its writer's file, one row, and whatever names
// its id.
namespace ReportFormats {

enum class Outcome { Written, Cancelled, Failed };

// Called after each record; false cancels the report.
using Progress = std::function<bool(int done, int total)>;

// Writes `report` to `out`; `error` tells why a report failed.
using Writer = Outcome (*)(const Report& report, QIODevice& out, QString* error,
                           const Progress& progress);

struct Format {
    const char* id;     // "csv", as velumin-export's option --csv names it
    const char* suffix; // added to a name chosen without one
    const char* filter; // the file dialog's, in the window's translation context
    Writer write;
};

// The table's row of `id`, which it holds.
const Format& format(const char* id);

// Writes `report` to `path` through `format`. The file is written beside the target and renamed
// over it only when complete, so that a failed or cancelled report leaves an existing file as
// it was.
Outcome writeFile(const Format& format, const Report& report, const QString& path, QString* error,
                  const Progress& progress = {});

} // namespace ReportFormats
