#pragma once

namespace shared {

// The name the user sees in message-box titles and as the program's name.
inline constexpr char kProductName[] = "Zandrel";

}  // namespace shared
