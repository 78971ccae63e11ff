#include "fake_cad.h"

#include <chrono>
#include <thread>
#include <utility>

#include "base/unicode.h"
#include "cad/error.h"

namespace testing_support {

std::string utf8(const std::u16string& s) { return base::utf16ToUtf8(s); }

EntityData line() { return {u"AcDbLine", {}}; }

EntityData insert(std::vector<AttributeData> attributes) {
    return {std::u16string(cad::kBlockReferenceName), std::move(attributes)};
}

namespace {

class FakeAttribute : public cad::Attribute {
public:
    FakeAttribute(Log& log, AttributeData& data) : log_(log), data_(data) {}
    std::u16string tagString() override {
        log_.push_back("TagString");
        return data_.tag;
    }
    std::u16string textString() override {
        log_.push_back("TextString");
        return data_.value;
    }
    void putTextString(const std::u16string& value) override {
        log_.push_back("TextString=" + utf8(value));
        data_.value = value;
    }

private:
    Log& log_;
    AttributeData& data_;
};

class FakeEntity : public cad::Entity,
                   public cad::BlockReference,
                   public std::enable_shared_from_this<FakeEntity> {
public:
    FakeEntity(Log& log, EntityData& data) : log_(log), data_(data) {}
    std::u16string entityName() override {
        log_.push_back("EntityName");
        return data_.name;
    }
    std::shared_ptr<cad::BlockReference> asBlockReference() override {
        if (data_.name != cad::kBlockReferenceName) {
            throw cad::Error(cad::errc::kNoInterface, u"not a block reference");
        }
        return shared_from_this();
    }
    cad::AttributeArray getAttributes() override {
        log_.push_back("GetAttributes");
        std::vector<std::shared_ptr<cad::Attribute>> items;
        for (auto& a : data_.attributes) items.push_back(std::make_shared<FakeAttribute>(log_, a));
        return {0, std::move(items)};
    }

private:
    Log& log_;
    EntityData& data_;
};

class FakeModelSpace : public cad::ModelSpace {
public:
    FakeModelSpace(Log& log, std::vector<EntityData>& entities) : log_(log), entities_(entities) {}
    std::int32_t count() override {
        log_.push_back("Count");
        return static_cast<std::int32_t>(entities_.size());
    }
    std::shared_ptr<cad::Entity> item(std::int32_t index) override {
        // Logged only for the first few, so a 40,000-entity log stays small.
        if (index < 8) log_.push_back("Item " + std::to_string(index));
        return std::make_shared<FakeEntity>(log_, entities_.at(static_cast<std::size_t>(index)));
    }

private:
    Log& log_;
    std::vector<EntityData>& entities_;
};

// One instance of the application: the drawing active in it, and the log its calls go to: the
// test's for the instance start-up reached, its own for a worker's.
struct Instance {
    Instance(Cad& shared, bool worker) : cad(shared), log(worker ? ownLog : shared.log()) {}
    Cad& cad;
    Log ownLog;
    Log& log;
    std::u16string activePath = u"Drawing1.dwg";
};

// A document object speaks for the drawing that is active in its instance, as acadDoc does
// after an open, or for its own drawing (Cad::documentPerDrawing).
class FakeDocument : public cad::Document {
public:
    explicit FakeDocument(std::shared_ptr<Instance> instance)
        : instance_(std::move(instance)), ownPath_(instance_->activePath) {}
    std::shared_ptr<cad::Document> open(const std::u16string& fullPath) override {
        Cad& cad = instance_->cad;
        instance_->log.push_back("Open " + utf8(fullPath));
        ++cad.opensBegun;
        if (!cad.drawings.contains(fullPath)) {
            for (int waits = 0; cad.opensBegun < cad.failedOpenAwaits && waits < 500; ++waits)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            throw cad::Error(-2147024894, u"无法打开图形文件 " + fullPath);
        }
        instance_->activePath = fullPath;
        return std::make_shared<FakeDocument>(instance_);
    }
    void save() override {
        instance_->log.push_back("Save");
        const std::u16string& path =
            instance_->cad.documentPerDrawing ? ownPath_ : instance_->activePath;
        Drawing& d = instance_->cad.drawing(path);
        if (d.readOnly) throw cad::Error(-2147024891, u"无法保存图形文件 " + path);
        d.savedModelSpace = d.modelSpace;
        d.savedLayouts = d.layouts;
        ++d.saves;
    }
    std::shared_ptr<cad::ModelSpace> modelSpace() override {
        instance_->log.push_back("ModelSpace");
        return std::make_shared<FakeModelSpace>(instance_->log, active().modelSpace);
    }
    std::vector<std::shared_ptr<cad::ModelSpace>> paperSpaceLayouts() override {
        instance_->log.push_back("Layouts");
        std::vector<std::shared_ptr<cad::ModelSpace>> layouts;
        for (auto& entities : active().layouts)
            layouts.push_back(std::make_shared<FakeModelSpace>(instance_->log, entities));
        return layouts;
    }

private:
    Drawing& active() { return instance_->cad.drawing(instance_->activePath); }

