#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

// Programs run as a user would run them, as child processes that may be killed at any moment, and
// test code run in a child process of its own.
namespace testing_support {

struct Ending {
    bool exited = false;    // by exit(); otherwise by a signal
    int status = -1;        // the exit status; -1 when it did not exit
    int signal = 0;         // the signal that ended it
    bool timedOut = false;  // killed because it ran longer than allowed
    std::string out;        // what it wrote to standard output
    std::string err;        // what it wrote to standard error
};

struct ChildOptions {
    std::string input;          // its standard input
    bool unprivileged = false;  // a child of root runs as the user nobody, so permissions apply
};

class ChildProcess {
public:
    // Starts `program` with `args`, each passed whole.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                 const ChildOptions& options = {});
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void kill();  // SIGKILL, at once
    // Waits for the child to end; after `limit` it is killed and reported as timed out.
    Ending wait(std::chrono::milliseconds limit = std::chrono::seconds(120));

private:
    pid_t pid_ = -1;
    int inFile_ = -1;  // anonymous files for the standard streams
    int outFile_ = -1;
    int errFile_ = -1;
};

// Runs `program` to its end.
Ending runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                  const ChildOptions& options = {});

// Runs `body` in a forked child and returns its exit status (126 when it did not exit).
int runInChildProcess(const std::function<int()>& body);

// Runs `body` where file permissions apply: in a child process that gave up root's privileges
// when the tests run as root, in place otherwise. Returns what `body` returned.
int runWithoutPrivileges(const std::function<int()>& body);

}  // namespace testing_support
