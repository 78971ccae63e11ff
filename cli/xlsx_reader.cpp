#include <expat.h>
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>

#include "base/unicode.h"
#include "cli/usage_error.h"
#include "cli/xlsx_table.h"

namespace cli {

namespace {

using ZipArchive = std::unique_ptr<zip_t, decltype(&zip_discard)>;

constexpr zip_uint64_t kPartLimit = zip_uint64_t{256} << 20;

[[noreturn]] void notAWorkbook(const std::u16string& source, std::u16string_view why) {
    throw UsageError(cad::errc::kInvalidArgument,
                     u"表格 " + source + u" 不是有效的 .xlsx 工作簿：" + std::u16string(why));
}

ZipArchive openArchive(std::string_view bytes, const std::u16string& source) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    zip_t* archive = buffer == nullptr ? nullptr : zip_open_from_source(buffer, ZIP_RDONLY, &error);
    if (archive == nullptr) {
        if (buffer != nullptr) zip_source_free(buffer);
        zip_error_fini(&error);
        notAWorkbook(source, u"不是 ZIP 文件。");
    }
    zip_error_fini(&error);
    return {archive, zip_discard};
}

// The bytes of the part `name`, or nothing when the workbook has none.
std::optional<std::string> partOf(zip_t* archive, const std::string& name,
                                  const std::u16string& source) {
    zip_stat_t stat;
    if (zip_stat(archive, name.c_str(), 0, &stat) != 0) return std::nullopt;
    // A table's sheet is small; a part that unpacks to far more is no table (a zip bomb).
    if ((stat.valid & ZIP_STAT_SIZE) == 0 || stat.size > kPartLimit) {
        notAWorkbook(source, base::utf8ToUtf16(name) + u" 太大，不像是表格。");
    }
    const std::unique_ptr<zip_file_t, decltype(&zip_fclose)> file(
        zip_fopen(archive, name.c_str(), 0), zip_fclose);
    std::string bytes(stat.size, '\0');
    if (!file || zip_fread(file.get(), bytes.data(), bytes.size()) !=
                     static_cast<zip_int64_t>(bytes.size())) {
        notAWorkbook(source, u"无法读取其中的 " + base::utf8ToUtf16(name) + u"。");
    }
    return bytes;
}

// Runs expat over `xml`, calling the handler's start, end and text for each element.
template <typename Handler>
void parseXml(const std::string& xml, Handler& handler, const std::u16string& source) {
    const std::unique_ptr<XML_ParserStruct, decltype(&XML_ParserFree)> parser(
        XML_ParserCreate("UTF-8"), XML_ParserFree);
    XML_SetUserData(parser.get(), &handler);
    XML_SetElementHandler(
        parser.get(),
        [](void* data, const XML_Char* name, const XML_Char** attributes) {
            static_cast<Handler*>(data)->start(name, attributes);
        },
        [](void* data, const XML_Char* name) { static_cast<Handler*>(data)->end(name); });
    XML_SetCharacterDataHandler(parser.get(), [](void* data, const XML_Char* text, int size) {
        static_cast<Handler*>(data)->text(std::string_view(text, static_cast<std::size_t>(size)));
    });
    if (XML_Parse(parser.get(), xml.data(), static_cast<int>(xml.size()), 1) != XML_STATUS_OK) {
        notAWorkbook(source, base::utf8ToUtf16(XML_ErrorString(XML_GetErrorCode(parser.get()))));
    }
}

// An element's name without its namespace prefix.
std::string_view localName(const XML_Char* name) {
    const std::string_view full(name);
    const std::size_t colon = full.rfind(':');
    return colon == std::string_view::npos ? full : full.substr(colon + 1);
}

std::optional<std::string_view> attribute(const XML_Char** attributes, std::string_view wanted) {
    for (std::size_t i = 0; attributes[i] != nullptr; i += 2) {
        if (localName(attributes[i]) == wanted) return std::string_view(attributes[i + 1]);
    }
    return std::nullopt;
}

// Spreadsheets write a control character in text as _xHHHH_.
std::u16string unescaped(const std::string& text) {
    std::u16string out = base::utf8ToUtf16(text);
    for (std::size_t at = out.find(u"_x"); at != std::u16string::npos;
         at = out.find(u"_x", at + 1)) {
        if (at + 7 > out.size() || out[at + 6] != u'_') continue;
        const std::string hex = base::utf16ToUtf8(out.substr(at + 2, 4));
        char* end = nullptr;
        const unsigned long unit = std::strtoul(hex.c_str(), &end, 16);
        if (end != hex.c_str() + 4) continue;
        out.replace(at, 7, 1, static_cast<char16_t>(unit));
    }
    return out;
}

// The text of each <si> of the shared strings; phonetic runs (<rPh>) are not part of it.
struct SharedStrings {
    std::vector<std::u16string> strings;
    std::string current;
    bool inText = false;
    int phonetic = 0;

