#include "server/lifetime.h"

#include <windows.h>

namespace server {

namespace {

// Every call arrives on the one apartment thread, so plain counters suffice.
long liveObjects = 0;
bool endWhenUnused = false;

}  // namespace

void objectCreated() { ++liveObjects; }

void objectDestroyed() {
    if (--liveObjects == 0 && endWhenUnused) PostQuitMessage(0);
}

void endWhenNoObjectsLeft() { endWhenUnused = true; }

}  // namespace server
