#include "files/reportformats.h"

#include "files/csvreport.h"
#include "files/jsonreport.h"
#include "files/pdfreport.h"

#include <QCoreApplication>
#include <QSaveFile>

namespace ReportFormats {

namespace {

// In the order velumin-export's help lists them.
const Format formats[] = {
    {"csv", "csv", QT_TRANSLATE_NOOP("MainWindow", "CSV File (*.csv)"), CsvReport::write},
    {"pdf", "pdf", QT_TRANSLATE_NOOP("MainWindow", "PDF File (*.pdf)"), PdfReport::write},
    {"json", "json", QT_TRANSLATE_NOOP("MainWindow", "JSON File (*.json)"), JsonReport::write},
};

} // namespace

const Format& format(const char* id)
{
    for (const Format& f : formats) {
        if (qstrcmp(f.id, id) == 0)
            return f;
    }
    qFatal("no report format %s", id);
}

Outcome writeFile(const Format& format, const Report& report, const QString& path, QString* error,
                  const Progress& progress)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        *error = file.errorString();
        return Outcome::Failed;
    }
    const Outcome outcome = format.write(report, file, error, progress);
    if (outcome != Outcome::Written) {
        file.cancelWriting();
        return outcome;
    }
    if (!file.commit()) {
        *error = file.errorString();
        return Outcome::Failed;
    }
    return Outcome::Written;
}

} // namespace ReportFormats
