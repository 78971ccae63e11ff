#include "app/main_window_layout.h"

#include <cmath>

namespace app {

// Grouped as the window reads: the part header, the revision block, the approval block, the grid
// lines, then the buttons and the progress line.
const std::array<ControlRow, kControlCount> kMainWindowLayout{{
    // Part header
    {"Label7", ControlKind::Label, "产品代号", {120, 240, 720, 180}, 8},
    {"Text21", ControlKind::HeaderField, "Text21", {885, 195, 1095, 270}, 35},
    {"Label14", ControlKind::Label, "零件名称", {2160, 240, 720, 180}, 11},
    {"Text22", ControlKind::HeaderField, "Text21", {3015, 195, 1935, 270}, 36},
    {"Label13", ControlKind::Label, "零件代号", {5235, 240, 720, 180}, 10},
    {"Text23", ControlKind::HeaderField, "Text21", {6000, 195, 1095, 270}, 37},
    // Revision block: headings, then the fields column by column, revision row 5 on top
    {"Label11", ControlKind::Label, "版本号", {240, 680, 540, 180}, 9},
    {"Label26", ControlKind::Label, "更改通知号", {1440, 675, 900, 180}, 14},
    {"Label16", ControlKind::Label, "签 名", {3240, 675, 450, 180}, 12},
    {"Label21", ControlKind::Label, "日  期", {4200, 675, 540, 180}, 13},
    {"Text1", ControlKind::GridField, "AA", {240, 1000, 495, 270}, 15},
    {"Text2", ControlKind::GridField, "", {240, 1365, 495, 270}, 16},
    {"Text3", ControlKind::GridField, "", {240, 1730, 495, 270}, 17},
    {"Text4", ControlKind::GridField, "", {240, 2095, 495, 270}, 18},
    {"Text5", ControlKind::GridField, "", {240, 2460, 495, 270}, 19},
    {"Text6", ControlKind::GridField, "2003-017", {960, 1000, 1935, 270}, 20},
    {"Text7", ControlKind::GridField, "", {960, 1365, 1935, 270}, 21},
    {"Text8", ControlKind::GridField, "", {960, 1730, 1935, 270}, 22},
    {"Text9", ControlKind::GridField, "", {960, 2095, 1935, 270}, 23},
    {"Text10", ControlKind::GridField, "", {960, 2460, 1935, 270}, 24},
    {"Text11", ControlKind::GridField, "张三", {3120, 1000, 735, 270}, 25},
    {"Text12", ControlKind::GridField, "", {3120, 1365, 735, 270}, 26},
    {"Text13", ControlKind::GridField, "", {3120, 1730, 735, 270}, 27},
    {"Text14", ControlKind::GridField, "", {3120, 2095, 735, 270}, 28},
    {"Text15", ControlKind::GridField, "", {3120, 2460, 735, 270}, 29},
    {"Text16", ControlKind::GridField, "20030000", {4080, 1000, 855, 270}, 30},
    {"Text17", ControlKind::GridField, "", {4080, 1365, 855, 270}, 31},
    {"Text18", ControlKind::GridField, "", {4080, 1730, 855, 270}, 32},
    {"Text19", ControlKind::GridField, "", {4080, 2095, 855, 270}, 33},
    {"Text20", ControlKind::GridField, "", {4080, 2460, 855, 270}, 34},
    // Approval block: signature on the left, date on the right
    {"Label1", ControlKind::Label, "编制签字", {5520, 680, 720, 180}, 2},
    {"Label2", ControlKind::Label, "编制日期", {6480, 680, 720, 180}, 3},
    {"Text24", ControlKind::GridField, "张三", {5520, 1000, 735, 270}, 38},
    {"Text25", ControlKind::GridField, "20030000", {6480, 1000, 855, 270}, 39},
    {"Label3", ControlKind::Label, "校对签字", {5520, 1410, 720, 180}, 4},
    {"Label4", ControlKind::Label, "校对时间", {6480, 1410, 720, 180}, 5},
    {"Text26", ControlKind::GridField, "张三", {5520, 1730, 735, 270}, 40},
    {"Text27", ControlKind::GridField, "20030000", {6480, 1730, 855, 270}, 41},
    {"Label5", ControlKind::Label, "审核签字", {5520, 2140, 720, 180}, 6},
    {"Label6", ControlKind::Label, "审核时间", {6480, 2140, 720, 180}, 7},
    {"Text28", ControlKind::GridField, "张三", {5520, 2460, 735, 270}, 42},
    {"Text29", ControlKind::GridField, "20030000", {6480, 2460, 855, 270}, 43},
    // Grid lines
    {"Line1", ControlKind::Line, "", {5040, 600, 5040, 2760}, -1},
    {"Line2", ControlKind::Line, "", {120, 2760, 5040, 2760}, -1},
    {"Line3", ControlKind::Line, "", {5040, 600, 120, 600}, -1},
    {"Line4", ControlKind::Line, "", {840, 600, 840, 2760}, -1},
    {"Line5", ControlKind::Line, "", {3000, 600, 3000, 2760}, -1},
    {"Line6", ControlKind::Line, "", {120, 960, 5040, 960}, -1},
    {"Line7", ControlKind::Line, "", {120, 600, 120, 2760}, -1},
    {"Line8", ControlKind::Line, "", {3960, 600, 3960, 2760}, -1},
    {"Line9", ControlKind::Line, "", {120, 1320, 5040, 1320}, -1},
    {"Line10", ControlKind::Line, "", {120, 1680, 5040, 1680}, -1},
    {"Line11", ControlKind::Line, "", {120, 2040, 5040, 2040}, -1},
    {"Line12", ControlKind::Line, "", {120, 2400, 5040, 2400}, -1},
    {"Line13", ControlKind::Line, "", {5400, 600, 7440, 600}, -1},
    {"Line14", ControlKind::Line, "", {5400, 600, 5400, 2760}, -1},
    {"Line15", ControlKind::Line, "", {5400, 2760, 7440, 2760}, -1},
    {"Line16", ControlKind::Line, "", {7440, 600, 7440, 2760}, -1},
    {"Line17", ControlKind::Line, "", {6360, 600, 6360, 2760}, -1},
    {"Line18", ControlKind::Line, "", {5400, 960, 7440, 960}, -1},
    {"Line19", ControlKind::Line, "", {5400, 1320, 7440, 1320}, -1},
    {"Line20", ControlKind::Line, "", {5400, 1680, 7440, 1680}, -1},
    {"Line21", ControlKind::Line, "", {5400, 2040, 7440, 2040}, -1},
    {"Line22", ControlKind::Line, "", {5400, 2400, 7440, 2400}, -1},
    // Buttons and the progress line
    {"Command1", ControlKind::Button, "读取标准文件内容", {960, 3000, 1815, 375}, 44},
    {"OKButton", ControlKind::Button, "批量修改", {3120, 3000, 1215, 375}, 0},
    {"CancelButton", ControlKind::Button, "取消", {4680, 3000, 1215, 375}, 1},
    {"Command2", ControlKind::Button, "关于", {6120, 3000, 1095, 375}, 47},
    {"Label8", ControlKind::Label, "进度：", {120, 3600, 540, 180}, 46},
    {"ProgressBar1", ControlKind::ProgressBar, "", {720, 3600, 6525, 180}, 45},
}};

int pixels(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

}  // namespace app
