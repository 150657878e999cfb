#pragma once

// Registers the compiled-in icons. The icons live in the static core library, whose resource
// object is linked only when something refers to it; every window calls this before using one.
void initVeluminResources();
