#pragma once

#include <cstdint>
#include <string>

#include "cad/startup.h"
#include "ops/file_dialog.h"
#include "ops/progress.h"
#include "titleblock/fields.h"

namespace ops {

// What a read found, so that the user can be told of a drawing without a title block.
struct TemplateRead {
    std::u16string path;              // the drawing read; empty when nothing was chosen
    std::int32_t attributesRead = 0;  // title-block attributes copied into the fields
};

// Lets the user choose one drawing and copies the value of every title-block attribute of every
// block reference in its model space into the matching field. Throws cad::Error on the first
// failure; a dialog result of "" ends it with no CAD call.
TemplateRead readTemplate(const cad::Connection& connection, FileDialog& dialog, Progress& progress,
                          titleblock::Fields& fields);
// The same read of a drawing already chosen, such as one named on the command line.
TemplateRead readTemplateFile(const cad::Connection& connection, const std::u16string& path,
                              Progress& progress, titleblock::Fields& fields);

}  // namespace ops
