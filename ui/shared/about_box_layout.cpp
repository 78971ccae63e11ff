#include "ui/shared/about_box_layout.h"

namespace shared {

namespace {

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kDarkGreen = 0x008000;

}  // namespace

const std::array<AboutLabelRow, 3> kAboutLabels{{
    {"lblDescription", "应用于天河CAD的标题栏填充", 600, 600, 2250, 180, kDarkGreen, Face::Default,
     false},
    // The caption the design gives the box, whatever the release's version.
    {"lblTitle", "Zandrel1.0", 600, 240, 2295, 285, kRed, Face::Title, false},
    {"Label1", "本软件为免费软件，如果有什么建议请写信ask@example.com", 600, 840, 2640, 420,
     kDarkGreen, Face::Default, true},
}};

}  // namespace shared
