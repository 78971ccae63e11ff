#pragma once

#include <string>

// The temporary files a save or an exchange makes beside a file, under names that are short
// whatever the file's name and the same in every run, so that what a killed run left behind is
// found and tidied by the next one.
namespace storage {

// The name of our temporary file in the role `role` ("new", "old", "swap") for the file named
// `name`; it starts with a dot, as hidden files do.
std::string temporaryName(const std::string& name, const char* role);

// Removes the temporary file `name` in the open folder `folder` that a killed run left behind.
void removeStale(int folder, const std::string& name);

}  // namespace storage
