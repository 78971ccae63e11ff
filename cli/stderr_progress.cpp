#include "cli/stderr_progress.h"

#include <algorithm>
#include <cmath>

#include "base/unicode.h"

namespace cli {

namespace {

constexpr long kBarWidth = 30;

}  // namespace

void StderrProgress::setMax(float max) {
    max_ = std::lround(max);
    drawBar(0, u"");
}

void StderrProgress::setValue(float value) {
    const long done = std::lround(value);
    const std::u16string path = done >= 1 && static_cast<std::size_t>(done) <= paths_.size()
                                    ? paths_[static_cast<std::size_t>(done - 1)]
                                    : std::u16string();
    drawBar(done, path);
}

void StderrProgress::finish() {
    if (barDrawn_) err_ << '\n' << std::flush;
    barDrawn_ = false;
}

void StderrProgress::drawBar(long done, const std::u16string& path) {
    const long filled = max_ > 0 ? std::min(kBarWidth, done * kBarWidth / max_) : 0;
    // Only the file name: a long path would wrap and break the redraw.
    const std::u16string name = path.substr(path.find_last_of(u"/\\") + 1);
    err_ << "\r\x1b[K[" << std::string(static_cast<std::size_t>(filled), '#')
         << std::string(static_cast<std::size_t>(kBarWidth - filled), '.') << "] " << done << '/'
         << max_ << ' ' << base::utf16ToUtf8(base::visibleName(name)) << std::flush;
    barDrawn_ = true;
}

}  // namespace cli
