#pragma once

namespace cli {

// The exit statuses of zandrel-cli, as its help and manual page list them.
inline constexpr int kAllDone = 0;
inline constexpr int kSomeFailed = 1;
inline constexpr int kUsageError = 2;  // nothing was opened
inline constexpr int kSomeWithoutTitleBlock = 3;

}  // namespace cli
