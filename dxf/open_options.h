#pragma once

#include "dxf/file_index.h"

namespace dxf {

// How long an open drawing claims its file against other programs that ask for the claim.
enum class Claim {
    kUntilClosed,  // from open until the drawing goes, so that no other run edits it meanwhile
    kWhileBusy,    // only while it is read or saved, so that others may read and save it meanwhile
};

// How drawings are opened: how long each claims its file, and how much of a large drawing's
// model space is read.
struct OpenOptions {
    Claim claim = Claim::kUntilClosed;
    Reach reach = Reach::kEveryEntity;
};

}  // namespace dxf
