#include "ops/restore_saves.h"

#include "ops/batch_list.h"
#include "ops/ordered_workers.h"

namespace ops {

void restoreLastSaves(const cad::DrawingFiles& files, const std::vector<std::u16string>& drawings,
                      std::size_t workers, const RestoreObserver& onDrawing) {
    const std::vector<std::size_t> firstListing = checkBatchList(drawings, files);
    for (std::size_t index = 0; index < drawings.size(); ++index) {
        if (firstListing[index] != index) {
            throw listedTwiceToRestore(drawings[firstListing[index]], drawings[index]);
        }
    }
    using Failure = std::optional<cad::Error>;
    runInOrder<Failure>(
        drawings.size(), workers,
        [&]() -> std::function<Failure(std::size_t)> {
            return [&](std::size_t index) -> Failure {
                try {
                    files.restoreLastSave(drawings[index]);
                } catch (const cad::Error& e) {
                    return e;
                }
                return std::nullopt;
            };
        },
        [&](std::size_t index, const Failure& failure) {
            onDrawing(index, failure);
            return true;
        });
}

}  // namespace ops
