#include "ops/read_template.h"

#include "ops/model_space_walk.h"

namespace ops {

TemplateRead readTemplate(const cad::Connection& connection, FileDialog& dialog, Progress& progress,
                          titleblock::Fields& fields) {
    dialog.showOpen();
    // Taken whole, even when an earlier batch left multiple selection on: one path, or none.
    const std::u16string path = dialog.settings().fileName;
    if (path.empty()) return {};
    return readTemplateFile(connection, path, progress, fields);
}

TemplateRead readTemplateFile(const cad::Connection& connection, const std::u16string& path,
                              Progress& progress, titleblock::Fields& fields) {
    const auto modelSpace = openModelSpace(connection, path);
    // Count is asked twice, for the maximum and then for the bound, as a CAD application that
    // binds on the order of calls expects.
    progress.setMax(static_cast<float>(modelSpace->count()));
    const std::int32_t count = modelSpace->count();
    TemplateRead read{path};
    forEachTitleBlockAttribute(*modelSpace, count, [&](const auto& attribute, int field) {
        fields.setText(field, attribute->textString());
        ++read.attributesRead;
    });
    progress.setValue(static_cast<float>(count));
    return read;
}

}  // namespace ops
