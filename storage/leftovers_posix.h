#pragma once

#include <string>

// What a run killed in the middle of a save or an exchange left beside a file, under our
// temporary names (temporary_names_posix.h), and how the next run settles it: completed or
// undone by the step the killed run had reached, never by dropping a version that has no other
// name.
namespace storage {

// Settles the leftovers of the file `name` whose backup is `backupName`, both in the open folder
// `folder`, where its mark says a run of ours may have left some. Best effort: what cannot be
// settled stays as it is, and so does the mark.
void settleLeftovers(int folder, const std::string& name, const std::string& backupName);

}  // namespace storage
