#include "ops/model_space_walk.h"

#include <algorithm>
#include <iterator>

#include "ops/object_ref.h"
#include "titleblock/field_map.h"

namespace ops {

OpenedDrawing openDrawing(const cad::Connection& connection, const std::u16string& path) {
    deref(connection.acadDoc).open(path);
    auto active = deref(connection.AcadApp).activeDocument();
    auto modelSpace = checked(deref(active).modelSpace());
    return {std::move(active), std::move(modelSpace)};
}

std::shared_ptr<cad::ModelSpace> openModelSpace(const cad::Connection& connection,
                                                const std::u16string& path) {
    return openDrawing(connection, path).modelSpace;
}

namespace {

// Whether the entity is a block reference, telling `onEntity` its name when there is one to tell.
// Without one the name need not be made: the walk asks this of millions of entities.
bool isBlockReference(
    std::int32_t index, cad::Entity& entity,
    const std::function<void(std::int32_t index, const std::u16string& name)>& onEntity) {
    if (!onEntity) return entity.entityNameIs(cad::kBlockReferenceName);
    const std::u16string name = entity.entityName();
    onEntity(index, name);
    return name == cad::kBlockReferenceName;
}

}  // namespace

void walkModelSpace(
    cad::ModelSpace& modelSpace, std::int32_t count,
    const std::function<void(std::int32_t index, const std::u16string& name)>& onEntity,
    const std::function<void(const std::shared_ptr<cad::Attribute>& attribute)>& onAttribute) {
    // 32-bit entity and 64-bit attribute counters: no drawing the engine can hold overflows them.
    for (std::int32_t i = 0; i < count; ++i) {
        const auto entity = modelSpace.item(i);
        if (!isBlockReference(i, deref(entity), onEntity)) continue;
        const cad::AttributeArray attributes = deref(entity->asBlockReference()).getAttributes();
        for (std::int64_t j = attributes.lowerBound(); j <= attributes.upperBound(); ++j) {
            const std::shared_ptr<cad::Attribute>& attribute =
                attributes.at(static_cast<std::int32_t>(j));
            deref(attribute);  // a null element fails here, as Set without an object does
            onAttribute(attribute);
        }
    }
}

void forEachTitleBlockAttribute(cad::ModelSpace& modelSpace, std::int32_t count,
                                const TitleBlockAttributeSink& onAttribute) {
    walkModelSpace(modelSpace, count, nullptr,
                   [&onAttribute](const std::shared_ptr<cad::Attribute>& attribute) {
                       if (const auto field = titleblock::fieldForTag(attribute->tagString())) {
                           onAttribute(attribute, *field);
                       }
                   });
}

std::vector<std::shared_ptr<cad::ModelSpace>> walkedSpaces(const OpenedDrawing& drawing,
                                                           bool layouts) {
    std::vector<std::shared_ptr<cad::ModelSpace>> spaces{drawing.modelSpace};
    if (layouts) {
        const auto paperSpace = deref(drawing.document).paperSpaceLayouts();
        std::transform(paperSpace.begin(), paperSpace.end(), std::back_inserter(spaces),
                       [](const auto& layout) { return checked(layout); });
    }
    return spaces;
}

void forEachTitleBlockAttribute(const OpenedDrawing& drawing, bool layouts,
                                const TitleBlockAttributeSink& onAttribute) {
    for (const auto& space : walkedSpaces(drawing, layouts))
        forEachTitleBlockAttribute(*space, space->count(), onAttribute);
}

}  // namespace ops
