#include "child_process.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <stdexcept>
#include <thread>

namespace testing_support {

namespace {

constexpr uid_t kNobody = 65534;
constexpr int kCannotDropPrivileges = 125;

// Async-signal-safe, for a forked child.
bool dropPrivileges() {
    return ::setgroups(0, nullptr) == 0 && ::setgid(kNobody) == 0 && ::setuid(kNobody) == 0;
}

int anonymousFile(const char* name) {
    const int fd = ::memfd_create(name, MFD_CLOEXEC);
    if (fd < 0) throw std::runtime_error("memfd_create failed");
    return fd;
}

std::string readFromStart(int fd) {
    std::string text;
    char buffer[4096];
    ::lseek(fd, 0, SEEK_SET);
    for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

void writeAll(int fd, const std::string& text) {
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote <= 0) throw std::runtime_error("cannot write a child's input");
        done += static_cast<std::size_t>(wrote);
    }
    ::lseek(fd, 0, SEEK_SET);
}

// In the forked child: only async-signal-safe calls until exec.
[[noreturn]] void becomeProgram(const char* program, char* const argv[], const int streams[3],
                                bool unprivileged) {
    for (int fd = 0; fd < 3; ++fd) {
        if (::dup2(streams[fd], fd) < 0) ::_exit(126);
    }
    if (unprivileged && ::geteuid() == 0 && !dropPrivileges()) ::_exit(kCannotDropPrivileges);
    ::execv(program, argv);
    ::_exit(127);
}

}  // namespace

ChildProcess::ChildProcess(const std::filesystem::path& program,
                           const std::vector<std::string>& args, const ChildOptions& options)
    : inFile_(anonymousFile("stdin")),
      outFile_(anonymousFile("stdout")),
      errFile_(anonymousFile("stderr")) {
    writeAll(inFile_, options.input);
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv(words.size() + 1, nullptr);
    std::transform(words.begin(), words.end(), argv.begin(),
                   [](std::string& word) { return word.data(); });

    const int streams[3] = {inFile_, outFile_, errFile_};
    pid_ = ::fork();
    if (pid_ < 0) throw std::runtime_error("fork failed");
    if (pid_ == 0) becomeProgram(words[0].c_str(), argv.data(), streams, options.unprivileged);
}

ChildProcess::~ChildProcess() {
    if (pid_ > 0) {
        kill();
        ::waitpid(pid_, nullptr, 0);
    }
    for (const int fd : {inFile_, outFile_, errFile_}) ::close(fd);
}

void ChildProcess::kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
}

Ending ChildProcess::wait(std::chrono::milliseconds limit) {
    Ending ending;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            ending.timedOut = true;
            kill();
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    pid_ = -1;
    ending.exited = WIFEXITED(status);
    ending.status = ending.exited ? WEXITSTATUS(status) : -1;
    ending.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    ending.out = readFromStart(outFile_);
    ending.err = readFromStart(errFile_);
    return ending;
}

Ending runProgram(const std::filesystem::path& program, const std::vector<std::string>& args,
                  const ChildOptions& options) {
    return ChildProcess(program, args, options).wait();
}

int runInChildProcess(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) ::_exit(body());
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 126;
}

int runWithoutPrivileges(const std::function<int()>& body) {
    if (::geteuid() != 0) return body();
    return runInChildProcess([&] { return dropPrivileges() ? body() : kCannotDropPrivileges; });
}

}  // namespace testing_support
