// The window started where there is no display: it says so and ends with status 1.

#include <gtest/gtest.h>

#include "child_process.h"

namespace {

TEST(NoDisplay, SaysSoInChineseAndEnglishAndExitsWithOne) {
    for (const char* display : {"", ":99"}) {  // none at all; one that is not there
        SCOPED_TRACE(display);
        const auto run = testing_support::runProgram(
            "/usr/bin/env", {"-u", "WAYLAND_DISPLAY", std::string("DISPLAY=") + display,
                             "QT_QPA_PLATFORM=xcb", ZANDREL_WINDOW});
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_NE(run.err.find("没有可用的图形显示"), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("no display is available"), std::string::npos) << run.err;
    }
}

}  // namespace
