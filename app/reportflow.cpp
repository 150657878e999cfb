#include "app/reportflow.h"

#include "app/prompts.h"
#include "data/kinds.h"
#include "data/lossstore.h"
#include "dialogs/jobblockdialog.h"
#include "files/csvreport.h"
#include "files/reportformats.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProgressDialog>
#include <QStandardPaths>

namespace ReportFlow {

namespace {

// The texts are the main window's, where they were first said.
QString tr(const char* text)
{
    return QCoreApplication::translate("MainWindow", text);
}

} // namespace

QString folder()
{
    // Beside the program, so that a copy run from a stick or a share keeps its reports with it;
    // an installed program's directory is not writable, so the documents folder is proposed then.
    QString dir = QCoreApplication::applicationDirPath();
    if (!QFileInfo(dir).isWritable())
        dir = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(dir).isDir())
        dir = QDir::homePath();
    return dir;
}

QString saveStartPath(const QString& product)
{
    const QString dir = folder();
    return product.isEmpty() ? dir : dir + QLatin1Char('/') + CsvReport::proposedFileName(product);
}

void saveData(QWidget* parent, int kind, bool selected, const QString& start,
              const std::function<std::optional<Report>()>& build)
{
    // Checked before the dialog, so that no file is chosen, let alone emptied, for nothing.
    if (isMpoKind(kind) && !selected) {
        Prompts::warning(parent, QCoreApplication::applicationName(), tr("Data is not selected!"));
        return;
    }
    // A name typed without a suffix gets ".csv", so that Open Data's filter lists it.
    const ReportFormats::Format& csv = ReportFormats::format("csv");
    const QString path =
        Prompts::fileName(parent, {Prompts::FileRequest::Save, tr("Save Data"), start,
                                   tr(csv.filter), QString::fromLatin1(csv.suffix)});
    if (path.isEmpty())
        return;
    // Built after the dialog: records that arrived while it was open are in the file too.
    const std::optional<Report> report = build();
    if (!report) {
        Prompts::warning(parent, QCoreApplication::applicationName(), tr("Data is not selected!"));
        return;
    }
    // A failed save leaves an existing file as it was.
    QString error;
    if (ReportFormats::writeFile(csv, *report, path, &error) != ReportFormats::Outcome::Written) {
        Prompts::warning(parent, tr("Warning"),
                         tr("The data was not saved to %1:\n%2").arg(path, error));
        return;
    }
    Prompts::information(parent, tr("Complete"), tr("Complete Save"));
}

void exportReport(QWidget* parent, const char* formatId, const QString& title,
                  const QString& product, Report report, bool askJob)
{
    if (report.count() == 0) {
        Prompts::information(parent, title, tr("There are no records to report."));
        return;
    }
    if (askJob) {
        JobBlock job;
        if (!askJobBlock(parent, &job))
            return;
        report.setJob(job, report.job());
    }
    const ReportFormats::Format& format = ReportFormats::format(formatId);
    const QString start =
        folder() + QLatin1Char('/') +
        (product.isEmpty() ? QStringLiteral("report") : CsvReport::proposedFileName(product)) +
        QLatin1Char('.') + QString::fromLatin1(format.suffix);
    const QString path =
        Prompts::fileName(parent, {Prompts::FileRequest::Save, title, start, tr(format.filter),
                                   QString::fromLatin1(format.suffix)});
    if (path.isEmpty())
        return;
    // Long reports show their progress and can be cancelled; short ones never flash a dialog.
    QProgressDialog progress(tr("Writing the report…"), tr("Cancel"), 0, report.count(), parent);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1000);
    QString error;
    const ReportFormats::Outcome outcome =
        ReportFormats::writeFile(format, report, path, &error, [&progress](int done, int) {
            progress.setValue(done);
            return !progress.wasCanceled();
        });
    progress.reset();
    if (outcome == ReportFormats::Outcome::Failed)
        Prompts::warning(parent, tr("Warning"),
                         tr("The report was not written to %1:\n%2").arg(path, error));
    else if (outcome == ReportFormats::Outcome::Written)
        Prompts::information(parent, title, tr("The report was written to %1.").arg(path));
}

bool askJobBlock(QWidget* parent, JobBlock* job)
{
    JobBlockDialog dialog(LossStore::jobBlock(), parent);
    dialog.setLogoChooser([&dialog](const QString& current) {
        return Prompts::fileName(&dialog,
                                 {Prompts::FileRequest::Open, tr("Logo"),
                                  current.isEmpty() ? folder() : current,
                                  tr("Images (*.png *.jpg *.jpeg *.svg *.bmp)"), QString()});
    });
    if (Prompts::exec(dialog) != QDialog::Accepted)
        return false;
    *job = dialog.job();
    LossStore::storeJobBlock(*job);
    return true;
}

} // namespace ReportFlow
