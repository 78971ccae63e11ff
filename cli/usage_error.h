#pragma once

#include "cad/error.h"

namespace cli {

// A command line or a values file that cannot be carried out: reported like a CAD failure, with a
// number and a description, but before any drawing is opened, and ending with status 2.
class UsageError : public cad::Error {
public:
    using cad::Error::Error;
};

}  // namespace cli
