#include "ops/batch_update.h"

namespace ops {

namespace {

// Every drawing receives the fields as they stand.
class FieldValues : public BatchValues {
public:
    explicit FieldValues(const titleblock::Fields& fields) : fields_(fields) {}
    std::u16string value(std::size_t /*index*/, int field) const override {
        return fields_.text(field);
    }
    bool sameValues(std::size_t /*a*/, std::size_t /*b*/) const override { return true; }

private:
    const titleblock::Fields& fields_;
};

}  // namespace

void batchUpdate(const cad::Connection& connection, const std::vector<std::u16string>& paths,
                 const titleblock::Fields& fields, BatchObserver& observer,
                 const cad::DrawingFiles& files) {
    BatchPolicy policy{SaveRule::kEveryDrawing, {}};
    policy.options.workers = kDefaultWorkers;
    const BatchEnd end = runBatch(connection, paths, FieldValues(fields), policy, observer, files);
    if (end.stoppedBy) throw *end.stoppedBy;
}

void BatchProgress::onStart(std::size_t drawings) { bar_.setMax(static_cast<float>(drawings)); }

void BatchProgress::onDrawing(std::size_t /*index*/, const std::u16string& /*path*/,
                              const DrawingOutcome& outcome) {
    if (outcome.result != DrawingResult::kFailed) bar_.setValue(static_cast<float>(++done_));
}

}  // namespace ops
