#include "ops/reported_batch.h"

#include <algorithm>

#include "ops/model_space_walk.h"

namespace ops {

namespace {

class JobValues : public BatchValues {
public:
    explicit JobValues(const std::vector<DrawingJob>& jobs) : jobs_(jobs) {}
    std::u16string value(std::size_t index, int field) const override {
        const auto& values = jobs_[index].values;
        const auto listed = values.find(field);
        return listed == values.end() ? std::u16string() : listed->second;
    }
    bool sameValues(std::size_t a, std::size_t b) const override {
        return jobs_[a].values == jobs_[b].values;
    }

private:
    const std::vector<DrawingJob>& jobs_;
};

}  // namespace

std::size_t runReportedBatch(const cad::Connection& connection, const std::vector<DrawingJob>& jobs,
                             const BatchOptions& options, BatchObserver& observer,
                             const cad::DrawingFiles& files) {
    std::vector<std::u16string> paths(jobs.size());
    std::transform(jobs.begin(), jobs.end(), paths.begin(),
                   [](const DrawingJob& job) { return job.path; });
    return runBatch(connection, paths, JobValues(jobs), {SaveRule::kChangedDrawings, options},
                    observer, files)
        .told;
}

TitleBlockRead readTitleBlockValues(const cad::Connection& connection, const std::u16string& path,
                                    bool layouts) {
    TitleBlockRead read;
    forEachTitleBlockAttribute(
        openDrawing(connection, path), layouts, [&](const auto& attribute, int field) {
            std::u16string value = attribute->textString();
            const auto [kept, first] = read.values.try_emplace(field, value);
            if (first || kept->second == value) return;
            if (!layouts) {
                kept->second = std::move(value);
                return;
            }
            std::u16string tag = attribute->tagString();
            if (std::find(read.differing.begin(), read.differing.end(), tag) ==
                read.differing.end())
                read.differing.push_back(std::move(tag));
        });
    return read;
}

}  // namespace ops
