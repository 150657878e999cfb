#include "resources/resources.h"

#include <QtGlobal>

static void registerIcons() { Q_INIT_RESOURCE(velumin); }

void initVeluminResources()
{
    static const bool done = (registerIcons(), true);
    Q_UNUSED(done);
}
