#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "storage/file_names.h"

namespace storage {

// The entry a name leads to in one folder, not through a link; nullopt where it leads to none.
using EntryLookup = std::function<std::optional<FileIdentity>(const std::string& name)>;

// Whether a folder whose entries are `listing` takes names that differ only in ASCII letter case
// as one name, judged by its first entry with a letter: the same name in the other case leads to
// an entry although the listing holds no such name. Its number is no guide: some file systems
// (exFAT through FUSE) number each spelling of one file apart, and on others two spellings may be
// two names of one file. True where there is no telling (no entry with a letter), since then two
// such names must be kept apart as if they were one.
bool foldsCaseOf(const std::vector<std::string>& listing, const EntryLookup& lookup);

}  // namespace storage
