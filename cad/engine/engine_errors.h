#pragma once

#include <cstdint>
#include <utility>

#include "cad/error.h"
#include "dxf/error.h"
#include "storage/error.h"

namespace cad::engine {

// A handle whose drawing another one has replaced.
Error drawingClosed();
// Saving the drawing that was never given a file.
Error untitledSave();
// The same failure, number and description, as the object model reports it.
Error fromDrawingError(const dxf::Error& error);

// Runs `call`, reporting a failure of the drawing library, or of the file layer under it (as the
// drawing library words those), as a cad::Error.
template <typename Call>
decltype(auto) translated(Call&& call) {
    try {
        return std::forward<Call>(call)();
    } catch (const dxf::Error& error) {
        throw fromDrawingError(error);
    } catch (const storage::Error& error) {
        throw fromDrawingError(dxf::fileError(error));
    }
}

}  // namespace cad::engine
