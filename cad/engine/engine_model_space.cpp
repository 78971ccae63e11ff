#include "cad/engine/engine_model_space.h"

#include "base/unicode.h"
#include "cad/engine/engine_entity.h"
#include "cad/error.h"

namespace cad::engine {

namespace {

constexpr std::size_t kLookAhead = 16;

class EngineModelSpace : public ModelSpace {
public:
    explicit EngineModelSpace(const DrawingRef& drawing) : entities_(drawing) {}

    std::int32_t count() override {
        return static_cast<std::int32_t>(entities_.drawing().drawing().modelSpaceCount());
    }

    std::shared_ptr<Entity> item(std::int32_t index) override {
        const dxf::Drawing& drawing = entities_.drawing().drawing();
        if (index < 0 || static_cast<std::size_t>(index) >= drawing.modelSpaceCount()) {
            throw Error(errc::kBadIndex, u"模型空间中没有下标为 " +
                                             base::utf8ToUtf16(std::to_string(index)) +
                                             u" 的实体：下标越界。");
        }
        // A walk reads the attributes of block references far apart in a large file, each a cache
        // miss: fetching those of an entity a little ahead overlaps the misses with the work.
        drawing.prefetchAttributes(static_cast<std::size_t>(index) + kLookAhead);
        return entities_.entity(static_cast<std::size_t>(index));
    }

private:
    EntityHandles entities_;
};

}  // namespace

std::shared_ptr<ModelSpace> makeModelSpace(const DrawingRef& drawing) {
    return std::make_shared<EngineModelSpace>(drawing);
}

}  // namespace cad::engine
