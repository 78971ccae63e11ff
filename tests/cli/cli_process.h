#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Runs programs as the user would, and makes throw-away folders for the drawings they touch.
namespace cli::testing {

struct Outcome {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out;
    std::string err;
};

// Runs `program` with `args` (each passed whole) and `input` on standard input.
Outcome runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                   const std::string& input = "");

// A new empty folder whose name holds a space and Chinese, removed with everything in it.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string readBytes(const std::filesystem::path& file);
void writeBytes(const std::filesystem::path& file, const std::string& bytes);

}  // namespace cli::testing
