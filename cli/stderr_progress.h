#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "ops/progress.h"

namespace cli {

// Shows a batch's progress on a terminal's standard error: one bar redrawn in place, with the name
// of the drawing just saved.
class StderrProgress : public ops::Progress {
public:
    // `paths` are the batch's drawings: at value N the Nth of them was just saved.
    StderrProgress(std::ostream& err, const std::vector<std::u16string>& paths)
        : err_(err), paths_(paths) {}

    void setMax(float max) override;
    void setValue(float value) override;
    // Ends the bar's line, so that what follows starts on a line of its own.
    void finish();

private:
    void drawBar(long done, const std::u16string& path);

    std::ostream& err_;
    const std::vector<std::u16string>& paths_;
    long max_ = 0;
    bool barDrawn_ = false;
};

}  // namespace cli
