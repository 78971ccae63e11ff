#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

// The real programs run as a user would run them, as child processes that may be killed at any
// moment.
namespace system_test {

struct Ending {
    bool exited = false;    // by exit(); otherwise by a signal
    int status = -1;        // the exit status
    int signal = 0;         // the signal that ended it
    bool timedOut = false;  // killed because it ran longer than allowed
    std::string err;        // what it wrote to standard error
    long peakMemoryKb = 0;  // the most memory it held at once (resident set, KB)
};

class ChildProcess {
public:
    // Starts `program` with `args`, each passed whole. Standard input is empty and standard output
    // is dropped. With `unprivileged`, a child of root runs as the user nobody, so that file
    // permissions apply to it.
    ChildProcess(const std::filesystem::path& program, const std::vector<std::string>& args,
                 bool unprivileged = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void kill();  // SIGKILL, at once
    // Waits for the child to end; after `limit` it is killed and reported as timed out.
    Ending wait(std::chrono::milliseconds limit = std::chrono::seconds(60));

private:
    pid_t pid_ = -1;
    int errFile_ = -1;  // an anonymous file that receives standard error
};

}  // namespace system_test
