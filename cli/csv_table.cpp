#include "cli/csv_table.h"

#include <csv.h>

#include <algorithm>
#include <array>
#include <memory>

#include "base/unicode.h"
#include "cli/usage_error.h"

namespace cli {

namespace {

char separatorOf(std::u16string_view text) {
    constexpr std::array<char16_t, 3> kSeparators{u',', u';', u'\t'};
    std::array<std::size_t, 3> counts{};
    bool quoted = false;
    for (const char16_t c : text) {
        if (c == u'"') quoted = !quoted;
        if (!quoted && (c == u'\n' || c == u'\r')) break;
        if (quoted) continue;
        for (std::size_t i = 0; i < kSeparators.size(); ++i) counts[i] += c == kSeparators[i];
    }
    const auto most = std::max_element(counts.begin(), counts.end()) - counts.begin();
    return static_cast<char>(kSeparators[static_cast<std::size_t>(most)]);
}

struct Collected {
    std::vector<TableRow> rows;
    TableRow row;
};

constexpr char kTextMark = '\'';

void onCell(void* bytes, std::size_t size, void* data) {
    auto& collected = *static_cast<Collected*>(data);
    std::string_view cell =
        bytes == nullptr ? std::string_view() : std::string_view(static_cast<char*>(bytes), size);
    if (cell.starts_with(kTextMark)) cell.remove_prefix(1);
    collected.row.push_back(base::utf8ToUtf16(cell));
}

void onRowEnd(int, void* data) {
    auto& collected = *static_cast<Collected*>(data);
    collected.rows.push_back(std::move(collected.row));
    collected.row.clear();
}

// Spaces and tabs around a cell are part of its value (a value of one space is a value).
int noSpace(unsigned char) { return 0; }

// A spreadsheet evaluates a cell that begins with one of these (a formula, or a command through
// DDE); the text mark itself is listed so that a value that begins with it comes back whole.
bool looksLikeFormula(std::string_view cell) {
    return !cell.empty() &&
           std::string_view("=+-@\t\r'").find(cell.front()) != std::string_view::npos;
}

bool needsQuotes(std::string_view cell) {
    return cell.find_first_of(",;\"\r\n\t") != std::string_view::npos;
}

}  // namespace

std::vector<TableRow> parseCsv(std::u16string_view text, const std::u16string& source) {
    csv_parser parser{};
    if (csv_init(&parser, CSV_STRICT | CSV_STRICT_FINI) != 0) {
        throw UsageError(cad::errc::kInvalidArgument, u"无法读取表格 " + source + u"。");
    }
    const std::unique_ptr<csv_parser, void (*)(csv_parser*)> owner(&parser, csv_free);
    csv_set_delim(&parser, static_cast<unsigned char>(separatorOf(text)));
    csv_set_space_func(&parser, noSpace);
    const std::string bytes = base::utf16ToUtf8(text);
    Collected collected;
    const bool parsed = csv_parse(&parser, bytes.data(), bytes.size(), onCell, onRowEnd,
                                  &collected) == bytes.size() &&
                        csv_fini(&parser, onCell, onRowEnd, &collected) == 0;
    if (!parsed) {
        throw UsageError(cad::errc::kInvalidArgument,
                         u"表格 " + source + u" 不是有效的 CSV：" +
                             base::utf8ToUtf16(csv_strerror(csv_error(&parser))) +
                             u"（例如引号没有配对）。");
    }
    return std::move(collected.rows);
}

std::string formatCsv(const std::vector<TableRow>& rows) {
    std::string out = "\xEF\xBB\xBF";
    for (const TableRow& row : rows) {
        for (std::size_t i = 0; i < row.size(); ++i) {
            if (i > 0) out += ',';
            const std::string value = base::utf16ToUtf8(row[i]);
            const std::string cell = looksLikeFormula(value) ? kTextMark + value : value;
            if (!needsQuotes(cell)) {
                out += cell;
                continue;
            }
            std::string quoted(cell.size() * 2 + 2, '\0');
            quoted.resize(csv_write(quoted.data(), quoted.size(), cell.data(), cell.size()));
            out += quoted;
        }
        out += "\r\n";
    }
    return out;
}

}  // namespace cli
