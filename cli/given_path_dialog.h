#pragma once

#include <string>

#include "ops/file_dialog.h"

namespace cli {

// The open-file dialog of the command line: the drawing was chosen on the command line, so
// showing the dialog just reports it.
class GivenPathDialog : public ops::FileDialog {
public:
    explicit GivenPathDialog(std::u16string path) : path_(std::move(path)) {}
    void showOpen() override { settings().fileName = path_; }

private:
    std::u16string path_;
};

}  // namespace cli
