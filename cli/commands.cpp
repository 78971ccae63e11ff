#include "cli/commands.h"

#include <algorithm>

#include "base/unicode.h"
#include "cad/error.h"
#include "cad/startup.h"
#include "cli/escape.h"
#include "cli/given_path_dialog.h"
#include "cli/stderr_progress.h"
#include "cli/text_fields.h"
#include "ops/batch_update.h"
#include "ops/file_list.h"
#include "ops/model_space_walk.h"
#include "ops/read_template.h"
#include "titleblock/field_map.h"

namespace cli {

namespace {

cad::Connection startUp(cad::Connector& connector, titleblock::Fields& fields, Console& console) {
    return cad::startUp(connector, fields, [&console](const std::u16string& text) {
        console.err << base::utf16ToUtf8(text) << '\n' << std::flush;
    });
}

// A read's bar would only interleave with its result, which is the values themselves.
class HiddenProgress : public ops::Progress {
public:
    void setMax(float) override {}
    void setValue(float) override {}
};

}  // namespace

void readCommand(cad::Connector& connector, const std::u16string& drawing, Console& console) {
    TextFields fields;
    const cad::Connection connection = startUp(connector, fields, console);
    GivenPathDialog dialog(drawing);
    HiddenProgress progress;
    ops::readTemplate(connection, dialog, progress, fields);

    for (const int field : titleblock::fieldsInOrder()) {
        console.out << base::utf16ToUtf8(titleblock::tagForField(field)) << '\t'
                    << base::utf16ToUtf8(escapeValue(fields.text(field))) << '\n';
    }
}

void applyCommand(cad::Connector& connector, const FieldValues& values,
                  const std::vector<std::u16string>& drawings, Console& console) {
    TextFields fields;
    const cad::Connection connection = startUp(connector, fields, console);
    // Start-up left one space in every field; only the listed ones are to be written.
    for (const int field : titleblock::fieldsInOrder()) {
        const auto listed = values.find(field);
        fields.setText(field, listed == values.end() ? u"" : listed->second);
    }

    const std::vector<std::u16string> FileList = ops::fileListOf(drawings);
    const auto FileCount = static_cast<std::int32_t>(drawings.size());
    StderrProgress progress(console.err, console.errIsTerminal, FileList);
    try {
        ops::batchUpdate(connection, FileList, FileCount, progress, fields);
    } catch (const cad::Error&) {
        progress.finish();
        throw;
    }
    progress.finish();
    const auto written = std::count_if(values.begin(), values.end(),
                                       [](const auto& listed) { return !listed.second.empty(); });
    console.out << "已更新并保存 " << FileCount << " 个图形，写入 " << written
                << " 个字段。 Updated and saved " << FileCount << " drawing(s), " << written
                << " field(s) written.\n";
}

void inspectCommand(cad::Connector& connector, const std::u16string& drawing, Console& console) {
    TextFields fields;
    const cad::Connection connection = startUp(connector, fields, console);
    const auto modelSpace = ops::openModelSpace(connection, drawing);
    if (const auto codePage = connection.AcadApp->activeDocument()->codePage()) {
        console.out << "代码页 code page: " << base::utf16ToUtf8(codePage->name)
                    << (codePage->guessed ? "（推测：图形未指明或无法识别代码页 guessed）" : "")
                    << '\n';
    }
    ops::walkModelSpace(
        *modelSpace, modelSpace->count(),
        [&console](std::int32_t index, const std::u16string& name) {
            console.out << index << '\t' << base::utf16ToUtf8(escapeValue(name)) << '\n';
        },
        [&console](cad::Attribute& attribute) {
            console.out << "  " << base::utf16ToUtf8(escapeValue(attribute.tagString())) << '\t'
                        << base::utf16ToUtf8(escapeValue(attribute.textString())) << '\n';
        });
}

}  // namespace cli
