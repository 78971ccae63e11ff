#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ops/batch.h"
#include "titleblock/fields.h"

namespace shared {

// What the window says around its two operations, so that nothing a batch or a read does goes
// unseen: the question before a batch would set attributes to one space, the batch's outcome, and
// a template without a title block.

// Counts how the drawings of a batch ended, passing every event on to `next` (the window's bar).
class BatchTally : public ops::BatchObserver {
public:
    explicit BatchTally(ops::BatchObserver& next) : next_(next) {}

    void onStart(std::size_t drawings) override;
    void onDrawing(std::size_t index, const std::u16string& path,
                   const ops::DrawingOutcome& outcome) override;

    // Whether the list passed its check, so that there is something to count.
    bool started() const { return started_; }
    // The counts in one line: saved, unchanged, without a title block, failed.
    std::u16string countsText() const;
    // The message after a batch: the counts, then the drawings without a title block by name (the
    // first few).
    std::u16string summaryText() const;

private:
    ops::BatchObserver& next_;
    bool started_ = false;
    std::size_t saved_ = 0;
    std::size_t unchanged_ = 0;
    std::size_t failed_ = 0;
    std::vector<std::u16string> withoutTitleBlock_;
};

// The question before a batch of `drawings` when fields hold exactly one space, which the batch
// writes as it is; empty when none does. A field the user emptied is not written and asks nothing.
std::u16string oneSpaceQuestion(const titleblock::Fields& fields, std::size_t drawings);

// The message after reading a template that has no title block: the fields stay as they were.
std::u16string noTitleBlockText(const std::u16string& path);

}  // namespace shared
