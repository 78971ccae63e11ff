#pragma once

namespace server {

// Counts the live automation objects. A server started by COM ends when the last one is released;
// one registered as the running instance is kept alive by the running object table instead.
void objectCreated();
void objectDestroyed();
void endWhenNoObjectsLeft();

}  // namespace server
