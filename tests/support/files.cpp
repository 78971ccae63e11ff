#include "files.h"

#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "child_process.h"

namespace testing_support {

namespace fs = std::filesystem;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeBytes(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

fs::path fixturePath(std::string_view name) { return fs::path(ZANDREL_FIXTURES_DIR) / name; }

fs::path corpusFolder() {
    const fs::path folder(ZANDREL_CORPUS_DIR);
    return fs::is_directory(folder) ? folder : fs::path();
}

std::string fixtureBytes(std::string_view name) { return readBytes(fixturePath(name)); }

fs::path copyFixture(std::string_view name, const fs::path& folder) {
    const fs::path copy = folder / name;
    writeBytes(copy, fixtureBytes(name));
    return copy;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::string> ezdxfAttributeLines(const fs::path& drawing) {
    const Ending seen =
        runProgram("/usr/bin/python3", {ZANDREL_EZDXF_ATTRIBUTES, drawing.string()});
    if (seen.status != 0) {
        throw std::runtime_error("ezdxf cannot read " + drawing.string() + ": " + seen.err);
    }
    return linesOf(seen.out);
}

}  // namespace testing_support
