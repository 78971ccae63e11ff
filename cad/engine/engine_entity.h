#pragma once

#include <cstddef>
#include <memory>

#include "cad/engine/session.h"
#include "cad/object_model.h"

namespace cad::engine {

class EntityRun;

// Hands out the entities in `range` of the drawing `drawing` refers to. The handles of
// neighbouring entities, and of their attributes, share one block of memory that each handle
// keeps alive: a walk over millions of entities allocates once per run of them, not per handle.
class EntityHandles {
public:
    EntityHandles(DrawingRef drawing, dxf::EntityRange range)
        : drawing_(std::move(drawing)), range_(range) {}

    // The entity numbered `index` in the drawing (within the range); an INSERT (multi-insert
    // included) is also a block reference.
    std::shared_ptr<Entity> entity(std::size_t index);
    const DrawingRef& drawing() const { return drawing_; }

private:
    DrawingRef drawing_;
    dxf::EntityRange range_;
    std::shared_ptr<EntityRun> run_;  // the run of the entity handed out last: walks go in order
};

}  // namespace cad::engine
