#include "app/prompts.h"

namespace Prompts {
namespace {
Responder& responder()
{
    static Responder instance;
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

} // namespace Prompts
