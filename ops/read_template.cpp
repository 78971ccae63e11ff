#include "ops/read_template.h"

#include "ops/model_space_walk.h"

namespace ops {

void readTemplate(const cad::Connection& connection, FileDialog& dialog, Progress& progress,
                  titleblock::Fields& fields) {
    dialog.showOpen();
    // Taken whole, even when an earlier batch left multiple selection on: one path, or none.
    const std::u16string path = dialog.settings().fileName;
    if (path.empty()) return;

    const auto modelSpace = openModelSpace(connection, path);
    const std::int32_t count = modelSpace->count();
    progress.setMax(static_cast<float>(count));
    forEachTitleBlockAttribute(*modelSpace, count, [&](cad::Attribute& attribute, int field) {
        fields.setText(field, attribute.textString());
    });
    progress.setValue(static_cast<float>(count));
}

}  // namespace ops
