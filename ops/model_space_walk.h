#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "cad/object_model.h"
#include "cad/startup.h"

namespace ops {

// A drawing just opened: the application's active document and its model space.
struct OpenedDrawing {
    std::shared_ptr<cad::Document> document;
    std::shared_ptr<cad::ModelSpace> modelSpace;
};

// Opens `path` through acadDoc and takes the application's (new) active document and its model
// space. The document the open returns is released unused. A batch saves the active document:
// where the CAD application keeps several drawings open, acadDoc is still the drawing start-up
// found, and saving it would leave the opened drawing unsaved.
OpenedDrawing openDrawing(const cad::Connection& connection, const std::u16string& path);

// The model space of the drawing openDrawing() opens.
std::shared_ptr<cad::ModelSpace> openModelSpace(const cad::Connection& connection,
                                                const std::u16string& path);

// Walks the first `count` entities of `modelSpace` in order: `onEntity` (may be empty) gets each
// entity's index and EntityName, then `onAttribute` each attribute of it if it is a block
// reference. The attributes come as the handles the array holds, never null, so that a caller
// may keep one beyond the call.
void walkModelSpace(
    cad::ModelSpace& modelSpace, std::int32_t count,
    const std::function<void(std::int32_t index, const std::u16string& name)>& onEntity,
    const std::function<void(const std::shared_ptr<cad::Attribute>& attribute)>& onAttribute);

using TitleBlockAttributeSink =
    std::function<void(const std::shared_ptr<cad::Attribute>& attribute, int field)>;

// The same walk, reporting only the attributes whose tag is in the field map, with their field.
void forEachTitleBlockAttribute(cad::ModelSpace& modelSpace, std::int32_t count,
                                const TitleBlockAttributeSink& onAttribute);

// The collections a walk of `drawing` covers: its model space, then with `layouts` the entities
// of each of its paper-space layouts, in the layouts' tab order.
std::vector<std::shared_ptr<cad::ModelSpace>> walkedSpaces(const OpenedDrawing& drawing,
                                                           bool layouts);

// forEachTitleBlockAttribute over each of walkedSpaces(drawing, layouts) in turn, the whole of it.
void forEachTitleBlockAttribute(const OpenedDrawing& drawing, bool layouts,
                                const TitleBlockAttributeSink& onAttribute);

}  // namespace ops
