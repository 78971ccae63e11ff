#pragma once

#include <array>
#include <cstdint>

namespace shared {

inline constexpr char kAboutCaption[] = "关于我的应用程序";
inline constexpr int kAboutWidthTwips = 3570;
inline constexpr int kAboutHeightTwips = 1545;

enum class Face {
    Title,    // "黑体" 14.25 pt bold, GB2312 character set
    Default,  // the platform's user-interface font
};

struct AboutLabelRow {
    const char* name;
    const char* text;              // UTF-8
    int left, top, width, height;  // twips
    std::uint32_t colour;          // 0xRRGGBB
    Face face;
    bool wraps;  // a fixed box its text wraps in; the others are single lines sized to the text
};

inline constexpr double kTitlePointSize = 14.25;

// In TabIndex order; none of them takes the focus.
extern const std::array<AboutLabelRow, 3> kAboutLabels;

}  // namespace shared
