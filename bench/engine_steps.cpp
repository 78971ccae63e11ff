// Times the built-in engine on one drawing, step by step, and prints one JSON object: open, walk
// model space reading every attribute, put every title-block attribute, save. The drawing is
// changed in place (and NAME.bak written), so run it on a copy.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "base/unicode.h"
#include "cad/engine/engine_connector.h"
#include "cad/error.h"
#include "titleblock/field_map.h"

namespace {

// The process's peak resident memory. VmHWM, unlike getrusage, does not carry over the peak of
// the process that started this one.
std::uint64_t peakResidentBytes() {
    std::ifstream status("/proc/self/status");
    std::string field;
    while (status >> field) {
        if (field == "VmHWM:") {
            std::uint64_t kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
    }
    return 0;
}

class Stopwatch {
public:
    double lap() {
        const auto now = std::chrono::steady_clock::now();
        const std::chrono::duration<double> elapsed = now - last_;
        last_ = now;
        return elapsed.count();
    }

private:
    std::chrono::steady_clock::time_point last_ = std::chrono::steady_clock::now();
};

int run(const std::filesystem::path& drawing, const std::u16string& mark) {
    const std::uint64_t baseRss = peakResidentBytes();
    const auto connector = cad::engine::makeEngineConnector();
    const auto application = connector->launch(cad::kProgId);

    Stopwatch clock;
    application->activeDocument()->open(base::utf8ToUtf16(drawing.string()));
    const double open = clock.lap();

    // The walk of the read and the batch: every entity's name, every block reference's
    // attributes with tag and value. The title block's attributes are kept for the puts.
    const auto document = application->activeDocument();
    const auto modelSpace = document->modelSpace();
    const std::int32_t count = modelSpace->count();
    std::uint64_t attributes = 0;
    std::uint64_t textUnits = 0;  // keeps the reads from being optimised away
    std::vector<std::pair<std::shared_ptr<cad::Attribute>, int>> titleBlock;
    for (std::int32_t i = 0; i < count; ++i) {
        const auto entity = modelSpace->item(i);
        if (!entity->entityNameIs(cad::kBlockReferenceName)) continue;
        const cad::AttributeArray array = entity->asBlockReference()->getAttributes();
        for (std::int32_t j = array.lowerBound(); j <= array.upperBound(); ++j) {
            const auto& attribute = array.at(j);
            const std::u16string tag = attribute->tagString();
            textUnits += tag.size() + attribute->textString().size();
            ++attributes;
            if (const auto field = titleblock::fieldForTag(tag)) {
                titleBlock.emplace_back(attribute, *field);
            }
        }
    }
    const double walk = clock.lap();

    for (const auto& [attribute, field] : titleBlock) {
        attribute->putTextString(mark + u"/" + base::utf8ToUtf16(std::to_string(field)));
    }
    const double write = clock.lap();

    document->save();
    const double save = clock.lap();

    std::printf(
        "{\"bytes\": %ju, \"entities\": %d, \"attributes\": %ju, \"puts\": %zu, \"text_units\": "
        "%ju, \"open_s\": %.6f, \"walk_s\": %.6f, \"write_s\": %.6f, \"save_s\": %.6f, "
        "\"base_rss_bytes\": %ju, \"peak_rss_bytes\": %ju}\n",
        static_cast<std::uintmax_t>(std::filesystem::file_size(drawing)), count,
        static_cast<std::uintmax_t>(attributes), titleBlock.size(),
        static_cast<std::uintmax_t>(textUnits), open, walk, write, save,
        static_cast<std::uintmax_t>(baseRss), static_cast<std::uintmax_t>(peakResidentBytes()));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: engine_steps DRAWING [MARK]\n";
        return 2;
    }
    try {
        return run(argv[1], base::utf8ToUtf16(argc == 3 ? argv[2] : "BENCH"));
    } catch (const cad::Error& e) {
        std::cerr << "错误 " << e.number() << ": " << base::utf16ToUtf8(e.description()) << '\n';
        return 1;
    }
}