    void start(const XML_Char* name, const XML_Char**) {
        const auto local = localName(name);
        if (local == "si") current.clear();
        if (local == "rPh") ++phonetic;
        if (local == "t") inText = phonetic == 0;
    }
    void end(const XML_Char* name) {
        const auto local = localName(name);
        if (local == "t") inText = false;
        if (local == "rPh") --phonetic;
        if (local == "si") strings.push_back(unescaped(current));
    }
    void text(std::string_view part) {
        if (inText) current += part;
    }
};

// The target of the first sheet: its relationship id from the workbook, then the target the
// workbook's relationships give it.
struct FirstSheetId {
    std::string id;
    void start(const XML_Char* name, const XML_Char** attributes) {
        if (!id.empty() || localName(name) != "sheet") return;
        if (const auto found = attribute(attributes, "id")) id = *found;
    }
    void end(const XML_Char*) {}
    void text(std::string_view) {}
};

struct SheetTarget {
    std::string id;
    std::string target;
    void start(const XML_Char* name, const XML_Char** attributes) {
        if (localName(name) != "Relationship" || attribute(attributes, "Id") != id) return;
        if (const auto found = attribute(attributes, "Target")) target = *found;
    }
    void end(const XML_Char*) {}
    void text(std::string_view) {}
};

// A cell reference's column, from 0: C5 is 2.
std::optional<std::size_t> columnOf(std::string_view reference) {
    std::size_t column = 0;
    std::size_t letters = 0;
    while (letters < reference.size() && reference[letters] >= 'A' && reference[letters] <= 'Z') {
        column = column * 26 + static_cast<std::size_t>(reference[letters] - 'A' + 1);
        ++letters;
    }
    if (letters == 0 || column > 16384) return std::nullopt;
    return column - 1;
}

// A number as spreadsheets show it in a general cell: at most 15 significant digits.
std::u16string shownNumber(const std::string& value) {
    char* end = nullptr;
    const double number = std::strtod(value.c_str(), &end);
    if (end == value.c_str()) return base::utf8ToUtf16(value);
    char shown[32];
    std::snprintf(shown, sizeof shown, "%.15G", number);
    return base::utf8ToUtf16(shown);
}

struct SheetRows {
    const std::vector<std::u16string>& shared;
    std::vector<TableRow> rows;
    std::string type;
    std::string content;
    std::optional<std::size_t> column;
    std::size_t nextColumn = 0;
    bool inValue = false;
    int phonetic = 0;

    void start(const XML_Char* name, const XML_Char** attributes) {
        const auto local = localName(name);
        if (local == "row") {
            const auto number = attribute(attributes, "r");
            const std::size_t index =
                number ? std::strtoul(std::string(*number).c_str(), nullptr, 10) : rows.size() + 1;
            rows.resize(std::max(rows.size() + 1, index));
            nextColumn = 0;
        } else if (local == "c") {
            type = std::string(attribute(attributes, "t").value_or("n"));
            const auto reference = attribute(attributes, "r");
            column = reference ? columnOf(*reference) : nextColumn;
            content.clear();
        } else if (local == "rPh") {
            ++phonetic;
        } else if (local == "v" || local == "t") {
            inValue = phonetic == 0;
        }
    }
    void end(const XML_Char* name) {
        const auto local = localName(name);
        if (local == "v" || local == "t") inValue = false;
        if (local == "rPh") --phonetic;
        if (local != "c" || rows.empty() || !column) return;
        TableRow& row = rows.back();
        if (row.size() <= *column) row.resize(*column + 1);
        row[*column] = valueOf();
        nextColumn = *column + 1;
    }
    void text(std::string_view part) {
        if (inValue) content += part;
    }

    std::u16string valueOf() const {
        if (type == "s") {
            const std::size_t index = std::strtoul(content.c_str(), nullptr, 10);
            return index < shared.size() ? shared[index] : u"";
        }
        if (type == "b") return content == "1" ? u"TRUE" : u"FALSE";
        if (type == "n" && !content.empty()) return shownNumber(content);
        return unescaped(content);  // inline strings, a formula's text, errors such as #DIV/0!
    }
};

}  // namespace

std::vector<TableRow> parseXlsx(std::string_view bytes, const std::u16string& source) {
    const ZipArchive archive = openArchive(bytes, source);
    FirstSheetId first;
    parseXml(partOf(archive.get(), "xl/workbook.xml", source).value_or(""), first, source);
    SheetTarget target{first.id, {}};
    if (const auto rels = partOf(archive.get(), "xl/_rels/workbook.xml.rels", source)) {
        parseXml(*rels, target, source);
    }
    if (target.target.empty()) notAWorkbook(source, u"找不到第一个工作表。");
    const std::string sheetPart =
        target.target.starts_with('/') ? target.target.substr(1) : "xl/" + target.target;
    SharedStrings shared;
    if (const auto strings = partOf(archive.get(), "xl/sharedStrings.xml", source)) {
        parseXml(*strings, shared, source);
    }
    const auto sheet = partOf(archive.get(), sheetPart, source);
    if (!sheet) notAWorkbook(source, u"找不到第一个工作表。");
    SheetRows rows{shared.strings, {}, {}, {}, {}, 0, false, 0};
    parseXml(*sheet, rows, source);
    return std::move(rows.rows);
}

}  // namespace cli
