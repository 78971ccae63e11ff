#include "dxf/group_code_memo.h"

#include <gtest/gtest.h>

#include <string>

namespace dxf {
namespace {

// The code of a line in its usual form, read byte by byte: spaces, then one to four digits.
int expectedCode(const std::string& line) {
    const std::size_t digits = line.find_first_not_of(' ');
    if (line.empty() || line.size() > 4 || digits == std::string::npos) return -1;
    int code = 0;
    for (std::size_t i = digits; i < line.size(); ++i) {
        if (line[i] < '0' || line[i] > '9') return -1;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

// Every line of one to four bytes over bytes that sit next to spaces and digits in the
// character table, or that a word trick could take for them.
TEST(GroupCodeMemo, ReadsEveryShortLineAsTheByteByByteReaderDoes) {
    const std::string alphabet{' ', '0', '1', '9', '/', ':', '\0', '\t', '\r', '-', '\xb0', 'p'};
    GroupCodeMemo memo;
    for (std::size_t size = 1; size <= 4; ++size) {
        std::size_t combinations = 1;
        for (std::size_t i = 0; i < size; ++i) combinations *= alphabet.size();
        // Each line twice, with others in between: read, and then remembered.
        for (int round = 0; round < 2; ++round) {
            for (std::size_t n = 0; n < combinations; ++n) {
                std::string line;
                for (std::size_t i = 0, rest = n; i < size; ++i, rest /= alphabet.size()) {
                    line.push_back(alphabet[rest % alphabet.size()]);
                }
                // What follows the line in the word must not matter.
                const std::string word = line + "7\n  ";
                const int expected = expectedCode(line);
                ASSERT_EQ(usualGroupCode(word.data(), size), expected) << '"' << line << '"';
                ASSERT_EQ(memo.codeOf(word.data(), size), expected)
                    << '"' << line << "\" round " << round;
            }
        }
    }
}

TEST(GroupCodeMemo, LeavesLongerAndEmptyLinesToTheGeneralReader) {
    GroupCodeMemo memo;
    const std::string word = "10010\n";
    EXPECT_EQ(memo.codeOf(word.data(), 0), -1);
    EXPECT_EQ(memo.codeOf(word.data(), 5), -1);
    EXPECT_EQ(memo.codeOf(word.data(), 4), 1001);
}

}  // namespace
}  // namespace dxf
