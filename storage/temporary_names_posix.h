#pragma once

#include <string>

// The temporary files a save or an exchange makes beside a file, under names that are short
// whatever the file's name and the same in every run, so that what a killed run left behind is
// found and settled by the next one (leftovers_posix.h).
namespace storage {

// The name of our temporary file in the role `role` ("new", "old", "older", "swap") for the file
// named `name`; it starts with a dot, as hidden files do.
std::string temporaryName(const std::string& name, const char* role);

}  // namespace storage
