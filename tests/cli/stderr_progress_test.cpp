#include "cli/stderr_progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace cli {
namespace {

const std::vector<std::u16string> kPaths{u"/图纸 目录/a 1.dxf", u"C:\\d\\b.dxf"};

TEST(StderrProgress, RedrawsOneBarOnATerminalAndEndsItsLine) {
    std::ostringstream err;
    StderrProgress progress(err, kPaths);
    progress.setMax(2);
    progress.setValue(1);
    const std::string bar = err.str();
    EXPECT_TRUE(bar.ends_with("\r\x1b[K[###############...............] 1/2 a 1.dxf")) << bar;
    progress.setValue(2);
    progress.finish();
    EXPECT_TRUE(err.str().ends_with("[##############################] 2/2 b.dxf\n")) << err.str();
    EXPECT_EQ(err.str().find('\n'), err.str().size() - 1);
}

}  // namespace
}  // namespace cli
