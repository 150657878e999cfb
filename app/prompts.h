#pragma once

#include <QDialog>
#include <QMessageBox>
#include <QString>
#include <functional>

// Every modal message box and file dialog of the application goes through here, so that a test
// can answer it instead of a person. Without a responder the real dialog is shown.
namespace Prompts {

struct Request {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString title;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
};

using Responder = std::function<QMessageBox::StandardButton(const Request&)>;

// Installs a responder for all later prompts; an empty one restores the real message boxes.
void setResponder(Responder responder);

QMessageBox::StandardButton show(QWidget* parent, const Request& request);

inline QMessageBox::StandardButton warning(QWidget* parent, const QString& title,
                                           const QString& text,
                                           QMessageBox::StandardButtons buttons = QMessageBox::Ok)
{
    return show(parent, {QMessageBox::Warning, title, text, buttons});
}

inline QMessageBox::StandardButton information(QWidget* parent, const QString& title,
                                               const QString& text)
{
    return show(parent, {QMessageBox::Information, title, text, QMessageBox::Ok});
}

// A file to open or a name to save under.
struct FileRequest {
    enum Mode { Open, Save };
    Mode mode = Open;
    QString title;
    QString start;   // the directory, or the file name the dialog proposes
    QString filter;  // "CSV File (*.csv)"
    QString defaultSuffix; // added to a chosen name that has no suffix, "csv"; empty: none
};

// `path` with ".suffix" added when its file name has no dot at all, as Qt's save dialog does
// with a default suffix.
QString withDefaultSuffix(const QString& path, const QString& suffix);

// Answers with the chosen path, or an empty text for a cancelled dialog.
using FileResponder = std::function<QString(const FileRequest&)>;

void setFileResponder(FileResponder responder);

// Runs a dialog of the application's own; a test's responder fills it in and answers instead.
using DialogResponder = std::function<int(QDialog&)>;
void setDialogResponder(DialogResponder responder);
int exec(QDialog& dialog);

QString fileName(QWidget* parent, const FileRequest& request);

} // namespace Prompts
