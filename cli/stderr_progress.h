#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ops/file_list.h"
#include "ops/progress.h"

namespace cli {

// Shows a batch's progress on standard error: on a terminal one bar redrawn in place, otherwise
// one line per saved drawing, so that logs of long batches say how far they got.
class StderrProgress : public ops::Progress {
public:
    // `drawings` are the batch's drawings in order: the value n names drawings[n - 1].
    StderrProgress(std::ostream& err, bool terminal, const std::vector<std::u16string>& drawings)
        : err_(err), terminal_(terminal), numbered_(ops::fileListOf(drawings)) {}

    void setMax(float max) override;
    void setValue(float value) override;
    // Ends the bar's line, so that what follows starts on a line of its own.
    void finish();

private:
    void drawBar(long done, const std::u16string& path);

    std::ostream& err_;
    bool terminal_;
    std::vector<std::u16string> numbered_;  // the drawings from index 1 on, for ops::drawingAt
    long max_ = 0;
    bool barDrawn_ = false;
};

}  // namespace cli
