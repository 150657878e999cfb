#pragma once

#include <QLoggingCategory>
#include <QString>

// Benchmarks print figures, not the program's log: the window and the receiver write a debug line
// for every request and frame, thousands of them. Warnings and worse still come through.
namespace QuietLog {

inline void install()
{
    QLoggingCategory::setFilterRules(QStringLiteral("velumin.*.debug=false"));
}

} // namespace QuietLog
