#include <algorithm>
#include <array>

#include "dxf/code_page.h"

namespace dxf {

namespace {

constexpr std::array<CodePageInfo, 37> kCodePages{{
    {"ANSI_1252", 1252, "CP1252"},      {"ANSI_936", 936, "CP936"},
    {"ANSI_950", 950, "CP950"},         {"ANSI_932", 932, "CP932"},
    {"ANSI_949", 949, "CP949"},         {"ANSI_874", 874, "CP874"},
    {"ANSI_1250", 1250, "CP1250"},      {"ANSI_1251", 1251, "CP1251"},
    {"ANSI_1253", 1253, "CP1253"},      {"ANSI_1254", 1254, "CP1254"},
    {"ANSI_1255", 1255, "CP1255"},      {"ANSI_1256", 1256, "CP1256"},
    {"ANSI_1257", 1257, "CP1257"},      {"ANSI_1258", 1258, "CP1258"},
    {"ANSI_1361", 1361, "CP1361"},      {"DOS437", 437, "CP437"},
    {"DOS850", 850, "CP850"},           {"DOS852", 852, "CP852"},
    {"DOS855", 855, "CP855"},           {"DOS857", 857, "CP857"},
    {"DOS860", 860, "CP860"},           {"DOS861", 861, "CP861"},
    {"DOS863", 863, "CP863"},           {"DOS864", 864, "CP864"},
    {"DOS865", 865, "CP865"},           {"DOS866", 866, "CP866"},
    {"DOS869", 869, "CP869"},           {"DOS932", 932, "CP932"},
    {"GB2312", 936, "CP936"},           {"BIG5", 950, "CP950"},
    {"KSC5601", 949, "CP949"},          {"JOHAB", 1361, "CP1361"},
    {"MACINTOSH", 10000, "MACINTOSH"},  {"ISO8859-1", 28591, "ISO-8859-1"},
    {"ISO8859-2", 28592, "ISO-8859-2"}, {"ISO8859-5", 28595, "ISO-8859-5"},
    {"ISO8859-7", 28597, "ISO-8859-7"},
}};

bool sameName(std::string_view a, std::string_view b) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return upper(x) == upper(y); });
}

}  // namespace

std::optional<CodePageInfo> findCodePage(std::string_view name) {
    const auto found =
        std::find_if(kCodePages.begin(), kCodePages.end(),
                     [name](const CodePageInfo& c) { return sameName(c.dxfName, name); });
    if (found == kCodePages.end()) return std::nullopt;
    return *found;
}

CodePageInfo defaultCodePage() { return kCodePages.front(); }

std::optional<CodePageInfo> multibyteEscapeCodePage(char digit) {
    // \M+1 Japanese, 2 Traditional Chinese, 3 Korean Wansung, 4 Korean Johab, 5 Simplified Chinese.
    constexpr std::array<std::string_view, 5> kByDigit{"ANSI_932", "ANSI_950", "ANSI_949",
                                                       "ANSI_1361", "ANSI_936"};
    if (digit < '1' || digit > '5') return std::nullopt;
    return findCodePage(kByDigit[static_cast<std::size_t>(digit - '1')]);
}

}  // namespace dxf
