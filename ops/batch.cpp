#include "ops/batch.h"

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "ops/batch_list.h"
#include "ops/model_space_walk.h"
#include "ops/object_ref.h"
#include "ops/worker_connections.h"
#include "titleblock/field_map.h"

namespace ops {

namespace {

// A drawing done with, and the values that changed in it (in a dry run: would change), which
// the observer is told of once the drawing is done, in the order of the list.
struct DrawingDone {
    DrawingOutcome outcome;
    std::vector<ValueChange> changes;
};

using ValueOf = std::function<std::u16string(int field)>;

// Writes every non-empty value without reading what the attribute holds (SaveRule::kEveryDrawing).
void writeEveryValue(const OpenedDrawing& drawing, const ValueOf& valueOf,
                     const BatchOptions& options, DrawingOutcome& outcome) {
    const bool dryRun = options.dryRun;
    forEachTitleBlockAttribute(drawing, options.layouts,
                               [&](const std::shared_ptr<cad::Attribute>& attribute, int field) {
                                   outcome.result = DrawingResult::kUnchanged;
                                   const std::u16string value = valueOf(field);
                                   if (value.empty()) {
                                       ++outcome.unchanged;
                                       return;
                                   }
                                   if (!dryRun) attribute->putTextString(value);
                                   ++outcome.changed;
                               });
}

// Writes the values that differ from what their attributes hold (SaveRule::kChangedDrawings).
// What would change is gathered first, with the attributes it goes to, so that a value the guard
// refuses fails the drawing before anything in it is written.
void writeChangedValues(const OpenedDrawing& drawing, const ValueOf& valueOf,
                        const BatchOptions& options, DrawingDone& done) {
    DrawingOutcome& outcome = done.outcome;
    std::vector<ValueChange> changes;
    std::vector<std::shared_ptr<cad::Attribute>> changing;
    forEachTitleBlockAttribute(
        drawing, options.layouts, [&](const std::shared_ptr<cad::Attribute>& attribute, int field) {
            outcome.result = DrawingResult::kUnchanged;
            std::u16string value = valueOf(field);
            std::u16string current = value.empty() ? u"" : attribute->textString();
            if (value.empty() || current == value) {
                ++outcome.unchanged;
                return;
            }
            changes.push_back({attribute->tagString(), std::move(current), std::move(value)});
            changing.push_back(attribute);
        });
    if (options.guard && !changes.empty()) {
        if (auto refused = options.guard(changes)) throw *std::move(refused);
    }
    outcome.changed = static_cast<int>(changes.size());
    if (!options.dryRun) {
        for (std::size_t i = 0; i < changing.size(); ++i)
            changing[i]->putTextString(changes[i].value);
    }
    done.changes = std::move(changes);
}

void updateDrawing(const cad::Connection& connection, const std::u16string& path,
                   const ValueOf& valueOf, const BatchPolicy& policy,
                   const cad::DrawingFiles& files, DrawingDone& done) {
    const OpenedDrawing drawing = openDrawing(connection, path);
    const bool everyDrawing = policy.saves == SaveRule::kEveryDrawing;
    DrawingOutcome& outcome = done.outcome;
    outcome.result = DrawingResult::kNoTitleBlock;
    if (everyDrawing) {
        writeEveryValue(drawing, valueOf, policy.options, outcome);
    } else {
        writeChangedValues(drawing, valueOf, policy.options, done);
    }
    if (outcome.result != DrawingResult::kNoTitleBlock && outcome.changed > 0) {
        outcome.result = DrawingResult::kSaved;
    }
    if (!everyDrawing && outcome.result != DrawingResult::kSaved) return;
    if (policy.options.dryRun) {
        // A drawing the real run could not save is no "would save".
        files.ensureSavable(path);
    } else {
        deref(drawing.document).save();
    }
}

// A failing drawing is a result like any other, told with the changes found before it failed;
// whatever is not a CAD failure ends the batch.
DrawingDone updateOrFail(const cad::Connection& connection, const std::u16string& path,
                         const ValueOf& valueOf, const BatchPolicy& policy,
                         const cad::DrawingFiles& files) {
    DrawingDone done;
    try {
        updateDrawing(connection, path, valueOf, policy, files, done);
    } catch (const cad::Error& e) {
        done.outcome = {DrawingResult::kFailed, 0, 0, e};
    }
    return done;
}

// The values every drawing is to receive, read here before the workers start: `values` need only
// be asked from this thread (the window's fields are widgets).
using FieldValues = std::array<std::u16string, titleblock::kFieldCount + 1>;
std::vector<FieldValues> valuesOfEvery(const BatchValues& values, std::size_t count) {
    std::vector<FieldValues> table(count);
    for (std::size_t index = 0; index < count; ++index) {
        for (const titleblock::FieldMapRow& row : titleblock::kFieldMap)
            table[index][static_cast<std::size_t>(row.field)] = values.value(index, row.field);
    }
    return table;
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

    BatchEnd end{0, std::nullopt};
    // Tells the observer of one drawing done; false once the batch is to stop.
    const auto tell = [&](std::size_t index, DrawingDone& done) {
        for (const ValueChange& change : done.changes)
            observer.onChange(paths[index], change.tag, change.current, change.value);
        observer.onDrawing(index, paths[index], done.outcome);
        end.told = index + 1;
        if (done.outcome.failure && !end.stoppedBy && !policy.options.keepGoing)
            end.stoppedBy = done.outcome.failure;
        return !end.stoppedBy;
    };
    // A file listed again was done at its first listing.
    const auto isRepeat = [&](std::size_t index) { return firstListing[index] != index; };

    // Workers are given every value before they start; one at a time, each is asked as its
    // attribute is reached.
    const bool onWorkers = paths.size() > 1 && workersFor(connection, policy.options.workers) > 1;
    const std::vector<FieldValues> table =
        onWorkers ? valuesOfEvery(values, paths.size()) : std::vector<FieldValues>();
    runOnConnections<DrawingDone>(
        connection, paths.size(), policy.options.workers,
        [&](const cad::Connection& own, std::size_t index) {
            if (isRepeat(index)) return DrawingDone{};
            const ValueOf valueOf = [&, index](int field) {
                return onWorkers ? table[index][static_cast<std::size_t>(field)]
                                 : values.value(index, field);
            };
            return updateOrFail(own, paths[index], valueOf, policy, files);
        },
        tell);
    if (!end.stoppedBy) end.told = paths.size();
    return end;
}

}  // namespace ops
