#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// The window cases both toolkits run (window_steps.txt): a row's setup, the user's steps, the
// lines the window must show and what it must leave on disk. Each toolkit's driver reads them.
namespace testing_support {

// Each row's words as the table quotes them.
struct WindowCase {
    std::string name;
    std::vector<std::vector<std::string>> setup;   // drawing, blank, drop or junk, and its words
    std::vector<std::string> steps;                // as zandrel-window-driver takes them
    std::vector<std::string> shows;                // this toolkit's lines, in order
    std::vector<std::vector<std::string>> leaves;  // unchanged, absent, backup or attribute, ...
};

// The cases of `table`, with the lines that `toolkit` ("qt" or "win32") shows.
std::vector<WindowCase> readWindowCases(const std::filesystem::path& table,
                                        std::string_view toolkit);

// Words as the shell splits them, where only single quotes quote.
std::vector<std::string> shellWords(std::string_view line);

// True when `actual` is the `expected` line; an expected "…" stands for any text.
bool lineMatches(std::string_view expected, std::string_view actual);

}  // namespace testing_support
