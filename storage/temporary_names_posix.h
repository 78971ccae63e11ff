#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "storage/kept_listings.h"

// The temporary files a save or an exchange makes beside a file. Their names start alike for the
// file in every run, short whatever the file's name, so that what a killed run left behind is found
// and settled by the next one (leftovers_posix.h); they end in a random part, so that no one can
// take a name before we make it.
namespace storage {

// Makes something of ours in the role `role` ("new", "old", "older", "swap") for the file named
// `name`: `make` is called with a fresh name (hidden, as it starts with a dot) and again with
// another while the one it was given is taken (it failed with EEXIST), a few times at most.
// Returns the name made, or nullopt with errno as `make` left it.
std::optional<std::string> makeUnderFreshName(const std::string& name, const char* role,
                                              const std::function<bool(const std::string&)>& make);

// Gives the file `from` in the open folder `folder` a fresh name of ours in the role `role` for
// the file `name`: a second name where the file system has links, its only one otherwise.
// Returns that name, or nullopt with errno set.
std::optional<std::string> parkUnderFreshName(int folder, const std::string& from,
                                              const std::string& name, const char* role);

// The names in the open folder `folder` that are ours for the file `name`, by their role, from
// one reading of the folder: a folder of thousands of files is read once per settle, not once
// per role.
std::map<std::string, std::vector<std::string>, std::less<>> temporaryNamesIn(
    int folder, const std::string& name, Look look);

}  // namespace storage
