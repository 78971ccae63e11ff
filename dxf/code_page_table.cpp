#include <algorithm>
#include <array>

#include "dxf/code_page.h"

namespace dxf {

namespace {

constexpr std::array<CodePageInfo, 34> kCodePages{{
    {"ANSI_1252", {1252, "CP1252"}},      {"ANSI_936", {936, "CP936"}},
    {"ANSI_950", {950, "CP950"}},         {"ANSI_932", {932, "CP932"}},
    {"ANSI_949", {949, "CP949"}},         {"ANSI_874", {874, "CP874"}},
    {"ANSI_1250", {1250, "CP1250"}},      {"ANSI_1251", {1251, "CP1251"}},
    {"ANSI_1253", {1253, "CP1253"}},      {"ANSI_1254", {1254, "CP1254"}},
    {"ANSI_1255", {1255, "CP1255"}},      {"ANSI_1256", {1256, "CP1256"}},
    {"ANSI_1257", {1257, "CP1257"}},      {"ANSI_1258", {1258, "CP1258"}},
    {"ANSI_1361", {1361, "CP1361"}},      {"DOS437", {437, "CP437"}},
    {"DOS850", {850, "CP850"}},           {"DOS852", {852, "CP852"}},
    {"DOS855", {855, "CP855"}},           {"DOS857", {857, "CP857"}},
    {"DOS860", {860, "CP860"}},           {"DOS861", {861, "CP861"}},
    {"DOS863", {863, "CP863"}},           {"DOS864", {864, "CP864"}},
    {"DOS865", {865, "CP865"}},           {"DOS866", {866, "CP866"}},
    {"DOS869", {869, "CP869"}},           {"DOS932", {932, "CP932"}},
    {"MACINTOSH", {10000, "MACINTOSH"}},  {"ISO8859-1", {28591, "ISO-8859-1"}},
    {"ISO8859-2", {28592, "ISO-8859-2"}}, {"ISO8859-5", {28595, "ISO-8859-5"}},
    {"ISO8859-7", {28597, "ISO-8859-7"}}, {"UTF-8", {65001, "UTF-8"}},
}};

// Other names that writers put into $DWGCODEPAGE, with the code page each means.
constexpr std::array<std::pair<std::string_view, std::string_view>, 24> kAliases{{
    {"CP936", "ANSI_936"},   {"GBK", "ANSI_936"},       {"GB2312", "ANSI_936"},
    {"CP950", "ANSI_950"},   {"BIG5", "ANSI_950"},      {"CP932", "ANSI_932"},
    {"SJIS", "ANSI_932"},    {"SHIFT_JIS", "ANSI_932"}, {"CP949", "ANSI_949"},
    {"KSC5601", "ANSI_949"}, {"JOHAB", "ANSI_1361"},    {"CP874", "ANSI_874"},
    {"CP1250", "ANSI_1250"}, {"CP1251", "ANSI_1251"},   {"CP1252", "ANSI_1252"},
    {"CP1253", "ANSI_1253"}, {"CP1254", "ANSI_1254"},   {"CP1255", "ANSI_1255"},
    {"CP1256", "ANSI_1256"}, {"CP1257", "ANSI_1257"},   {"CP1258", "ANSI_1258"},
    {"UTF8", "UTF-8"},       {"ANSI_65001", "UTF-8"},   {"LATIN1", "ISO8859-1"},
}};

bool sameName(std::string_view a, std::string_view b) {
    const auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [&](char x, char y) { return upper(x) == upper(y); });
}

std::optional<CodePageInfo> findByDxfName(std::string_view name) {
    const auto found =
        std::find_if(kCodePages.begin(), kCodePages.end(),
                     [name](const CodePageInfo& c) { return sameName(c.dxfName, name); });
    if (found == kCodePages.end()) return std::nullopt;
    return *found;
}

}  // namespace

std::optional<CodePageInfo> findCodePage(std::string_view name) {
    if (auto found = findByDxfName(name)) return found;
    const auto alias = std::find_if(kAliases.begin(), kAliases.end(),
                                    [name](const auto& a) { return sameName(a.first, name); });
    if (alias == kAliases.end()) return std::nullopt;
    return findByDxfName(alias->second);
}

CodePageInfo defaultCodePage() { return kCodePages.front(); }

std::vector<CodePageInfo> knownCodePages() { return {kCodePages.begin(), kCodePages.end()}; }

std::optional<CodePageInfo> multibyteEscapeCodePage(char digit) {
    // \M+1 Japanese, 2 Traditional Chinese, 3 Korean Wansung, 4 Korean Johab, 5 Simplified Chinese.
    constexpr std::array<std::string_view, 5> kByDigit{"ANSI_932", "ANSI_950", "ANSI_949",
                                                       "ANSI_1361", "ANSI_936"};
    if (digit < '1' || digit > '5') return std::nullopt;
    return findCodePage(kByDigit[static_cast<std::size_t>(digit - '1')]);
}

}  // namespace dxf
