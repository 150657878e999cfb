#include "data/displayunit.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

const char* const displayFreqKey = "setting/display_freq";

// Opened afresh on each use so that every read sees what the other chooser last wrote.
QSettings openStore()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Nuvra"),
                     QCoreApplication::applicationName());
}

} // namespace

namespace DisplayUnit {

bool readDisplayFreq()
{
    return openStore().value(displayFreqKey, false).toBool();
}

void storeIndex(int index)
{
    if (index != 0 && index != 1)
        return;
    openStore().setValue(displayFreqKey, index == 1);
}

} // namespace DisplayUnit
