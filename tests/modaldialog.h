#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

// What became of the modal dialog that a command was expected to run.
struct ModalOutcome {
    bool seen = false;            // a modal dialog came up while the command ran
    bool closedByHandler = false; // the handler's own actions closed it
};

// Runs `command`, which is expected to run a modal dialog with exec(). Once the dialog is up,
// `handle` gets it and should close it. A dialog that `handle` leaves open is rejected, so a
// failing test ends instead of waiting forever.
inline ModalOutcome runModal(const std::function<void()>& command,
                             const std::function<void(QDialog*)>& handle)
{
    ModalOutcome outcome;
    QTimer poll;
    poll.setInterval(10);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        poll.stop();
        outcome.seen = true;
        handle(dialog);
        outcome.closedByHandler = !dialog->isVisible();
        if (!outcome.closedByHandler)
            dialog->reject();
    });
    poll.start();
    command();
    poll.stop();
    return outcome;
}
