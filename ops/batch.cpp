#include "ops/batch.h"

#include <utility>
#include <vector>

#include "ops/batch_list.h"
#include "ops/model_space_walk.h"
#include "ops/object_ref.h"

namespace ops {

namespace {

// Writes every non-empty value without reading what the attribute holds (SaveRule::kEveryDrawing).
DrawingOutcome writeEveryValue(cad::ModelSpace& modelSpace, std::size_t index,
                               const BatchValues& values, bool dryRun) {
    DrawingOutcome outcome;
    outcome.result = DrawingResult::kNoTitleBlock;
    forEachTitleBlockAttribute(modelSpace, modelSpace.count(),
                               [&](cad::Attribute& attribute, int field) {
                                   outcome.result = DrawingResult::kUnchanged;
                                   const std::u16string value = values.value(index, field);
                                   if (value.empty()) {
                                       ++outcome.unchanged;
                                       return;
                                   }
                                   if (!dryRun) attribute.putTextString(value);
                                   ++outcome.changed;
                               });
    return outcome;
}

// Writes the values that differ from what their attributes hold (SaveRule::kChangedDrawings).
// What would change is gathered first, so that a value the guard refuses fails the drawing
// before anything in it is written.
DrawingOutcome writeChangedValues(cad::ModelSpace& modelSpace, const std::u16string& path,
                                  std::size_t index, const BatchValues& values,
                                  const BatchOptions& options, BatchObserver& observer) {
    DrawingOutcome outcome;
    outcome.result = DrawingResult::kNoTitleBlock;
    std::vector<ValueChange> changes;
    forEachTitleBlockAttribute(
        modelSpace, modelSpace.count(), [&](cad::Attribute& attribute, int field) {
            outcome.result = DrawingResult::kUnchanged;
            std::u16string value = values.value(index, field);
            std::u16string current = value.empty() ? u"" : attribute.textString();
            if (value.empty() || current == value) {
                ++outcome.unchanged;
                return;
            }
            changes.push_back({attribute.tagString(), std::move(current), std::move(value)});
        });
    if (options.guard && !changes.empty()) {
        if (auto refused = options.guard(changes)) throw *std::move(refused);
    }
    for (const ValueChange& change : changes)
        observer.onChange(path, change.tag, change.current, change.value);
    outcome.changed = static_cast<int>(changes.size());
    if (changes.empty() || options.dryRun) return outcome;
    forEachTitleBlockAttribute(modelSpace, modelSpace.count(),
                               [&](cad::Attribute& attribute, int field) {
                                   const std::u16string value = values.value(index, field);
                                   if (!value.empty() && attribute.textString() != value) {
                                       attribute.putTextString(value);
                                   }
                               });
    return outcome;
}

DrawingOutcome updateDrawing(const cad::Connection& connection, const std::u16string& path,
                             std::size_t index, const BatchValues& values,
                             const BatchPolicy& policy, BatchObserver& observer) {
    const OpenedDrawing drawing = openDrawing(connection, path);
    const bool everyDrawing = policy.saves == SaveRule::kEveryDrawing;
    DrawingOutcome outcome =
        everyDrawing ? writeEveryValue(*drawing.modelSpace, index, values, policy.options.dryRun)
                     : writeChangedValues(*drawing.modelSpace, path, index, values, policy.options,
                                          observer);
    if (outcome.result != DrawingResult::kNoTitleBlock && outcome.changed > 0) {
        outcome.result = DrawingResult::kSaved;
    }
    if (!policy.options.dryRun && (everyDrawing || outcome.result == DrawingResult::kSaved)) {
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
