#pragma once

#include <string>

#include "storage/kept_listings.h"

// What a run killed in the middle of a save or an exchange left beside a file, under our
// temporary names (temporary_names_posix.h), and how the next run settles it: completed or
// undone by the step the killed run had reached, never by dropping a version that has no other
// name.
namespace storage {

// Settles the leftovers of the file `name` whose backup is `backupName`, both in the open folder
// `folder`. Best effort: what cannot be settled stays as it is.
void settleLeftovers(int folder, const std::string& name, const std::string& backupName, Look look);

}  // namespace storage
