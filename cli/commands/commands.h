#pragma once

#include <memory>

#include "cli/command.h"

// The commands of zandrel-cli, one file each; main.cpp lists them in the order of the help.
namespace cli {

std::unique_ptr<Command> makeReadCommand();
std::unique_ptr<Command> makeInspectCommand();
std::unique_ptr<Command> makeApplyCommand();
std::unique_ptr<Command> makeExportCommand();
std::unique_ptr<Command> makeImportCommand();
std::unique_ptr<Command> makeRestoreCommand();

}  // namespace cli
