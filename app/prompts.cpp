#include "app/prompts.h"

#include <QFileDialog>

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

QString fileName(QWidget* parent, const FileRequest& request)
{
    if (fileResponder())
        return fileResponder()(request);
    // The platform's own dialogs; the save dialog asks before it replaces a file.
    if (request.mode == FileRequest::Save)
        return QFileDialog::getSaveFileName(parent, request.title, request.start, request.filter);
    return QFileDialog::getOpenFileName(parent, request.title, request.start, request.filter);
}

} // namespace Prompts
