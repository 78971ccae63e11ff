#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "fake_cad.h"
#include "ops/batch_update.h"

namespace testing_support {

// A batch over the fakes: the CAD application, the progress bar, the form and the file checks,
// all writing to one log.
struct FakeBatch {
    Log log;
    Cad cad{log};
    cad::Connection connection = cad.connect();
    Bar bar{log};
    Form form{log};
    Files files{cad};

    // Runs the window's batch over `paths`, shown on the bar.
    void run(const std::vector<std::u16string>& paths) {
        ops::BatchProgress shown(bar);
        ops::batchUpdate(connection, paths, form, shown, files);
    }
    // The value an attribute was saved with.
    std::u16string saved(const std::u16string& path, std::size_t entity, std::size_t attribute) {
        return cad.drawing(path).savedModelSpace.at(entity).attributes.at(attribute).value;
    }
};

}  // namespace testing_support
