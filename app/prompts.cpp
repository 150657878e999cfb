#include "app/prompts.h"

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

QString withDefaultSuffix(const QString& path, const QString& suffix)
{
    if (path.isEmpty() || suffix.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + suffix;
}

QString fileName(QWidget* parent, const FileRequest& request)
{
    if (fileResponder())
        return withDefaultSuffix(fileResponder()(request), request.defaultSuffix);
    if (request.mode == FileRequest::Open)
        return QFileDialog::getOpenFileName(parent, request.title, request.start, request.filter);
    // The platform's own dialog, which adds the default suffix itself, before it asks whether
    // to replace an existing file of that name.
    QFileDialog dialog(parent, request.title, request.start, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return withDefaultSuffix(dialog.selectedFiles().constFirst(), request.defaultSuffix);
}

} // namespace Prompts
