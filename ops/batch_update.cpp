#include "ops/batch_update.h"

#include "cad/error.h"
#include "ops/batch_list.h"
#include "ops/model_space_walk.h"
#include "ops/object_ref.h"

namespace ops {

namespace {

const std::u16string& pathAt(const std::vector<std::u16string>& FileList, std::int64_t f) {
    if (f >= static_cast<std::int64_t>(FileList.size())) {
        throw cad::Error(cad::errc::kBadIndex, u"文件列表下标越界：文件数大于文件列表中的路径数。");
    }
    return FileList[static_cast<std::size_t>(f)];
}

}  // namespace

void batchUpdate(const cad::Connection& connection, const std::vector<std::u16string>& FileList,
                 std::int32_t FileCount, Progress& progress, const titleblock::Fields& fields,
                 const cad::DrawingFiles& files) {
    const std::vector<std::size_t> repeated = checkBatchList(FileList, FileCount, files);
    progress.setMax(static_cast<float>(FileCount));
    for (std::int64_t f = 1; f <= FileCount; ++f) {
        if (static_cast<std::size_t>(f) < repeated.size() &&
            repeated[static_cast<std::size_t>(f)] != 0) {
            progress.setValue(static_cast<float>(f));
            continue;
        }
        const OpenedDrawing drawing = openDrawing(connection, pathAt(FileList, f));
        cad::ModelSpace& modelSpace = *drawing.modelSpace;
        forEachTitleBlockAttribute(modelSpace, modelSpace.count(),
                                   [&](cad::Attribute& attribute, int field) {
                                       // Read now, not before the batch: the field is the store.
                                       const std::u16string text = fields.text(field);
                                       if (!text.empty()) attribute.putTextString(text);
                                   });
        deref(drawing.document).save();
        progress.setValue(static_cast<float>(f));
    }
}

}  // namespace ops
