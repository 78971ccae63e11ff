#include "cad/engine/engine_model_space.h"

#include <algorithm>

#include "base/unicode.h"
#include "cad/engine/engine_entity.h"
#include "cad/error.h"

namespace cad::engine {

namespace {

constexpr std::size_t kLookAhead = 16;

// Model space, or one paper-space layout: a range of the drawing's entities.
class EngineEntities : public ModelSpace {
public:
    EngineEntities(const DrawingRef& drawing, dxf::EntityRange range, std::u16string_view space)
        : entities_(drawing, range), range_(range), space_(space) {}

    std::int32_t count() override {
        entities_.drawing().ensureOpen();
        return static_cast<std::int32_t>(range_.count);
    }

    std::shared_ptr<Entity> item(std::int32_t index) override {
        const dxf::Drawing& drawing = entities_.drawing().drawing();
        if (index < 0 || static_cast<std::size_t>(index) >= range_.count) {
            throw Error(errc::kBadIndex, std::u16string(space_) + u"中没有下标为 " +
                                             base::utf8ToUtf16(std::to_string(index)) +
                                             u" 的实体：下标越界。");
        }
        const std::size_t entity = range_.first + static_cast<std::size_t>(index);
        // A walk reads the attributes of block references far apart in a large file, each a cache
        // miss: fetching those of an entity a little ahead overlaps the misses with the work.
        drawing.prefetchAttributes(entity + kLookAhead);
        return entities_.entity(entity);
    }

private:
    EntityHandles entities_;
    dxf::EntityRange range_;
    std::u16string_view space_;
};

}  // namespace

std::shared_ptr<ModelSpace> makeModelSpace(const DrawingRef& drawing) {
    return std::make_shared<EngineEntities>(
        drawing, dxf::EntityRange{0, drawing.drawing().modelSpaceCount()}, u"模型空间");
}

std::vector<std::shared_ptr<ModelSpace>> makeLayouts(const DrawingRef& drawing) {
    const std::vector<dxf::EntityRange>& ranges = drawing.drawing().layouts();
    std::vector<std::shared_ptr<ModelSpace>> layouts(ranges.size());
    std::transform(ranges.begin(), ranges.end(), layouts.begin(),
                   [&drawing](const dxf::EntityRange& range) -> std::shared_ptr<ModelSpace> {
                       return std::make_shared<EngineEntities>(drawing, range, u"布局");
                   });
    return layouts;
}

}  // namespace cad::engine
