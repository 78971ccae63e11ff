#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "temp_folder.h"

// The bytes of files, the committed fixtures, the corpus of drawings from other programs, and
// what ezdxf, the independent reader, sees in a drawing.
namespace testing_support {

std::string readBytes(const std::filesystem::path& path);
void writeBytes(const std::filesystem::path& path, std::string_view bytes);

std::filesystem::path fixturePath(std::string_view name);
std::string fixtureBytes(std::string_view name);
// The corpus folder, or an empty path when this checkout has none.
std::filesystem::path corpusFolder();

// Copies a fixture into `folder` and returns the copy's path.
std::filesystem::path copyFixture(std::string_view name, const std::filesystem::path& folder);

// The lines of `text`, without their line ends.
std::vector<std::string> linesOf(const std::string& text);

// What ezdxf reads of the attributes in `drawing`, one "space TAB index TAB type TAB tag TAB
// value" line each (values escaped as the command line does). Throws when ezdxf fails.
std::vector<std::string> ezdxfAttributeLines(const std::filesystem::path& drawing);

}  // namespace testing_support
