#include "cli/batch_report.h"

#include <algorithm>

#include "base/unicode.h"
#include "cli/escape.h"
#include "cli/exit_status.h"
#include "cli/failure_text.h"

namespace cli {

namespace {

// Bytes of a name that are not UTF-8 show as \xHH, as in the failures.
std::string shown(const std::u16string& text) {
    return base::utf16ToUtf8(base::visibleName(escapeValue(text)));
}

std::string describe(const ops::DrawingOutcome& outcome, bool dryRun) {
    const std::string changed = std::to_string(outcome.changed);
    const std::string unchanged = std::to_string(outcome.unchanged);
    switch (outcome.result) {
        case ops::DrawingResult::kSaved:
            return (dryRun ? "将保存 would save" : "已保存 saved") + std::string("（更改 ") +
                   changed + " 个属性，" + unchanged + " 个不变 changed " + changed +
                   ", unchanged " + unchanged + "）";
        case ops::DrawingResult::kUnchanged:
            return "未改变 unchanged（" + unchanged +
                   " 个属性已是这些值，未保存 values already there, not saved）";
        case ops::DrawingResult::kNoTitleBlock:
            return "无标题栏 no title block（模型空间中没有 29 个标记中的任何一个，未保存 none of "
                   "the 29 tags in model space, not saved）";
        case ops::DrawingResult::kFailed:
            break;
    }
    return "失败 failed: " + failureText(*outcome.failure);
}

std::vector<std::u16string> pathsOf(const std::vector<ops::DrawingJob>& jobs) {
    std::vector<std::u16string> paths(jobs.size());
    std::transform(jobs.begin(), jobs.end(), paths.begin(),
                   [](const ops::DrawingJob& job) { return job.path; });
    return paths;
}

}  // namespace

BatchReport::BatchReport(Console& console, const std::vector<ops::DrawingJob>& jobs,
                         const ops::BatchOptions& options)
    : console_(console),
      total_(jobs.size()),
      options_(options),
      paths_(pathsOf(jobs)),
      bar_(console.err, paths_) {
    if (console_.errIsTerminal) bar_.setMax(static_cast<float>(total_));
}

void BatchReport::onChange(const std::u16string& path, const std::u16string& tag,
                           const std::u16string& oldValue, const std::u16string& newValue) {
    if (!options_.dryRun) return;
    console_.out << shown(path) << '\t' << shown(tag) << '\t' << shown(oldValue) << '\t'
                 << shown(newValue) << '\n';
}

void BatchReport::onDrawing(std::size_t index, const std::u16string& path,
                            const ops::DrawingOutcome& outcome) {
    ++counts_[static_cast<std::size_t>(outcome.result)];
    const std::string line = '[' + std::to_string(index + 1) + '/' + std::to_string(total_) + "] " +
                             shown(path) + ' ' + describe(outcome, options_.dryRun);
    if (outcome.result == ops::DrawingResult::kFailed) failures_.push_back(line);
    if (console_.errIsTerminal) console_.err << "\r\x1b[K";
    console_.err << line << '\n' << std::flush;
    if (console_.errIsTerminal) bar_.setValue(static_cast<float>(index + 1));
}

int BatchReport::finish(std::size_t reported) {
    bar_.finish();
    if (options_.keepGoing && !failures_.empty()) {
        console_.err << "失败的图形 Failed drawings:\n";
        for (const auto& line : failures_) console_.err << "  " << line << '\n';
    }
    const auto count = [this](ops::DrawingResult r) {
        return std::to_string(counts_[static_cast<std::size_t>(r)]);
    };
    const std::string notOpened = std::to_string(total_ - reported);
    console_.err << "共 " << total_ << " 个图形：" << (options_.dryRun ? "将保存 " : "已保存 ")
                 << count(ops::DrawingResult::kSaved) << "，未改变 "
                 << count(ops::DrawingResult::kUnchanged) << "，无标题栏 "
                 << count(ops::DrawingResult::kNoTitleBlock) << "，失败 "
                 << count(ops::DrawingResult::kFailed)
                 << (reported < total_ ? "，未打开 " + notOpened : "") << "。 " << total_
                 << " drawing(s): " << count(ops::DrawingResult::kSaved)
                 << (options_.dryRun ? " would be saved, " : " saved, ")
                 << count(ops::DrawingResult::kUnchanged) << " unchanged, "
                 << count(ops::DrawingResult::kNoTitleBlock) << " without title block, "
                 << count(ops::DrawingResult::kFailed) << " failed"
                 << (reported < total_ ? ", " + notOpened + " not opened" : "") << ".\n"
                 << std::flush;
    if (counts_[static_cast<std::size_t>(ops::DrawingResult::kFailed)] > 0) return kSomeFailed;
    if (counts_[static_cast<std::size_t>(ops::DrawingResult::kNoTitleBlock)] > 0) {
        return kSomeWithoutTitleBlock;
    }
    return kAllDone;
}

}  // namespace cli
