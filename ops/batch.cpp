#include "ops/batch.h"

#include <array>
#include <functional>

#include "ops/batch_list.h"
#include "ops/model_space_walk.h"
#include "ops/object_ref.h"
#include "ops/ordered_workers.h"
#include "titleblock/field_map.h"

namespace ops {

namespace {

// An attribute whose value a drawing's update replaced (in a dry run: would replace), told to
// the observer once the drawing is done, in the order of the list.
struct Change {
    std::u16string tag;
    std::u16string oldValue;
    std::u16string newValue;
};

struct DrawingDone {
    DrawingOutcome outcome;
    std::vector<Change> changes;
};

using ValueOf = std::function<std::u16string(int field)>;

void updateDrawing(const cad::Connection& connection, const std::u16string& path,
                   const ValueOf& valueOf, const BatchPolicy& policy, DrawingDone& done) {
    const bool compare = policy.saves == SaveRule::kChangedDrawings;
    const bool dryRun = policy.options.dryRun;
    DrawingOutcome& outcome = done.outcome;
    bool titleBlock = false;
    const OpenedDrawing drawing = openDrawing(connection, path);
    cad::ModelSpace& modelSpace = *drawing.modelSpace;
    forEachTitleBlockAttribute(
        modelSpace, modelSpace.count(), [&](cad::Attribute& attribute, int field) {
            titleBlock = true;
            const std::u16string value = valueOf(field);
            if (value.empty()) {
                ++outcome.unchanged;
                return;
            }
            if (compare) {
                std::u16string old = attribute.textString();
                if (old == value) {
                    ++outcome.unchanged;
                    return;
                }
                done.changes.push_back({attribute.tagString(), std::move(old), value});
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
}

// A failing drawing is a result like any other, told with the changes found before it failed;
// whatever is not a CAD failure ends the batch.
DrawingDone updateOrFail(const cad::Connection& connection, const std::u16string& path,
                         const ValueOf& valueOf, const BatchPolicy& policy) {
    DrawingDone done;
    try {
        updateDrawing(connection, path, valueOf, policy, done);
    } catch (const cad::Error& e) {
        done.outcome = {DrawingResult::kFailed, 0, 0, e};
    }
    return done;
}

// A further instance of the application for each worker, where it serves several drawings at
// once (the built-in engine); nothing where it serves one call at a time.
std::shared_ptr<cad::Application> independentInstance(const cad::Connection& connection) {
    return connection.AcadApp ? connection.AcadApp->independentInstance() : nullptr;
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
        for (const Change& change : done.changes)
            observer.onChange(paths[index], change.tag, change.oldValue, change.newValue);
        observer.onDrawing(index, paths[index], done.outcome);
        end.told = index + 1;
        if (done.outcome.failure && !end.stoppedBy && !policy.options.keepGoing)
            end.stoppedBy = done.outcome.failure;
        return !end.stoppedBy;
    };
    // A file listed again was done at its first listing.
    const auto isRepeat = [&](std::size_t index) { return firstListing[index] != index; };

    if (policy.options.workers > 1 && paths.size() > 1 && independentInstance(connection)) {
        const std::vector<FieldValues> table = valuesOfEvery(values, paths.size());
        runInOrder<DrawingDone>(
            paths.size(), policy.options.workers,
            [&]() -> std::function<DrawingDone(std::size_t)> {
                const std::shared_ptr<cad::Application> own = independentInstance(connection);
                const cad::Connection worker{own, deref(own).activeDocument()};
                return [&, worker](std::size_t index) {
                    if (isRepeat(index)) return DrawingDone{};
                    return updateOrFail(
                        worker, paths[index],
                        [&](int field) { return table[index][static_cast<std::size_t>(field)]; },
                        policy);
                };
            },
            tell);
    } else {
        for (std::size_t index = 0; index < paths.size(); ++index) {
            DrawingDone done;
            if (!isRepeat(index)) {
                done = updateOrFail(
                    connection, paths[index], [&](int field) { return values.value(index, field); },
                    policy);
            }
            if (!tell(index, done)) break;
        }
    }
    if (!end.stoppedBy) end.told = paths.size();
    return end;
}

}  // namespace ops
