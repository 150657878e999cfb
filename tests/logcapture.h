#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>
#include <mutex>

// Collects every line the program logs, for tests that check what the window and the receiver
// wrote. The receiver thread logs too, so the collected lines are shared between threads.
namespace LogCapture {

namespace Detail {

inline std::mutex& mutex()
{
    static std::mutex m;
    return m;
}

inline QStringList& lines()
{
    static QStringList l;
    return l;
}

inline void collect(QtMsgType, const QMessageLogContext&, const QString& message)
{
    std::lock_guard<std::mutex> lock(mutex());
    lines().append(message);
}

} // namespace Detail

// From now on every logged line is collected instead of printed, the debug lines that are off
// by default included.
inline void install()
{
    QLoggingCategory::setFilterRules(QStringLiteral("velumin.*.debug=true"));
    qInstallMessageHandler(Detail::collect);
}

// Logged lines are printed again, and the debug lines are off again.
inline void uninstall()
{
    qInstallMessageHandler(nullptr);
    QLoggingCategory::setFilterRules(QString());
}

inline void clear()
{
    std::lock_guard<std::mutex> lock(Detail::mutex());
    Detail::lines().clear();
}

// Whether `line` has been logged, as a whole line.
inline bool logged(const QString& line)
{
    std::lock_guard<std::mutex> lock(Detail::mutex());
    return Detail::lines().contains(line);
}

// How many lines starting with `prefix` have been logged.
inline int count(const QString& prefix)
{
    std::lock_guard<std::mutex> lock(Detail::mutex());
    const QStringList& lines = Detail::lines();
    return int(std::count_if(lines.cbegin(), lines.cend(),
                             [&prefix](const QString& l) { return l.startsWith(prefix); }));
}

// Whether any logged line holds `text`.
inline bool anyContains(const QString& text)
{
    std::lock_guard<std::mutex> lock(Detail::mutex());
    const QStringList& lines = Detail::lines();
    return std::any_of(lines.cbegin(), lines.cend(),
                       [&text](const QString& l) { return l.contains(text); });
}

// Whether a line starting with `prefix` has been logged.
inline bool loggedStart(const QString& prefix)
{
    std::lock_guard<std::mutex> lock(Detail::mutex());
    const QStringList& lines = Detail::lines();
    return std::any_of(lines.cbegin(), lines.cend(),
                       [&prefix](const QString& l) { return l.startsWith(prefix); });
}

} // namespace LogCapture
