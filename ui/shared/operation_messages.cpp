#include "ui/shared/operation_messages.h"

#include "base/unicode.h"
#include "titleblock/field_map.h"

namespace shared {

namespace {

// Lists are cut to this many items, so that a message stays on the screen.
constexpr std::size_t kFirstFew = 5;

std::u16string number(std::size_t n) { return base::utf8ToUtf16(std::to_string(n)); }

// "a、b、c", or with more than the first few "a、b、c、d、e 等 N 个".
std::u16string firstFew(const std::vector<std::u16string>& items) {
    std::u16string text;
    for (std::size_t i = 0; i < items.size() && i < kFirstFew; ++i)
        text += (i ? u"、" : u"") + items[i];
    if (items.size() > kFirstFew) text += u" 等 " + number(items.size()) + u" 个";
    return text;
}

// The name a drawing is shown by: its path's last part.
std::u16string fileName(const std::u16string& path) {
    return path.substr(path.find_last_of(u"/\\") + 1);
}

}  // namespace

void BatchTally::onStart(std::size_t drawings) {
    started_ = true;
    next_.onStart(drawings);
}

void BatchTally::onDrawing(std::size_t index, const std::u16string& path,
                           const ops::DrawingOutcome& outcome) {
    switch (outcome.result) {
        case ops::DrawingResult::kSaved:
            ++saved_;
            break;
        case ops::DrawingResult::kUnchanged:
            ++unchanged_;
            break;
        case ops::DrawingResult::kNoTitleBlock:
            withoutTitleBlock_.push_back(fileName(path));
            break;
        case ops::DrawingResult::kFailed:
            ++failed_;
            break;
    }
    next_.onDrawing(index, path, outcome);
}

std::u16string BatchTally::countsText() const {
    return u"已保存 " + number(saved_) + u" 个，未改动 " + number(unchanged_) + u" 个，无标题栏 " +
           number(withoutTitleBlock_.size()) + u" 个，失败 " + number(failed_) + u" 个。";
}

std::u16string BatchTally::summaryText() const {
    std::u16string text = u"批量修改已完成：" + countsText();
    if (!withoutTitleBlock_.empty())
        text += u"\n\n以下图形中没有标题栏，未作修改：\n" + firstFew(withoutTitleBlock_);
    return text;
}

std::u16string oneSpaceQuestion(const titleblock::Fields& fields, std::size_t drawings) {
    std::vector<std::u16string> tags;
    for (const titleblock::FieldMapRow& row : titleblock::kFieldMap) {
        if (fields.text(row.field) == u" ") tags.emplace_back(row.tag);
    }
    if (tags.empty()) return {};
    return u"有 " + number(tags.size()) + u" 个字段只含一个空格：" + firstFew(tags) +
           u"。\n\n所选的 " + number(drawings) +
           u" 个图形中，这些标签的属性都将被设为一个空格，原有内容将被清除。"
           u"若要保留原有内容，请先清空这些字段。\n\n是否继续？";
}

std::u16string noTitleBlockText(const std::u16string& path) {
    return u"图形“" + fileName(path) + u"”中没有标题栏：没有读到任何字段，表单保持不变。";
}

}  // namespace shared
