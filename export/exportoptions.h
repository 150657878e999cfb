#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What velumin-export was asked to do, from its command line.
struct ExportOptions {
    bool list = false;
    bool archived = false; // list the archived downloads
    bool team = false;     // --archived and --from-archive read the team archive
    bool push = false;     // push the downloads that wait to the team archive
    bool initTeam = false; // make or bring up to date the team archive's tables
    QString fromArchive;   // the id of an archived download to report instead of a port's
    bool noArchive = false;
    QString job; // the job this run's download is archived under
    QString port;        // a COM name or a device path
    int deviceIndex = 0; // the device selection, as the window's chooser numbers it
    int kind = 0;        // the kind that selection decodes
    QString csv;         // "-": standard output; MPO kinds: may hold "%n"
    QString pdf;
    QString json;
    QString limitsFile;
    QString referenceFile;               // loss against this reference file ...
    std::optional<int> referenceRecord;  // ... or against this record of the download, from 0
    QString budgetFile;
    QString jobFile; // the PDF report's job block
    std::optional<int> record;       // MPO kinds: the record the CSV report holds, from 0
    std::optional<bool> displayFreq; // none: the window's stored setting
    bool quiet = false;
    int timeoutSeconds = 5;

    // A report or a verdict asked for: the records are downloaded.
    bool downloads() const
    {
        return !csv.isEmpty() || !pdf.isEmpty() || !json.isEmpty() || !limitsFile.isEmpty() ||
               !referenceFile.isEmpty() || referenceRecord.has_value();
    }
    // Loss is judged against a reference.
    bool judgesLoss() const { return !referenceFile.isEmpty() || referenceRecord.has_value(); }
    // The records come from a meter, and are archived unless told not to be.
    bool archives() const { return fromArchive.isEmpty() && !noArchive && downloads(); }
    // The CSV file of MPO record `index`: the pattern with "%n" replaced, or the file itself.
    QString csvFileFor(int index) const;
};

namespace ExportCommandLine {

enum class Parsed { Run, Help, Version, Error };

// Reads the arguments (the program name first). On Error, `error` says what is wrong in one
// line.
Parsed parse(const QStringList& arguments, ExportOptions* options, QString* error);

// What is wrong with --record and --csv for the options' kind; empty when nothing is.
QString recordProblem(const ExportOptions& options);

// The text of --help.
QString helpText();

// The device selection index a --type text means: a kind's name (any case), a chooser entry's
// text, or the chooser index 1 to 3; 0 when it means none.
int deviceIndexForType(const QString& type);

} // namespace ExportCommandLine
