#include "ops/read_template.h"

#include "ops/model_space_walk.h"

namespace ops {

void readTemplate(const cad::Connection& connection, FileDialog& dialog, Progress& progress,
                  titleblock::Fields& fields) {
    dialog.showOpen();
    // Taken whole, even when an earlier batch left multiple selection on: one path, or none.
    const std::u16string path = dialog.settings().fileName;
    if (path.empty()) return;
    readTemplateFile(connection, path, progress, fields);
}

void readTemplateFile(const cad::Connection& connection, const std::u16string& path,
                      Progress& progress, titleblock::Fields& fields) {
    const auto modelSpace = openModelSpace(connection, path);
    // Count is asked twice, for the maximum and then for the bound, as a CAD application that
    // binds on the order of calls expects.
    progress.setMax(static_cast<float>(modelSpace->count()));
    const std::int32_t count = modelSpace->count();
    forEachTitleBlockAttribute(*modelSpace, count, [&](cad::Attribute& attribute, int field) {
        fields.setText(field, attribute.textString());
    });
    progress.setValue(static_cast<float>(count));
}

}  // namespace ops
