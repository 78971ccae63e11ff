#include "window_steps.h"

#include <fstream>
#include <stdexcept>

namespace testing_support {

std::vector<std::string> shellWords(std::string_view line) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (const char c : line) {
        if (c == '\'') {
            quoted = !quoted;
            inWord = true;
        } else if (c == ' ' && !quoted) {
            if (inWord) words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted) throw std::runtime_error("unbalanced quote: " + std::string(line));
    if (inWord) words.push_back(word);
    return words;
}

bool lineMatches(std::string_view expected, std::string_view actual) {
    const std::string_view any = "…";
    const auto at = expected.find(any);
    if (at == std::string_view::npos) return expected == actual;
    const std::string_view before = expected.substr(0, at);
    const std::string_view after = expected.substr(at + any.size());
    return actual.size() >= before.size() + after.size() && actual.starts_with(before) &&
           actual.ends_with(after);
}

std::vector<WindowCase> readWindowCases(const std::filesystem::path& table,
                                        std::string_view toolkit) {
    std::ifstream in(table);
    if (!in) throw std::runtime_error("cannot read " + table.string());
    std::vector<WindowCase> cases;
    const std::string ownShows = std::string(toolkit) + "-shows";
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line.front() == '#') continue;
        const auto space = line.find(' ');
        const std::string kind = line.substr(0, space);
        const std::string rest = space == std::string::npos ? "" : line.substr(space + 1);
        if (kind == "case") {
            cases.push_back({rest, {}, {}, {}, {}});
            continue;
        }
        if (cases.empty()) throw std::runtime_error("a row before its case: " + line);
        WindowCase& row = cases.back();
        if (kind == "drawing" || kind == "blank" || kind == "drop" || kind == "junk") {
            std::vector<std::string> words = shellWords(rest);
            words.insert(words.begin(), kind);
            row.setup.push_back(words);
        } else if (kind == "steps") {
            row.steps = shellWords(rest);
        } else if (kind == "shows" || kind == ownShows) {
            row.shows.push_back(rest);
        } else if (kind == "leaves") {
            row.leaves.push_back(shellWords(rest));
        } else if (!kind.ends_with("-shows")) {
            throw std::runtime_error("unknown row: " + line);
        }
    }
    return cases;
}

}  // namespace testing_support
