#include "cli/spreadsheet_numbers.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <regex>

#include "base/unicode.h"

namespace cli {

namespace {

// The patterns are made at their first use, not as every command starts: making them costs more
// than the rest of a start.

// A decimal number as a user or a drawing may write it.
const std::regex& number() {
    static const std::regex pattern(R"([+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)");
    return pattern;
}

// A number as a spreadsheet shows it in a cell it has taken for a number: no leading zeros, no
// trailing zeros after the point, scientific notation with one digit before the point.
const std::regex& shownNumber() {
    static const std::regex pattern(
        R"(-?((0|[1-9]\d*)(\.\d*[1-9])?|[1-9](\.\d*[1-9])?[eE][+-]?\d+))");
    return pattern;
}

std::optional<double> numberIn(const std::string& text) {
    if (!std::regex_match(text, number())) return std::nullopt;
    return std::strtod(text.c_str(), nullptr);
}

// Spreadsheets keep 15 significant digits, so a long number comes back rounded.
bool sameNumber(double a, double b) {
    return std::abs(a - b) <= 1e-14 * std::max(std::abs(a), std::abs(b));
}

}  // namespace

bool spreadsheetChangedNumber(const std::u16string& before, const std::u16string& now) {
    if (before == now) return false;
    const std::string shown = base::utf16ToUtf8(now);
    if (!std::regex_match(shown, shownNumber())) return false;
    const std::string held = base::utf16ToUtf8(before);
    if (held.starts_with('=')) return true;
    const auto number = numberIn(held);
    return number && sameNumber(*number, std::strtod(shown.c_str(), nullptr));
}

std::optional<cad::Error> spreadsheetNumberRefusal(const std::vector<ops::ValueChange>& changes) {
    std::u16string reformatted;
    for (const auto& change : changes) {
        if (!spreadsheetChangedNumber(change.current, change.value)) continue;
        const std::u16string said =
            change.tag + u"：图形中是“" + change.current + u"”，表格中是“" + change.value + u"”。";
        // A title block often shows one tag twice; its value is named once.
        if (reformatted.find(said) == std::u16string::npos) reformatted += said;
    }
    if (reformatted.empty()) return std::nullopt;
    return cad::Error(cad::errc::kSpreadsheetNumber,
                      reformatted +
                          u"表格程序改变了数字格式（去掉了前导零或小数末尾的零、改用或去掉了"
                          u"科学计数法、把公式换成了结果），这一行未写入。要写入这样的值，请用 "
                          u"--accept-numbers；要保留原值，请在表格程序中把这些列设为文本。");
}

}  // namespace cli
