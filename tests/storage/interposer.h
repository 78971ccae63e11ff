#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

// The file-system calls a save makes, interposed at link time (the test binary is linked with
// --wrap for each): recorded in order, and any one of them turned into a crash, a failure or a
// moment for another program to act.
namespace interposer {

struct Event {
    // "fsync", "name" (a rename or link gives `inode` the name `name`; an empty file made under
    // it has inode 0), "unlink", "truncate", "write", "copy" (the kernel copies into `inode`)
    std::string call;
    ino_t inode;
    std::string name;
};

// Records every interposed call while set.
extern std::vector<Event>* events;

// What happens at one interposed call.
struct Plan {
    int at = 0;  // the call, counted from 1 since arm(); 0: none
    enum class Act { kKill, kFail, kRun } act = Act::kKill;
    int error = 0;                // kFail: the errno the call fails with, without being made
    std::function<void()> run{};  // kRun: done just before the call is made
    bool noExchange = false;      // renameat2 with RENAME_EXCHANGE fails as unknown (EINVAL)
    std::string only{};           // when set, only calls of this kind ("name" …) are counted
};

// The process exits with this status at the call kKill names, as SIGKILL would end it: no
// destructor, no cleanup.
inline constexpr int kKilledStatus = 99;

void arm(Plan plan);
// Ends the plan; returns how many interposed calls (of the kind `only` names) were made since
// arm().
int disarm();

}  // namespace interposer
