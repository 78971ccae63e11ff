#pragma once

#include <cstdint>
#include <memory>

#include "cad/engine/engine_errors.h"
#include "dxf/drawing.h"

namespace cad::engine {

// The engine's one open drawing, shared by every object it hands out. Opening another drawing
// replaces it, as in a single-document CAD application.
class Session {
public:
    // Each drawing is opened as `openOptions` says.
    explicit Session(dxf::OpenOptions openOptions) : openOptions_(openOptions) {}

    const dxf::Drawing& drawing() const { return drawing_; }
    dxf::Drawing& drawing() { return drawing_; }
    std::uint64_t generation() const { return generation_; }
    dxf::OpenOptions openOptions() const { return openOptions_; }

    // Drops the open drawing, unsaved changes included, for `next`.
    void replace(dxf::Drawing next);

private:
    dxf::OpenOptions openOptions_;
    dxf::Drawing drawing_;  // untitled and empty until the first open
    std::uint64_t generation_ = 0;
};

// A handle's link to the drawing it was made from. Once another drawing has replaced that one
// the handle fails, rather than read or change a drawing it does not belong to.
class DrawingRef {
public:
    explicit DrawingRef(std::shared_ptr<Session> session)
        : session_(std::move(session)), generation_(session_->generation()) {}

    // Throws cad::Error when the drawing has been replaced. Every call of a handle passes here,
    // so it is kept inline.
    dxf::Drawing& drawing() const {
        ensureOpen();
        return session_->drawing();
    }
    // Throws as drawing() does, for calls that answer without touching the drawing.
    void ensureOpen() const {
        if (session_->generation() != generation_) [[unlikely]]
            throw drawingClosed();
    }

private:
    std::shared_ptr<Session> session_;
    std::uint64_t generation_;
};

}  // namespace cad::engine
