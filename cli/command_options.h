#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "cli/text_encoding.h"
#include "ops/reported_batch.h"

namespace CLI {
class App;
}

// The options and operands that several commands share, each declared in one place so that its
// name and help read the same in every command.
namespace cli {

// The one drawing that read and inspect look at.
class DrawingOperand {
public:
    void addTo(CLI::App& subcommand);
    std::u16string drawing() const;

private:
    std::string name_;
};

// The drawings a command works on, last on its line: files, and folders with -r.
class DrawingOperands {
public:
    void addTo(CLI::App& subcommand);
    // Throws UsageError for a folder without -r or one that cannot be listed.
    std::vector<std::u16string> drawings() const;

private:
    std::vector<std::string> names_;
    bool recursive_ = false;
};

// -j of the commands that do many drawings at once.
class WorkersOption {
public:
    void addTo(CLI::App& subcommand);
    std::size_t workers() const { return workers_; }

private:
    std::size_t workers_ = ops::kDefaultWorkers;
};

// --layouts of the commands that walk drawings: paper space too, after model space.
class LayoutsFlag {
public:
    void addTo(CLI::App& subcommand);
    bool layouts() const { return layouts_; }

private:
    bool layouts_ = false;
};

// -n, -k, -j and --layouts of the commands that write drawings.
class BatchFlags {
public:
    void addTo(CLI::App& subcommand);
    ops::BatchOptions options() const {
        return {dryRun_, keepGoing_, workers_.workers(), {}, layouts_.layouts()};
    }

private:
    bool dryRun_ = false;
    bool keepGoing_ = false;
    WorkersOption workers_;
    LayoutsFlag layouts_;
};

// --accept-numbers of the commands that read tables; `help` says for which.
class AcceptNumbersFlag {
public:
    void addTo(CLI::App& subcommand, const char* help);
    // What a batch over a table's values is guarded by: unless the flag is given, a value that is
    // what a spreadsheet made of the drawing's number fails its drawing.
    ops::ChangeGuard guard() const;

private:
    bool acceptNumbers_ = false;
};

// --encoding of the commands that read tables; `help` says which table.
class EncodingOption {
public:
    void addTo(CLI::App& subcommand, const char* help);
    // Throws UsageError for a name it does not know.
    Encoding encoding() const;

private:
    std::string name_ = "auto";
};

}  // namespace cli
