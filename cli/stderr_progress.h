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
    // `paths` are the batch's drawings: at value N the Nth of them was just saved.
    StderrProgress(std::ostream& err, bool terminal, const std::vector<std::u16string>& paths)
        : err_(err), terminal_(terminal), paths_(paths) {}

    void setMax(float max) override;
    void setValue(float value) override;
    // Ends the bar's line, so that what follows starts on a line of its own.
    void finish();

private:
    void drawBar(long done, const std::u16string& path);

    std::ostream& err_;
    bool terminal_;
    const std::vector<std::u16string>& paths_;
    long max_ = 0;
    bool barDrawn_ = false;
};

}  // namespace cli
