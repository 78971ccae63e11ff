#pragma once

#include <cstddef>
#include <memory>

#include "cad/engine/session.h"
#include "cad/object_model.h"

namespace cad::engine {

class EntityRun;

// Hands out the model-space entities of the drawing `drawing` refers to. The handles of
// neighbouring entities, and of their attributes, share one block of memory that each handle
// keeps alive: a walk over millions of entities allocates once per run of them, not per handle.
class EntityHandles {
public:
    explicit EntityHandles(DrawingRef drawing) : drawing_(std::move(drawing)) {}

    // The entity at `index` (< the drawing's model-space count); an INSERT (multi-insert
    // included) is also a block reference.
    std::shared_ptr<Entity> entity(std::size_t index);
    const DrawingRef& drawing() const { return drawing_; }

private:
    DrawingRef drawing_;
    std::shared_ptr<EntityRun> run_;  // the run of the entity handed out last: walks go in order
};

}  // namespace cad::engine
