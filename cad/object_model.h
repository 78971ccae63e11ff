#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cad/error.h"

// The CAD application's automation object model. Every call may throw cad::Error.
// Objects are shared, reference-counted handles; a handle is released when its holder lets go.
namespace cad {

inline constexpr std::u16string_view kProgId = u"AutoCAD.Application";
inline constexpr std::u16string_view kBlockReferenceName = u"AcDbBlockReference";

class Attribute {
public:
    virtual ~Attribute() = default;
    virtual std::u16string tagString() = 0;
    virtual std::u16string textString() = 0;
    virtual void putTextString(const std::u16string& value) = 0;
};

// An array with its own bounds, as the automation interface hands it over: empty when
// upperBound < lowerBound.
class AttributeArray {
public:
    AttributeArray() = default;
    AttributeArray(std::int32_t lowerBound, std::vector<std::shared_ptr<Attribute>> items)
        : lowerBound_(lowerBound), items_(std::move(items)) {}

    std::int32_t lowerBound() const { return lowerBound_; }
    std::int32_t upperBound() const {
        return lowerBound_ + static_cast<std::int32_t>(items_.size()) - 1;
    }
    // Throws cad::Error (bad index) outside lowerBound()..upperBound().
    const std::shared_ptr<Attribute>& at(std::int32_t index) const;

private:
    std::int32_t lowerBound_ = 0;
    std::vector<std::shared_ptr<Attribute>> items_;
};

class BlockReference {
public:
    virtual ~BlockReference() = default;
    virtual AttributeArray getAttributes() = 0;
};

class Entity {
public:
    virtual ~Entity() = default;
    virtual std::u16string entityName() = 0;
    // Not part of the automation interface: whether entityName() is `name`, which a walk asks of
    // every entity. An engine may answer without making the name; the default asks for it.
    virtual bool entityNameIs(std::u16string_view name) { return entityName() == name; }
    // The same object seen through the block-reference interface; throws when it has none.
    virtual std::shared_ptr<BlockReference> asBlockReference() = 0;
};

class ModelSpace {
public:
    virtual ~ModelSpace() = default;
    virtual std::int32_t count() = 0;
    virtual std::shared_ptr<Entity> item(std::int32_t index) = 0;
};

// The code page a drawing's text is read in, where the CAD application tells: its name, and
// whether it was guessed because the drawing names none or an unknown one.
struct CodePageReport {
    std::u16string name;
    bool guessed = false;
};

class Document {
public:
    virtual ~Document() = default;
    // Opens the drawing at `fullPath`; afterwards it is the application's active document.
    virtual std::shared_ptr<Document> open(const std::u16string& fullPath) = 0;
    virtual void save() = 0;
    virtual std::shared_ptr<ModelSpace> modelSpace() = 0;
    // The entities of each paper-space layout, in the layouts' tab order, each a collection like
    // model space (the Block of each Layout but the model one).
    virtual std::vector<std::shared_ptr<ModelSpace>> paperSpaceLayouts() = 0;
    // Not part of the automation interface: only the built-in engine tells, nothing otherwise.
    virtual std::optional<CodePageReport> codePage() { return std::nullopt; }
};

class Application {
public:
    virtual ~Application() = default;
    virtual void putVisible(bool visible) = 0;
    virtual std::shared_ptr<Document> activeDocument() = 0;
    // Not of the automation interface: another instance with documents of its own, which another
    // thread may use at the same time; nothing where the application serves one call at a time.
    virtual std::shared_ptr<Application> independentInstance() { return nullptr; }
    // Whether independentInstance() gives one, asked without making it.
    virtual bool servesWorkers() const { return false; }
};

// What answered a launch in the CAD application's place, and why the application itself did not.
struct StandIn {
    Error launchFailure;
    std::u16string description;  // one line: what stands in and what it can open
};

// Reaches a CAD application by its ProgID: the running instance, or a new one.
class Connector {
public:
    virtual ~Connector() = default;
    virtual std::shared_ptr<Application> attach(std::u16string_view progId) = 0;
    virtual std::shared_ptr<Application> launch(std::u16string_view progId) = 0;
    // Set when the last launch was answered by a stand-in: the user must learn that drawings
    // the stand-in cannot open will fail, before they try one.
    virtual std::optional<StandIn> standIn() const { return std::nullopt; }
    // Set when the CAD application asked for is not registered and the last attach or launch
    // reached another one in its place: which one, in one line for the user.
    virtual std::optional<std::u16string> substitute() const { return std::nullopt; }
};

}  // namespace cad
