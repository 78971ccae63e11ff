#pragma once

namespace shared {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDefaultDpi = 96;  // 15 twips a pixel

// Twips to pixels at `dpi` dots per inch, rounded to the nearest pixel (halves away from zero),
// so that every control lands where the design puts it at any scale.
constexpr int pixels(int twips, int dpi = kDefaultDpi) {
    const long long scaled = static_cast<long long>(twips) * dpi;
    const long long half = kTwipsPerInch / 2;
    return static_cast<int>(scaled >= 0 ? (scaled + half) / kTwipsPerInch
                                        : -((-scaled + half) / kTwipsPerInch));
}

}  // namespace shared
