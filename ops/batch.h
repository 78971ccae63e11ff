#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "cad/drawing_files.h"
#include "cad/error.h"
#include "cad/startup.h"

namespace ops {

// How one drawing of a batch ended, by what its title block received. Under
// SaveRule::kEveryDrawing a drawing that did not fail is saved whatever its result, and a value
// counts as written even where the attribute held it already.
enum class DrawingResult {
    kSaved,      // at least one attribute written, and the drawing saved (in a dry run: would be)
    kUnchanged,  // a title block, but nothing written into it
    kNoTitleBlock,  // no attribute walked carries any of the 29 tags: nothing written
    kFailed,
};

struct DrawingOutcome {
    DrawingResult result = DrawingResult::kUnchanged;
    int changed = 0;    // title-block attributes written
    int unchanged = 0;  // title-block attributes left as they were
    std::optional<cad::Error> failure;
};

// The values a batch writes, drawing by drawing.
class BatchValues {
public:
    virtual ~BatchValues() = default;
    // What the title-block attributes of `field` in drawing `index` receive; an empty value leaves
    // them alone. Asked as each attribute is reached, not before the batch.
    virtual std::u16string value(std::size_t index, int field) const = 0;
    // Whether drawings `a` and `b` receive the same values: one file listed as both is then
    // written once, and otherwise refused, since writing it once would drop one of them.
    virtual bool sameValues(std::size_t a, std::size_t b) const = 0;
};

// Which drawings a batch saves.
enum class SaveRule {
    // Every drawing it opens, changed or not; each value is written without reading what the
    // attribute held (the window).
    kEveryDrawing,
    // Only those that changed: a value already there is not written again, and a drawing where
    // nothing changed keeps its file and its backup (the command line).
    kChangedDrawings,
};

// A value about to replace what an attribute holds.
struct ValueChange {
    std::u16string tag;
    std::u16string current;
    std::u16string value;
};

// Why a drawing must not receive `changes`, as the drawing's failure; nothing when it may.
using ChangeGuard =
    std::function<std::optional<cad::Error>(const std::vector<ValueChange>& changes)>;

struct BatchOptions {
    bool dryRun = false;     // open and compare, but write and save nothing
    bool keepGoing = false;  // go on after a failing drawing instead of stopping there
    // Drawings opened, written and saved at once, each by a worker with an instance of the
    // application of its own, where the application serves several (the built-in engine): a
    // batch waits on the disk's flushes, and flushes side by side share the file system's
    // journal. One where the application serves one call at a time.
    std::size_t workers = 1;
    // Asked of the values that would change in each drawing (SaveRule::kChangedDrawings),
    // before anything in it is written: a refusal fails the drawing, which is left as it was.
    // With workers it is asked from their threads.
    ChangeGuard guard;
    // Walk the block references of each paper-space layout too, after model space.
    bool layouts = false;
};

// The workers a batch takes unless told otherwise.
inline constexpr std::size_t kDefaultWorkers = 4;

struct BatchPolicy {
    SaveRule saves = SaveRule::kChangedDrawings;
    BatchOptions options;
};

// Told what a batch does, as it does it.
class BatchObserver {
public:
    virtual ~BatchObserver() = default;
    // The list passed its check: `drawings` are about to be done with, none opened yet.
    virtual void onStart(std::size_t /*drawings*/) {}
    // An attribute of the drawing at `path` whose value is replaced (in a dry run: would be).
    // Told only where the batch compares values (SaveRule::kChangedDrawings).
    virtual void onChange(const std::u16string& /*path*/, const std::u16string& /*tag*/,
                          const std::u16string& /*oldValue*/, const std::u16string& /*newValue*/) {}
    // The drawing `paths[index]` is done with; a file listed again is told as unchanged.
    virtual void onDrawing(std::size_t index, const std::u16string& path,
                           const DrawingOutcome& outcome) = 0;
};

struct BatchEnd {
    std::size_t told = 0;  // drawings the observer was told of
    std::optional<cad::Error>
        stoppedBy;  // the failure that ended the batch before its last drawing
};

// The one batch loop of the window and the command line: opens each drawing of `paths` in turn
// (or several at once, `workers`), writes `values` into the attributes with their tags in every
// block reference of its model space (and its layouts, `layouts`), saves it as `policy` says, and
// tells `observer` of each, always in the order of the list and on the calling thread. A failing
// drawing is told and, unless `keepGoing`, ends the batch there: earlier drawings stay saved, later
// ones are not opened, and those already in the workers' hands finish and are told after it. With
// workers, `values` are all asked before the first drawing opens, not as each attribute is reached.
// First the paths are checked (checkBatchList): a list that would overwrite its own inputs, or
// that lists one file twice with different values, throws BatchListError before anything opens.
BatchEnd runBatch(const cad::Connection& connection, const std::vector<std::u16string>& paths,
                  const BatchValues& values, const BatchPolicy& policy, BatchObserver& observer,
                  const cad::DrawingFiles& files);

}  // namespace ops
