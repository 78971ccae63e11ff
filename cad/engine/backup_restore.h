#pragma once

#include <string>

namespace cad::engine {

// Undoes the last save of the drawing at `fullPath` by trading places with its backup NAME.bak,
// so that a second call redoes it. Throws cad::Error (nothing changed) when there is no backup or
// the exchange fails.
void restoreLastSave(const std::u16string& fullPath);

}  // namespace cad::engine
