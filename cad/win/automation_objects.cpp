#include "cad/win/automation_objects.h"

#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "cad/error.h"
#include "cad/win/attribute_array.h"
#include "cad/win/bstr.h"
#include "cad/win/collection.h"
#include "cad/win/open_documents.h"
#include "cad/win/property.h"

namespace cad::automation {

namespace {

// A string argument: a real BSTR, which marshalling across processes needs.
class BstrArgument {
public:
    explicit BstrArgument(std::u16string_view text) : bstr_(text) {
        value_.vt = VT_BSTR;
        value_.bstrVal = bstr_.get();
    }
    VARIANT* get() { return &value_; }

private:
    Bstr bstr_;
    VARIANT value_{};  // borrows bstr_, so it is never cleared itself
};

// Users quote the file with the failure, so a failure about a drawing names it.
Error namingFile(const Error& e, std::u16string_view path) {
    if (path.empty() || e.description().find(path) != std::u16string::npos) return e;
    return {e.number(), e.description() + u"（文件：" + std::u16string(path) + u"）"};
}

class AutomationAttribute : public Attribute {
public:
    explicit AutomationAttribute(Dispatch object) : object_(std::move(object)) {}

    std::u16string tagString() override { return stringOf(object_, L"TagString"); }
    std::u16string textString() override { return stringOf(object_, L"TextString"); }
    void putTextString(const std::u16string& value) override {
        BstrArgument text(value);
        object_.put(L"TextString", *text.get());
    }

private:
    Dispatch object_;
};

class AutomationBlockReference : public BlockReference {
public:
    explicit AutomationBlockReference(Dispatch object) : object_(std::move(object)) {}

    AttributeArray getAttributes() override {
        Variant result;
        object_.call(L"GetAttributes", result);
        return toAttributeArray(result, [this](const Variant& element) {
            return std::make_shared<AutomationAttribute>(object_.wrap(element));
        });
    }

private:
    Dispatch object_;
};

class AutomationEntity : public Entity {
public:
    explicit AutomationEntity(Dispatch object) : object_(std::move(object)) {}

    std::u16string entityName() override { return stringOf(object_, L"EntityName"); }
    std::shared_ptr<BlockReference> asBlockReference() override {
        // Late binding has no typed interface to ask for: an object that cannot answer
        // GetAttributes is not a block reference, and that shows here rather than later.
        object_.idOf(L"GetAttributes");
        return std::make_shared<AutomationBlockReference>(object_);
    }

private:
    Dispatch object_;
};

// Model space, or the block of a paper-space layout: both collections of entities.
class AutomationModelSpace : public ModelSpace {
public:
    explicit AutomationModelSpace(Dispatch object) : object_(std::move(object)) {}

    std::int32_t count() override { return countOf(object_); }
    std::shared_ptr<Entity> item(std::int32_t index) override {
        return std::make_shared<AutomationEntity>(itemOf(object_, index));
    }

private:
    Dispatch object_;
};

// A paper-space layout and where it stands among the tabs.
struct TabbedLayout {
    std::int32_t tabOrder = 0;
    Dispatch block;
};

// The Block of each Layout but the model one, by TabOrder.
std::vector<std::shared_ptr<ModelSpace>> paperSpaceBlocks(const Dispatch& document) {
    std::vector<TabbedLayout> tabbed;
    for (const Dispatch& layout : itemsOf(document, L"Layouts")) {
        if (boolOf(layout, L"ModelType")) continue;
        tabbed.push_back({int32Of(layout, L"TabOrder"), objectOf(layout, L"Block")});
    }
    std::stable_sort(
        tabbed.begin(), tabbed.end(),
        [](const TabbedLayout& a, const TabbedLayout& b) { return a.tabOrder < b.tabOrder; });
    std::vector<std::shared_ptr<ModelSpace>> blocks;
    for (TabbedLayout& layout : tabbed) {
        blocks.push_back(std::make_shared<AutomationModelSpace>(std::move(layout.block)));
    }
    return blocks;
}

class AutomationDocument : public Document {
public:
    AutomationDocument(Dispatch object, std::shared_ptr<OpenDocuments> documents)
        : object_(std::move(object)), documents_(std::move(documents)) {}

    std::shared_ptr<Document> open(const std::u16string& fullPath) override {
        try {
            documents_->closeUnchanged();
            if (auto already = documents_->activateOpen(fullPath)) {
                return document(std::move(*already));
            }
            BstrArgument path(fullPath);
            Variant result;
            object_.call(L"Open", result, {path.get()});
            documents_->opened(fullPath);
            if (result.type() != VT_DISPATCH || result.get()->pdispVal == nullptr) return nullptr;
            return document(object_.wrap(result));
        } catch (const Error& e) {
            throw namingFile(e, fullPath);
        }
    }
    void save() override {
        try {
            // Saving a drawing opened read-only fails with the application's own words, or
            // writes nothing and says nothing: neither tells the user why.
            if (boolOf(object_, L"ReadOnly")) {
                throw Error(errc::kAccessDenied,
                            u"CAD 应用程序以只读方式打开了这个图形（可能有人正在编辑它，或文件是"
                            u"只读的），所以没有保存它。");
            }
            Variant result;
            object_.call(L"Save", result);
        } catch (const Error& e) {
            throw namingFile(e, fullNameOrNothing());
        }
    }
    std::shared_ptr<ModelSpace> modelSpace() override {
        return std::make_shared<AutomationModelSpace>(objectOf(object_, L"ModelSpace"));
    }
    std::vector<std::shared_ptr<ModelSpace>> paperSpaceLayouts() override {
        return paperSpaceBlocks(object_);
    }

private:
    std::shared_ptr<Document> document(Dispatch object) const {
        return std::make_shared<AutomationDocument>(std::move(object), documents_);
    }

    // Only to name the file in a failure: when even this fails, the failure goes unnamed.
    std::u16string fullNameOrNothing() const {
        try {
            return stringOf(object_, L"FullName");
        } catch (const Error&) {
            return {};
        }
    }

    Dispatch object_;
    std::shared_ptr<OpenDocuments> documents_;
};

class AutomationApplication : public Application {
public:
    AutomationApplication(Dispatch object, bool closeOwnDrawings)
        : object_(object), documents_(std::make_shared<OpenDocuments>(object, closeOwnDrawings)) {}

    void putVisible(bool visible) override {
        VARIANT value{};
        value.vt = VT_BOOL;
        value.boolVal = visible ? VARIANT_TRUE : VARIANT_FALSE;
        object_.put(L"Visible", value);
    }
    std::shared_ptr<Document> activeDocument() override {
        return std::make_shared<AutomationDocument>(objectOf(object_, L"ActiveDocument"),
                                                    documents_);
    }

private:
    Dispatch object_;
    std::shared_ptr<OpenDocuments> documents_;
};

}  // namespace

std::shared_ptr<Application> makeApplication(Dispatch application, bool closeOwnDrawings) {
    return std::make_shared<AutomationApplication>(std::move(application), closeOwnDrawings);
}

}  // namespace cad::automation
