#include "child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>
#include <thread>

namespace system_test {

namespace {

constexpr uid_t kNobody = 65534;

std::string readFromStart(int fd) {
    std::string text;
    char buffer[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

// In the forked child: only async-signal-safe calls until exec.
[[noreturn]] void becomeProgram(const char* program, char* const argv[], int errFile,
                                bool unprivileged) {
    const int devNull = ::open("/dev/null", O_RDWR);
    if (devNull < 0 || ::dup2(devNull, 0) < 0 || ::dup2(devNull, 1) < 0 || ::dup2(errFile, 2) < 0) {
        ::_exit(126);
    }
    if (unprivileged && ::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
        ::_exit(125);
    }
    ::execv(program, argv);
    ::_exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& args, bool unprivileged) {
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    errFile_ = ::memfd_create("stderr", 0);
    if (errFile_ < 0) throw std::runtime_error("memfd_create failed");
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) becomeProgram(words[0].c_str(), argv.data(), errFile_, unprivileged);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill();
        ::waitpid(pid_, nullptr, 0);
    }
    ::close(errFile_);
}

void ChildProcess::kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
}

Ending ChildProcess::wait(std::chrono::milliseconds limit) {
    Ending ending;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    struct rusage usage {};
    while (::wait4(pid_, &status, WNOHANG, &usage) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ending.timedOut = true;
            kill();
            ::wait4(pid_, &status, 0, &usage);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    pid_ = -1;
    ending.exited = WIFEXITED(status);
    ending.status = ending.exited ? WEXITSTATUS(status) : -1;
    ending.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    ending.err = readFromStart(errFile_);
    ending.peakMemoryKb = usage.ru_maxrss;
    return ending;
}

}  // namespace system_test
