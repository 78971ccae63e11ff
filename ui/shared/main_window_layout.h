#pragma once

#include <array>

namespace shared {

enum class ControlKind {
    Label,
    HeaderField,  // a bordered text box in the Tab sequence
    GridField,    // a text box inside a drawn grid cell: no border of its own
    Button,
    ProgressBar,
    Line,
};

// One control of the main window as the designer placed it.
struct ControlRow {
    const char* name;
    ControlKind kind;
    const char* caption;       // UTF-8; for a field its design-time text
    std::array<int, 4> twips;  // Left, Top, Width, Height; for a line From x, y and To x, y
    int tabIndex;              // -1 for lines, which have none
};

inline constexpr int kClientWidthTwips = 7485;
inline constexpr int kClientHeightTwips = 3990;
inline constexpr int kControlCount = 70;

extern const std::array<ControlRow, kControlCount> kMainWindowLayout;

}  // namespace shared
