// Drives the engine as the batch update does: opens one drawing, writes the given values into the
// attributes with matching tags of every block reference in model space, and saves it.
//
//     engine_put_values DRAWING TAG VALUE [TAG VALUE …]      (UTF-8 arguments)
//
// The ezdxf peer test runs it and reads the result with ezdxf.
#include <iostream>
#include <map>

#include "base/unicode.h"
#include "cad/engine/engine_connector.h"
#include "cad/error.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc % 2 != 0) {
        std::cerr << "usage: engine_put_values DRAWING TAG VALUE [TAG VALUE ...]\n";
        return 2;
    }
    std::map<std::u16string, std::u16string> values;
    for (int i = 2; i + 1 < argc; i += 2)
        values[base::utf8ToUtf16(argv[i])] = base::utf8ToUtf16(argv[i + 1]);
    try {
        auto application = cad::engine::makeEngineConnector()->launch(cad::kProgId);
        application->activeDocument()->open(base::utf8ToUtf16(argv[1]));
        auto document = application->activeDocument();
        auto modelSpace = document->modelSpace();
        for (std::int32_t i = 0; i < modelSpace->count(); ++i) {
            auto entity = modelSpace->item(i);
            if (entity->entityName() != cad::kBlockReferenceName) continue;
            const cad::AttributeArray attributes = entity->asBlockReference()->getAttributes();
            for (std::int32_t j = attributes.lowerBound(); j <= attributes.upperBound(); ++j) {
                const auto found = values.find(attributes.at(j)->tagString());
                if (found != values.end()) attributes.at(j)->putTextString(found->second);
            }
        }
        document->save();
    } catch (const cad::Error& error) {
        std::cerr << std::hex << error.number() << " " << error.what() << "\n";
        return 1;
    }
    return 0;
}
