#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "child_process.h"

// zandrel-cli as the tests that run it as a subprocess see it: the program, the fixtures beside
// it, the peer's interpreter, and one call that runs the program.
namespace cli::subprocess {

inline const std::filesystem::path kCli = ZANDREL_CLI;
// The same program built to stop at the first name a save gives (tests/cli/paused_save.cpp).
inline const std::filesystem::path kCliPaused = ZANDREL_CLI_PAUSED;
inline const std::filesystem::path kFixtures = ZANDREL_FIXTURES;
inline const std::filesystem::path kPython = "/usr/bin/python3";

inline testing_support::Ending cli(const std::vector<std::string>& args,
                                   const std::string& input = "") {
    return testing_support::runProgram(kCli, args, {.input = input});
}

// The previous version a save keeps beside the drawing.
inline std::filesystem::path backupOf(std::filesystem::path drawing) {
    return drawing.replace_extension(".bak");
}

inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

}  // namespace cli::subprocess
