#include "ops/reported_batch.h"

#include "ops/batch_list.h"

#include "ops/model_space_walk.h"
#include "ops/object_ref.h"

namespace ops {

namespace {

DrawingOutcome updateDrawing(const cad::Connection& connection, const DrawingJob& job,
                             const BatchOptions& options, BatchObserver& observer) {
    DrawingOutcome outcome;
    bool titleBlock = false;
    const OpenedDrawing drawing = openDrawing(connection, job.path);
    cad::ModelSpace& modelSpace = *drawing.modelSpace;
    forEachTitleBlockAttribute(
        modelSpace, modelSpace.count(), [&](cad::Attribute& attribute, int field) {
            titleBlock = true;
            const auto listed = job.values.find(field);
            const std::u16string old = attribute.textString();
            if (listed == job.values.end() || listed->second.empty() || listed->second == old) {
                ++outcome.unchanged;
                return;
            }
            observer.onChange(job, attribute.tagString(), old, listed->second);
            if (!options.dryRun) attribute.putTextString(listed->second);
            ++outcome.changed;
        });
    if (!titleBlock) {
        outcome.result = DrawingResult::kNoTitleBlock;
    } else if (outcome.changed > 0) {
        if (!options.dryRun) deref(drawing.document).save();
        outcome.result = DrawingResult::kSaved;
    }
    return outcome;
}

}  // namespace

std::size_t runReportedBatch(const cad::Connection& connection, const std::vector<DrawingJob>& jobs,
                             const BatchOptions& options, BatchObserver& observer,
                             const cad::DrawingFiles& files) {
    std::vector<std::u16string> FileList{u""};
    for (const DrawingJob& job : jobs) FileList.push_back(job.path);
    const std::vector<std::size_t> repeated =
        checkBatchList(FileList, static_cast<std::int32_t>(jobs.size()), files);
    // A file written once must not drop values another listing of it asks for.
    for (std::size_t index = 0; index < jobs.size(); ++index) {
        const std::size_t first = repeated[index + 1];
        if (first != 0 && jobs[first - 1].values != jobs[index].values) {
            throw listedTwiceWithOtherValues(jobs[first - 1].path, jobs[index].path);
        }
    }
    for (std::size_t index = 0; index < jobs.size(); ++index) {
        DrawingOutcome outcome;
        if (repeated[index + 1] != 0) {
            observer.onDrawing(index, jobs[index], outcome);
            continue;
        }
        try {
            outcome = updateDrawing(connection, jobs[index], options, observer);
        } catch (const cad::Error& e) {
            outcome = {DrawingResult::kFailed, 0, 0, e};
        }
        observer.onDrawing(index, jobs[index], outcome);
        if (outcome.result == DrawingResult::kFailed && !options.keepGoing) return index + 1;
    }
    return jobs.size();
}

std::map<int, std::u16string> readTitleBlockValues(const cad::Connection& connection,
                                                   const std::u16string& path) {
    std::map<int, std::u16string> values;
    const auto modelSpace = openModelSpace(connection, path);
    forEachTitleBlockAttribute(*modelSpace, modelSpace->count(),
                               [&values](cad::Attribute& attribute, int field) {
                                   values[field] = attribute.textString();
                               });
    return values;
}

}  // namespace ops
