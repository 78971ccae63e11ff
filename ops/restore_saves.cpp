#include "ops/restore_saves.h"

#include "ops/batch_list.h"

namespace ops {

void restoreLastSaves(const cad::DrawingFiles& files, const std::vector<std::u16string>& drawings,
                      const RestoreObserver& onDrawing) {
    const std::vector<std::size_t> firstListing = checkBatchList(drawings, files);
    for (std::size_t index = 0; index < drawings.size(); ++index) {
        if (firstListing[index] != index) {
            throw listedTwiceToRestore(drawings[firstListing[index]], drawings[index]);
        }
    }
    for (std::size_t index = 0; index < drawings.size(); ++index) {
        std::optional<cad::Error> failure;
        try {
            files.restoreLastSave(drawings[index]);
        } catch (const cad::Error& e) {
            failure = e;
        }
        onDrawing(index, failure);
    }
}

}  // namespace ops
