#include "ops/batch.h"

#include "ops/batch_list.h"
#include "ops/model_space_walk.h"
#include "ops/object_ref.h"

namespace ops {

namespace {

DrawingOutcome updateDrawing(const cad::Connection& connection, const std::u16string& path,
                             std::size_t index, const BatchValues& values,
                             const BatchPolicy& policy, BatchObserver& observer) {
    const bool compare = policy.saves == SaveRule::kChangedDrawings;
    const bool dryRun = policy.options.dryRun;
    DrawingOutcome outcome;
    bool titleBlock = false;
    const OpenedDrawing drawing = openDrawing(connection, path);
    cad::ModelSpace& modelSpace = *drawing.modelSpace;
    forEachTitleBlockAttribute(modelSpace, modelSpace.count(),
                               [&](cad::Attribute& attribute, int field) {
                                   titleBlock = true;
                                   const std::u16string value = values.value(index, field);
                                   if (value.empty()) {
                                       ++outcome.unchanged;
                                       return;
                                   }
                                   if (compare) {
                                       const std::u16string old = attribute.textString();
                                       if (old == value) {
                                           ++outcome.unchanged;
                                           return;
                                       }
                                       observer.onChange(path, attribute.tagString(), old, value);
                                   }
                                   if (!dryRun) attribute.putTextString(value);
                                   ++outcome.changed;
                               });
    if (!titleBlock) {
        outcome.result = DrawingResult::kNoTitleBlock;
    } else if (outcome.changed > 0) {
        outcome.result = DrawingResult::kSaved;
    }
    if (!dryRun && (!compare || outcome.result == DrawingResult::kSaved)) {
        deref(drawing.document).save();
    }
    return outcome;
}

}  // namespace

BatchEnd runBatch(const cad::Connection& connection, const std::vector<std::u16string>& paths,
                  const BatchValues& values, const BatchPolicy& policy, BatchObserver& observer,
                  const cad::DrawingFiles& files) {
    const std::vector<std::size_t> firstListing = checkBatchList(paths, files);
    for (std::size_t index = 0; index < paths.size(); ++index) {
        const std::size_t first = firstListing[index];
        if (first != index && !values.sameValues(first, index)) {
            throw listedTwiceWithOtherValues(paths[first], paths[index]);
        }
    }
    observer.onStart(paths.size());
    for (std::size_t index = 0; index < paths.size(); ++index) {
        DrawingOutcome outcome;
        if (firstListing[index] == index) {
            try {
                outcome = updateDrawing(connection, paths[index], index, values, policy, observer);
            } catch (const cad::Error& e) {
                outcome = {DrawingResult::kFailed, 0, 0, e};
            }
        }
        observer.onDrawing(index, paths[index], outcome);
        if (outcome.failure && !policy.options.keepGoing) return {index + 1, outcome.failure};
    }
    return {paths.size(), std::nullopt};
}

}  // namespace ops
