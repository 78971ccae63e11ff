// The window program started where there is no display: it says so and ends with status 1,
// unless its command line asks only for help or the version, which need no display.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/version.h"
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

TEST(NoDisplay, HelpVersionAndUsageErrorsNeedNone) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string out;  // a part of standard output; "" when it must be empty
        std::string err;  // a part of standard error; "" when it must be empty
    } cases[] = {
        {{"--version"}, 0, std::string("zandrel ") + base::kVersion + "\n", ""},
        {{"--help"}, 0, "Usage: zandrel [OPTIONS] [DRAWING]", ""},
        {{"-h"}, 0, "没有图形显示时请使用 zandrel-cli。", ""},
        {{"--frob"}, 2, "", "命令行有误。"},
        {{"a.dxf", "b.dxf"}, 2, "", "See zandrel --help."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        std::vector<std::string> words{"-u", "WAYLAND_DISPLAY", "DISPLAY=", "QT_QPA_PLATFORM=xcb",
                                       ZANDREL_WINDOW};
        words.insert(words.end(), c.args.begin(), c.args.end());
        const auto run = testing_support::runProgram("/usr/bin/env", words);
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.out.empty())
            EXPECT_EQ(run.out, "");
        else
            EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        if (c.err.empty())
            EXPECT_EQ(run.err, "");
        else
            EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}

}  // namespace
