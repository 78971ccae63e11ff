// Times the drawing library's two reading steps on one drawing held in memory: indexing the file
// and looking up every model-space entity's class and attributes, as the walk does. Prints the
// least thread CPU time of each over REPS rounds as one JSON object. CPU time of one thread, unlike
// wall-clock time, barely moves when other processes share the cores, so a change to the scanner
// can be judged on a busy machine; it leaves out reading the file and saving, which engine_steps
// times.

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <iostream>
#include <string>

#include "dxf/file_index.h"
#include "storage/file_content.h"

namespace {

double threadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 && argc != 3) {
        std::cerr << "usage: scan_cpu DRAWING [REPS]\n";
        return 2;
    }
    const std::filesystem::path path = argv[1];
    const int reps = argc == 3 ? std::max(1, std::stoi(argv[2])) : 15;
    try {
        const std::string data = storage::readWholeFile(path);
        double index = 1e9;
        double walk = 1e9;
        std::size_t attributes = 0;  // these two keep the reads from being optimised away
        std::size_t classNameBytes = 0;
        for (int round = 0; round < reps; ++round) {
            const double start = threadSeconds();
            const dxf::FileIndex found = dxf::indexFile(data, path);
            const double indexed = threadSeconds();
            attributes = 0;
            classNameBytes = 0;
            for (std::size_t i = 0; i < found.modelSpace.size(); ++i) {
                const dxf::EntityDetails entity = found.modelSpace.entity(i);
                classNameBytes += entity.className.size();
                attributes += entity.attributes.size();
            }
            index = std::min(index, indexed - start);
            walk = std::min(walk, threadSeconds() - indexed);
        }
        std::printf(
            "{\"bytes\": %zu, \"attributes\": %zu, \"class_name_bytes\": %zu, \"index_cpu_s\": "
            "%.6f, \"walk_cpu_s\": %.6f}\n",
            data.size(), attributes, classNameBytes, index, walk);
        return 0;
    } catch (const std::exception& e) {  // dxf::Error or storage::Error
        std::cerr << e.what() << '\n';
        return 1;
    }
}
