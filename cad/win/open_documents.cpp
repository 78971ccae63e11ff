#include "cad/win/open_documents.h"

#include <algorithm>

#include "cad/error.h"
#include "cad/win/collection.h"
#include "cad/win/property.h"
#include "cad/win/variant.h"
#include "cad/win/windows_path.h"

namespace cad::automation {

namespace {

bool hasUnsavedChanges(const Dispatch& document) { return !boolOf(document, L"Saved"); }

Error unsavedChanges(const std::u16string& path) {
    return {errc::kUnsavedInCad,
            u"没有处理图形“" + path +
                u"”：它已在 CAD 应用程序中打开，并有未保存的修改。为免把这些修改一起保存，"
                u"请先在 CAD 应用程序中保存或关闭它，再试一次。"};
}

}  // namespace

OpenDocuments::OpenDocuments(Dispatch application, bool closeOwn)
    : application_(std::move(application)), closeOwn_(closeOwn) {}

OpenDocuments::~OpenDocuments() {
    try {
        closeUnchanged();
    } catch (...) {  // nothing may leave a destructor; the drawings only stay open
    }
}

std::vector<OpenDocuments::Open> OpenDocuments::documents() const {
    std::vector<Open> open;
    for (Dispatch& document : itemsOf(application_, L"Documents")) {
        std::u16string fullName = stringOf(document, L"FullName");
        open.push_back({std::move(document), std::move(fullName)});
    }
    return open;
}

std::optional<Dispatch> OpenDocuments::activateOpen(const std::u16string& path) {
    for (Open& open : documents()) {
        if (!isSamePath(open.fullName, path)) continue;
        if (hasUnsavedChanges(open.document)) throw unsavedChanges(path);
        Variant ignored;
        open.document.call(L"Activate", ignored);
        return std::move(open.document);
    }
    return std::nullopt;
}

void OpenDocuments::opened(const std::u16string& path) {
    if (closeOwn_) own_.push_back(path);
}

void OpenDocuments::closeUnchanged() {
    if (own_.empty()) return;
    for (const Open& open : documents()) {
        if (isOwn(open.fullName) && !hasUnsavedChanges(open.document)) {
            close(open.document, open.fullName);
        }
    }
}

bool OpenDocuments::isOwn(const std::u16string& fullName) const {
    return std::any_of(own_.begin(), own_.end(),
                       [&](const std::u16string& path) { return isSamePath(path, fullName); });
}

void OpenDocuments::close(const Dispatch& document, const std::u16string& fullName) {
    VARIANT saveChanges{};
    saveChanges.vt = VT_BOOL;
    saveChanges.boolVal = VARIANT_FALSE;
    Variant ignored;
    document.call(L"Close", ignored, {&saveChanges});
    std::erase_if(own_, [&](const std::u16string& path) { return isSamePath(path, fullName); });
}

}  // namespace cad::automation
