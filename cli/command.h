#pragma once

#include <string>
#include <utility>

#include "cli/console.h"

namespace CLI {
class App;
}

namespace cli {

// One command of zandrel-cli: its name and description in the help, the options and operands it
// declares on its CLI11 subcommand, and its body, which runs on what the parse filled in.
class Command {
public:
    Command(std::string name, std::string description)
        : name_(std::move(name)), description_(std::move(description)) {}
    virtual ~Command() = default;
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    const std::string& name() const { return name_; }
    const std::string& description() const { return description_; }

    // Declares the options and operands on `subcommand`; the parse stores them in the command.
    virtual void addOptions(CLI::App& subcommand) = 0;

    // Carries the command out and returns its exit status (exit_status.h). A command line or input
    // file that cannot be carried out throws UsageError before any drawing is opened; a failure
    // outside the drawings (start-up, the output) throws cad::Error.
    virtual int execute(Console& console) = 0;

private:
    std::string name_;
    std::string description_;
};

}  // namespace cli
