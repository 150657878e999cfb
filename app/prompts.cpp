#include "app/prompts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>

namespace Prompts {
namespace {
Responder& responder()
{
    static Responder instance;
    return instance;
}
FileResponder& fileResponder()
{
    static FileResponder instance;
    return instance;
}
} // namespace

void setResponder(Responder r) { responder() = std::move(r); }

QMessageBox::StandardButton show(QWidget* parent, const Request& request)
{
    if (responder())
        return responder()(request);
    QMessageBox box(request.icon, request.title, request.text, request.buttons, parent);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void setFileResponder(FileResponder r) { fileResponder() = std::move(r); }

namespace {
DialogResponder& dialogResponder()
{
    static DialogResponder instance;
    return instance;
}
} // namespace

void setDialogResponder(DialogResponder r) { dialogResponder() = std::move(r); }

int exec(QDialog& dialog)
{
    return dialogResponder() ? dialogResponder()(dialog) : dialog.exec();
}

QString withDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || suffix.isEmpty() || QFileInfo(path).fileName().contains(QLatin1Char('.')))
        return path;
    return path + QLatin1Char('.') + suffix;
}

namespace {

// The suffix was added after the dialog had closed (a desktop's own dialog leaves it to Qt), so
// the dialog never asked about a file of that name: ask here. False to cancel.
bool mayReplace(QWidget* parent, const FileRequest& request, const QString& chosen,
                const QString& path)
{
    if (path == chosen || !QFileInfo::exists(path))
        return true;
    const QString text =
        QCoreApplication::translate("Prompts", "%1 already exists.\nDo you want to replace it?")
            .arg(QFileInfo(path).fileName());
    return show(parent, {QMessageBox::Warning, request.title, text,
                         QMessageBox::Yes | QMessageBox::No}) == QMessageBox::Yes;
}

} // namespace

QString fileName(QWidget* parent, const FileRequest& request)
{
    if (fileResponder()) {
        const QString chosen = fileResponder()(request);
        const QString path = withDefaultSuffix(chosen, request.defaultSuffix);
        return request.mode == FileRequest::Open || mayReplace(parent, request, chosen, path)
                   ? path
                   : QString();
    }
    if (request.mode == FileRequest::Open)
        return QFileDialog::getOpenFileName(parent, request.title, request.start, request.filter);
    // The platform's own dialog, which asks before it replaces a file. Qt's own dialog adds the
    // default suffix before it asks; a desktop's dialog may return the name as typed.
    QFileDialog dialog(parent, request.title, request.start, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = dialog.selectedFiles().constFirst();
    const QString path = withDefaultSuffix(chosen, request.defaultSuffix);
    return mayReplace(parent, request, chosen, path) ? path : QString();
}

} // namespace Prompts
