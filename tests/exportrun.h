#pragma once

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

// velumin-export run as a child process by the tests that drive it; its binary comes from
// VELUMIN_EXPORT, which CTest sets.
namespace ExportRun {

inline QString program()
{
    return qEnvironmentVariable("VELUMIN_EXPORT");
}

// A file's bytes, or "<missing>".
inline QByteArray contents(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct Run {
    int status = -1; // -1: it crashed or did not end within a minute
    QByteArray out;
    QByteArray err;
};

// Starts velumin-export with `args`, through `prefix` (a command and its options, such as
// prlimit) when given.
inline void start(QProcess& p, const QStringList& args, const QStringList& prefix = {})
{
    p.setProgram(prefix.isEmpty() ? program() : prefix.first());
    p.setArguments(prefix.isEmpty() ? args : prefix.mid(1) + QStringList{program()} + args);
    p.start();
}

inline Run finish(QProcess& p)
{
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline Run run(const QStringList& args, const QStringList& prefix = {})
{
    QProcess p;
    start(p, args, prefix);
    return finish(p);
}

} // namespace ExportRun
