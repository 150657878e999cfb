#pragma once

#include "export/exportoptions.h"

#include <QString>
#include <QStringList>
#include <QTemporaryFile>

#include <functional>
#include <memory>
#include <vector>

class QIODevice;

// Where velumin-export's reports go, and how they get there: all of a run's reports or none.
namespace ReportFiles {

// The file `path` names, for comparing: its canonical path, or that of its folder and its name
// when it does not exist yet.
QString target(const QString& path);

// Why the reports and the limits file of `options` cannot all have files of their own: two of
// them name one file, also where a CSV file name with %n would become another's. Empty when
// each has its own.
QString clash(const ExportOptions& options);

// The reports of one run. Each is written to a temporary file in its destination folder; commit()
// renames them all over their targets once every one is complete. The report for standard output
// waits in a temporary file of its own until then. What is not committed is removed.
class Pending {
public:
    // A new, empty file for the report that goes to `path` ("-": standard output); nullptr, with
    // the reason in `error`, when it cannot be made.
    QIODevice* begin(const QString& path, QString* error);
    // Closes the report begun last; false, with the reason in `error`, when its bytes did not all
    // reach the file.
    bool end(QString* error);

    // Renames every report over its target, in the order they were begun. False, with the path
    // that failed and why, when a rename failed; `committed` names those renamed before it.
    bool commit(QStringList* committed, QString* failedPath, QString* error);
    // The paths begun, standard output left out.
    QStringList files() const;

    bool hasStandardOutput() const { return bool(m_standardOutput); }
    // After commit(): copies the report for standard output there piece by piece. False when a
    // write failed, or when `carryOn()` said no: it is asked before each piece and whenever a
    // signal cut a write short, so that a reader that stopped reading cannot hold the run.
    bool copyToStandardOutput(const std::function<bool()>& carryOn);

private:
    struct Entry {
        QString path;
        QString target;
        std::unique_ptr<QTemporaryFile> file;
    };
    std::vector<Entry> m_entries;
    std::unique_ptr<QTemporaryFile> m_standardOutput;
    QTemporaryFile* m_open = nullptr;
};

} // namespace ReportFiles
