#include "cad/engine/engine_entity.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <span>
#include <vector>

#include "cad/engine/engine_attribute.h"
#include "cad/error.h"

namespace cad::engine {

namespace {

// Long enough that allocating a run costs little per entity, short enough that a handle kept
// from a walk keeps little memory alive.
constexpr std::size_t kRunLength = 64;

// The handles keep only the entity's number: the drawing's index holds the rest. The entity is
// its own block reference, so asking for that interface allocates nothing either.
class EngineEntity final : public Entity, public BlockReference {
public:
    EngineEntity() = default;  // a place in a run not yet given an entity
    EngineEntity(EntityRun& run, std::size_t index) : run_(&run), index_(index) {}

    std::u16string entityName() override;
    bool entityNameIs(std::u16string_view name) override;
    std::shared_ptr<BlockReference> asBlockReference() override;
    AttributeArray getAttributes() override;

private:
    EntityRun* run_ = nullptr;  // the run this handle lives in
    std::size_t index_ = 0;
};

}  // namespace

// The handles of a run of neighbouring entities and, from the first time one of them is asked
// for its attributes, of all their attributes. Handles point into it and share its ownership, so
// it lasts, and keeps the drawing's session alive, as long as any of them.
class EntityRun : public std::enable_shared_from_this<EntityRun> {
public:
    EntityRun(DrawingRef drawing, std::size_t first, std::size_t length)
        : drawing_(std::move(drawing)), first_(first), length_(length) {
        for (std::size_t k = 0; k < length; ++k) entities_[k] = EngineEntity(*this, first + k);
    }
    // Handles point into it: it stays where it was made.
    EntityRun(const EntityRun&) = delete;
    EntityRun& operator=(const EntityRun&) = delete;

    const DrawingRef& drawing() const { return drawing_; }
    bool holds(std::size_t index) const { return index - first_ < length_; }
    EngineEntity& entity(std::size_t index) { return entities_[index - first_]; }

    // The attribute handles of the entity at `index`, which this run holds.
    std::span<EngineAttribute> attributesOf(std::size_t index) {
        const dxf::Drawing& open = drawing_.drawing();
        if (attributeStarts_.empty()) {
            // Filled once: handles given out point into attributes_, which never grows again.
            attributeStarts_.reserve(length_ + 1);
            attributeStarts_.push_back(0);
            for (std::size_t k = 0; k < length_; ++k) {
                attributeStarts_.push_back(attributeStarts_.back() +
                                           open.attributes(first_ + k).size());
            }
            attributes_.reserve(attributeStarts_.back());
            for (std::size_t k = 0; k < length_; ++k) {
                const auto slots = open.attributes(first_ + k);
                std::transform(slots.begin(), slots.end(), std::back_inserter(attributes_),
                               [this](const dxf::AttributeSlot& slot) {
                                   return EngineAttribute(drawing_, slot);
                               });
            }
        }
        const std::size_t k = index - first_;
        return std::span(attributes_)
            .subspan(attributeStarts_[k], attributeStarts_[k + 1] - attributeStarts_[k]);
    }

private:
    DrawingRef drawing_;
    std::size_t first_;
    std::size_t length_;
    std::array<EngineEntity, kRunLength> entities_;  // the first length_ in use
    std::vector<EngineAttribute> attributes_;
    std::vector<std::size_t> attributeStarts_;  // into attributes_, per entity and past the last
};

namespace {

std::u16string EngineEntity::entityName() {
    return run_->drawing().drawing().wideClassName(index_);
}

bool EngineEntity::entityNameIs(std::u16string_view name) {
    return run_->drawing().drawing().wideClassName(index_) == name;
}

std::shared_ptr<BlockReference> EngineEntity::asBlockReference() {
    if (!run_->drawing().drawing().entity(index_).blockReference) {
        throw Error(errc::kNoInterface,
                    u"不支持此接口：这个实体（" + entityName() + u"）不是块参照。");
    }
    return {run_->shared_from_this(), this};
}

AttributeArray EngineEntity::getAttributes() {
    const std::span<EngineAttribute> attributes = run_->attributesOf(index_);
    const std::shared_ptr<EntityRun> run = run_->shared_from_this();
    std::vector<std::shared_ptr<Attribute>> handles;
    handles.reserve(attributes.size());
    for (EngineAttribute& attribute : attributes) handles.emplace_back(run, &attribute);
    return AttributeArray(0, std::move(handles));
}

}  // namespace

std::shared_ptr<Entity> EntityHandles::entity(std::size_t index) {
    if (!run_ || !run_->holds(index)) {
        // Runs start at multiples of their length from the range's start.
        const std::size_t first = index - (index - range_.first) % kRunLength;
        const std::size_t length = std::min(kRunLength, range_.first + range_.count - first);
        run_ = std::make_shared<EntityRun>(drawing_, first, length);
    }
    return {run_, &run_->entity(index)};
}

}  // namespace cad::engine
