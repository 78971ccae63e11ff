#include "server/session.h"

#include <windows.h>

#include <cstdio>

#include "server/scripted_dispatch.h"

namespace server {

void Journal::write(const std::wstring& line) const {
    if (path_.empty()) return;
    const std::wstring text = line + L"\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
    if (FILE* file = _wfopen(path_.c_str(), L"ab")) {
        std::fwrite(utf8.data(), 1, utf8.size(), file);
        std::fclose(file);
    }
}

namespace {

EntityData blockReference(long lowerBound, std::vector<AttributeData> attributes) {
    return {L"AcDbBlockReference", lowerBound, std::move(attributes)};
}

// A drawing without paper-space layouts.
Spaces modelSpaceOnly(Entities entities) { return {std::move(entities), {}}; }

}  // namespace

Session::Session(Journal journal) : journal_(std::move(journal)) {
    // a.dwg: a title block among other entities, a block without attributes, and a second title
    // block whose attribute array starts at 1. b.dwg: read-only.
    files_[L"C:\\drawings\\a.dwg"] = {
        modelSpaceOnly({
            {L"AcDbLine", 0, {}},
            blockReference(0, {{L"产品代号", L"ZD-100"},
                               {L"零件名称", L"支架"},
                               {L"签名1", L" "},
                               {L"备注", L"草图"}}),
            {L"AcDbCircle", 0, {}},
            blockReference(0, {}),
            blockReference(1, {{L"产品代号", L"ZD-100-2"}, {L"审核时间", L""}}),
        }),
        false};
    files_[L"C:\\drawings\\b.dwg"] = {
        modelSpaceOnly({blockReference(0, {{L"零件名称", L"轴"}, {L"版本号1", L"A"}})}), true};
    // Title blocks only in paper space, in two layouts listed against their tab order.
    files_[L"C:\\drawings\\布局.dwg"] = {
        {{{L"AcDbLine", 0, {}}},
         {{2, {blockReference(0, {{L"零件名称", L"布局二"}, {L"签名1", L"王"}})}},
          {1, {{L"AcDbCircle", 0, {}}, blockReference(0, {{L"零件名称", L"布局一"}})}}}},
        false};
    // A batch's drawings, with spaces and Chinese in their names.
    for (const wchar_t* name : {L"批量 一.dwg", L"批量 二.dwg", L"批量 三.dwg"}) {
        files_[std::wstring(L"C:\\drawings\\") + name] = {
            modelSpaceOnly({blockReference(0, {{L"产品代号", L"ZD-100"}, {L"零件名称", L"支架"}})}),
            false};
    }
    load(L"C:\\drawings\\a.dwg");
}

const std::shared_ptr<OpenDrawing>& Session::load(const std::wstring& path) {
    const File& file = files_.at(path);
    documents_.push_back(
        std::make_shared<OpenDrawing>(OpenDrawing{path, file.spaces, file.readOnly, false}));
    active_ = documents_.back();
    return active_;
}

std::wstring Session::openCount() const {
    return L", " + std::to_wstring(documents_.size()) + L" open";
}

const std::shared_ptr<OpenDrawing>& Session::open(const std::wstring& path) {
    if (files_.count(path) == 0) {
        journal_.write(L"open " + path + L": no such file");
        throw Fault{HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND), L"无法打开图形文件。"};
    }
    for (const auto& document : documents_) {
        if (_wcsicmp(document->path.c_str(), path.c_str()) == 0) {
            journal_.write(L"open " + path + L": open already, refused");
            throw Fault{E_FAIL, L"图形已经打开。"};
        }
    }
    const auto& opened = load(path);
    journal_.write(L"open " + path + (opened->readOnly ? L" read-only" : L"") + openCount());
    return opened;
}

void Session::holdOpen(const std::wstring& path, bool modified) { load(path)->modified = modified; }

void Session::activate(const std::shared_ptr<OpenDrawing>& drawing) {
    active_ = drawing;
    journal_.write(L"activate " + drawing->path);
}

void Session::save(OpenDrawing& drawing) {
    if (drawing.readOnly) {
        journal_.write(L"save " + drawing.path + L": read-only, nothing written");
        return;
    }
    files_.at(drawing.path).spaces = drawing.spaces;
    drawing.modified = false;
    journal_.write(L"save " + drawing.path);
}

void Session::close(const std::shared_ptr<OpenDrawing>& drawing) {
    std::erase(documents_, drawing);
    if (active_ == drawing) active_ = documents_.empty() ? nullptr : documents_.back();
    journal_.write(L"close " + drawing->path + openCount());
}

}  // namespace server
