#pragma once

#include <QLatin1String>
#include <QString>
#include <QtGlobal>

// Benchmarks print figures, not the window's log: the window and the receiver log every request,
// and the offscreen platform says once per dock or tool bar that it cannot pass size hints on.
// Warnings and worse still come through.
namespace QuietLog {

inline QtMessageHandler& previous()
{
    static QtMessageHandler handler = nullptr;
    return handler;
}

inline void handler(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type == QtDebugMsg || type == QtInfoMsg)
        return;
    if (message == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    if (previous())
        previous()(type, context, message);
}

inline void install()
{
    previous() = qInstallMessageHandler(handler);
}

} // namespace QuietLog
