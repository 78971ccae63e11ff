#pragma once

namespace ui {

// The name the user sees in message-box titles and in the About box.
inline constexpr char kProductName[] = "Zandrel";

}  // namespace ui