    std::shared_ptr<Instance> instance_;
    std::u16string ownPath_;
};

class FakeApplication : public cad::Application {
public:
    explicit FakeApplication(std::shared_ptr<Instance> instance) : instance_(std::move(instance)) {}
    void putVisible(bool) override {}
    std::shared_ptr<cad::Document> activeDocument() override {
        instance_->log.push_back("ActiveDocument");
        return std::make_shared<FakeDocument>(instance_);
    }
    std::shared_ptr<cad::Application> independentInstance() override {
        if (!servesWorkers()) return nullptr;
        return std::make_shared<FakeApplication>(std::make_shared<Instance>(instance_->cad, true));
    }
    bool servesWorkers() const override { return instance_->cad.servesWorkers; }

private:
    std::shared_ptr<Instance> instance_;
};

}  // namespace

void Cad::addDrawing(const std::u16string& path, std::vector<EntityData> modelSpace) {
    drawings[path] = Drawing{modelSpace, modelSpace, 0, false, {}, {}};
}

cad::Connection Cad::connect() {
    addDrawing(u"Drawing1.dwg", {});
    const auto instance = std::make_shared<Instance>(*this, false);
    return {std::make_shared<FakeApplication>(instance), std::make_shared<FakeDocument>(instance)};
}

void Dialog::showOpen() {
    log_.push_back("ShowOpen");
    seenAtShow = settings();
    settings().fileName = result_;
}

void Bar::setMax(float m) {
    log_.push_back("Max " + std::to_string(static_cast<long>(m)));
    max = m;
}

void Bar::setValue(float v) {
    log_.push_back("Value " + std::to_string(static_cast<long>(v)));
    value = v;
}

Form::Form(Log& log, const std::u16string& initial) : log_(log) {
    for (int field = 1; field <= 29; ++field) texts[field] = initial;
}

std::u16string Form::text(int field) const {
    log_.push_back("Text" + std::to_string(field));
    return texts.at(field);
}

void Form::setText(int field, const std::u16string& text) {
    log_.push_back("Text" + std::to_string(field) + "=" + utf8(text));
    texts[field] = text;
}

std::optional<cad::DrawingFiles::FileId> Files::fileAt(const std::u16string& path) const {
    const auto link = links.find(path);
    const std::u16string& target = link == links.end() ? path : link->second;
    if (cad_.drawings.count(target) == 0) return std::nullopt;
    return FileId{1, std::hash<std::u16string>{}(target)};
}

std::optional<cad::DrawingFiles::EntryKey> Files::entryAt(const std::u16string& path) const {
    return EntryKey{{1, 0}, foldsCase ? base::lowerAscii(path) : path};
}

std::u16string Files::backupPathOf(const std::u16string& path) const {
    const auto dot = path.rfind(u'.');
    if (dot == std::u16string::npos || dot < path.rfind(u'/')) return path + u".bak";
    if (path.substr(dot) == u".bak") return path + u".bak";
    return path.substr(0, dot) + u".bak";
}

std::vector<std::u16string> Files::drawingsBeside(const std::u16string& path) const {
    const std::u16string folder = path.substr(0, path.rfind(u'/') + 1);
    std::vector<std::u16string> beside;
    for (const auto& [name, drawing] : cad_.drawings) {
        if (name.starts_with(folder) && name.rfind(u'/') + 1 == folder.size() &&
            (name.ends_with(u".dxf") || name.ends_with(u".DXF"))) {
            beside.push_back(name);
        }
    }
    return beside;
}

void Files::restoreLastSave(const std::u16string& path) const {
    const auto drawing = cad_.drawings.find(path);
    const auto backup = cad_.drawings.find(backupPathOf(path));
    if (drawing == cad_.drawings.end() || backup == cad_.drawings.end()) {
        throw cad::Error(cad::errc::kFileNotFound, u"没有备份 " + backupPathOf(path));
    }
    std::swap(drawing->second, backup->second);
}

}  // namespace testing_support
