#include "data/displayunit.h"

#include "data/settingsstore.h"

namespace {
const char* const displayFreqKey = "setting/display_freq";
} // namespace

namespace DisplayUnit {

bool readDisplayFreq()
{
    return openSettingsStore().value(displayFreqKey, false).toBool();
}

void storeIndex(int index)
{
    if (index != 0 && index != 1)
        return;
    openSettingsStore().setValue(displayFreqKey, index == 1);
}

} // namespace DisplayUnit
