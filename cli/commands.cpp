#include "cli/commands.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/path_name.h"
#include "base/unicode.h"
#include "cad/engine/backup_restore.h"
#include "cad/error.h"
#include "cad/startup.h"
#include "cli/batch_report.h"
#include "cli/csv_table.h"
#include "cli/escape.h"
#include "cli/failure_text.h"
#include "cli/given_path_dialog.h"
#include "cli/table_file.h"
#include "cli/text_fields.h"
#include "ops/model_space_walk.h"
#include "ops/read_template.h"
#include "titleblock/field_map.h"

namespace cli {

namespace {

namespace fs = std::filesystem;

// Start-up's messages never stop it, so here they are warnings; a command that cannot go on
// fails later with its own error.
cad::Connection startUp(cad::Connector& connector, titleblock::Fields& fields, Console& console) {
    return cad::startUp(connector, fields, [&console](const std::u16string& text) {
        console.err << "警告: " << base::utf16ToUtf8(text) << '\n' << std::flush;
    });
}

std::string shown(std::u16string_view text) { return base::utf16ToUtf8(escapeValue(text)); }

// A read's bar would only interleave with its result, which is the values themselves.
class HiddenProgress : public ops::Progress {
public:
    void setMax(float) override {}
    void setValue(float) override {}
};

// The fields, counting what the read puts into them.
class CountedFields : public TextFields {
public:
    void setText(int field, const std::u16string& text) override {
        ++sets;
        TextFields::setText(field, text);
    }
    int sets = 0;
};

// How a drawing is named in an exported table: relative to the table's folder when below it, so
// that the table and the drawings can move together.
std::u16string tablePathOf(const std::u16string& drawing, const fs::path& tableFolder) {
    const fs::path absolute = fs::absolute(base::pathOf(drawing)).lexically_normal();
    if (!tableFolder.empty()) {
        const fs::path relative = absolute.lexically_relative(tableFolder);
        if (!relative.empty() && *relative.begin() != "..") {
            return base::nameOf(relative);
        }
    }
    return base::nameOf(absolute);
}

void writeOutput(const std::optional<std::u16string>& outputFile, const std::string& bytes,
                 Console& console) {
    if (!outputFile) {
        console.out << bytes;
        return;
    }
    std::ofstream file(base::pathOf(*outputFile), std::ios::binary | std::ios::trunc);
    file << bytes;
    if (!file.flush()) {
        throw cad::Error(cad::errc::kWriteFault, u"无法写入表格 " + *outputFile + u"。");
    }
}

}  // namespace

int readCommand(cad::Connector& connector, const std::u16string& drawing, Console& console) {
    CountedFields fields;
    const cad::Connection connection = startUp(connector, fields, console);
    fields.sets = 0;
    GivenPathDialog dialog(drawing);
    HiddenProgress progress;
    ops::readTemplate(connection, dialog, progress, fields);

    for (const int field : titleblock::fieldsInOrder()) {
        console.out << base::utf16ToUtf8(titleblock::tagForField(field)) << '\t'
                    << shown(fields.text(field)) << '\n';
    }
    if (fields.sets > 0) return kAllDone;
    console.err << "无标题栏 no title block: " << shown(drawing)
                << "（模型空间中没有 29 个标记中的任何一个 none of the 29 tags in model space）\n";
    return kSomeWithoutTitleBlock;
}

int inspectCommand(cad::Connector& connector, const std::u16string& drawing, Console& console) {
    TextFields fields;
    const cad::Connection connection = startUp(connector, fields, console);
    const auto modelSpace = ops::openModelSpace(connection, drawing);
    if (const auto codePage = connection.AcadApp->activeDocument()->codePage()) {
        console.out << "代码页 code page: " << shown(codePage->name)
                    << (codePage->guessed ? "（推测：图形未指明或无法识别代码页 guessed）" : "")
                    << '\n';
    }
    ops::walkModelSpace(
        *modelSpace, modelSpace->count(),
        [&console](std::int32_t index, const std::u16string& name) {
            console.out << index << '\t' << shown(name) << '\n';
        },
        [&console](cad::Attribute& attribute) {
            console.out << "  " << shown(attribute.tagString()) << '\t'
                        << shown(attribute.textString()) << '\n';
        });
    return kAllDone;
}

int batchCommand(cad::Connector& connector, const std::vector<ops::DrawingJob>& jobs,
                 const ops::BatchOptions& options, const cad::DrawingFiles& files,
                 Console& console) {
    TextFields fields;
    const cad::Connection connection = startUp(connector, fields, console);
    BatchReport report(console, jobs, options);
    const std::size_t reported = ops::runReportedBatch(connection, jobs, options, report, files);
    return report.finish(reported);
}

std::vector<ops::DrawingJob> sameValuesFor(const std::vector<std::u16string>& drawings,
                                           const FieldValues& values) {
    std::vector<ops::DrawingJob> jobs(drawings.size());
    std::transform(drawings.begin(), drawings.end(), jobs.begin(),
                   [&values](const std::u16string& drawing) {
                       return ops::DrawingJob{drawing, values};
                   });
    return jobs;
}

int exportCommand(cad::Connector& connector, const std::vector<std::u16string>& drawings,
                  const std::optional<std::u16string>& outputFile, bool keepGoing,
                  Console& console) {
    TextFields fields;
    const cad::Connection connection = startUp(connector, fields, console);
    const fs::path tableFolder =
        outputFile ? fs::absolute(base::pathOf(*outputFile)).lexically_normal().parent_path()
                   : fs::path();

    std::vector<TableRow> rows{tableHeader()};
    int status = kAllDone;
    for (const auto& drawing : drawings) {
        std::map<int, std::u16string> values;
        try {
            values = ops::readTitleBlockValues(connection, drawing);
        } catch (const cad::Error& e) {
            console.err << "失败 failed: " << shown(drawing) << ": " << failureText(e) << '\n';
            if (!keepGoing) return kSomeFailed;
            status = kSomeFailed;
            continue;
        }
        if (values.empty()) {
            console.err << "无标题栏 no title block: " << shown(drawing)
                        << "（这一行的值都是空的 its row is empty）\n";
            if (status == kAllDone) status = kSomeWithoutTitleBlock;
        }
        TableRow row{tablePathOf(drawing, tableFolder)};
        for (const auto& mapRow : titleblock::kFieldMap) {
            const auto value = values.find(mapRow.field);
            row.push_back(value == values.end() ? u"" : value->second);
        }
        rows.push_back(std::move(row));
    }
    writeOutput(outputFile, formatCsv(rows), console);
    return status;
}

int restoreCommand(const std::vector<std::u16string>& drawings, Console& console) {
    int status = kAllDone;
    for (std::size_t i = 0; i < drawings.size(); ++i) {
        console.err << '[' << i + 1 << '/' << drawings.size() << "] " << shown(drawings[i]) << ' ';
        try {
            cad::engine::restoreLastSave(drawings[i]);
            console.err << "已恢复 restored（与备份交换 exchanged with its .bak）\n";
        } catch (const cad::Error& e) {
            console.err << "失败 failed: " << failureText(e) << '\n';
            status = kSomeFailed;
        }
    }
    return status;
}

}  // namespace cli
