#pragma once

#include <QLatin1String>
#include <QWidget>
#include <QtGlobal>

// Small helpers that the tests and the benchmarks share.
namespace TestSupport {

// A widget or action of a window by object name; a run that names a missing one cannot go on,
// so it stops with the name instead of crashing on a null pointer.
template <typename T> T* child(QWidget& w, const char* name)
{
    T* c = w.findChild<T*>(QLatin1String(name));
    if (!c)
        qFatal("no child %s", name);
    return c;
}

// The chooser index that makes the receiver decode `kind`: 3 and 4 are swapped.
inline int deviceIndexFor(int kind)
{
    return kind == 3 ? 4 : kind == 4 ? 3 : kind;
}

} // namespace TestSupport
