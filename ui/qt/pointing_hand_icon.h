#pragma once

#include <QIcon>

namespace ui {

// The main window's icon: a hand pointing at a stack of written pages, 16 and 32 pixels.
QIcon pointingHandIcon();

}  // namespace ui
