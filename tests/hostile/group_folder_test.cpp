// zandrel-cli run by one member of a project group in the group's folder (2775, root and the
// group), where any other member may have put anything: a link to the user's own private drawing,
// a link for a backup, a drawing under another spelling, a pipe held open. The runs are the user
// nobody's, in the group users, so that permissions apply as they do to a member.

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "files.h"

namespace testing_support {
namespace {

namespace fs = std::filesystem;

struct Place {
    fs::path group;     // the group's folder, holding the drawing m.dxf
    fs::path own;       // the user's private drawing, elsewhere
    fs::path values;    // what the runs write
    uid_t user = 0;     // nobody
    gid_t members = 0;  // users
};

void give(const fs::path& path, uid_t owner, gid_t group, mode_t mode) {
    ASSERT_EQ(::chown(path.c_str(), owner, group), 0) << path;
    ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path;
}

// What another member put there; what it returns (a process holding something open) lasts until
// the case is over.
using Plant = std::function<std::unique_ptr<ChildProcess>(const Place&)>;

struct GroupCase {
    const char* what;
    Plant plant;
    std::vector<std::vector<std::string>> runs;  // each ends with `status`; "G/…" is in the group
    int status;
    const char* says;  // in standard error; none for a run that saves
};

std::string inGroup(const Place& p, const std::string& arg) {
    return arg.starts_with("G/") ? (p.group / arg.substr(2)).string() : arg;
}

Ending runAsMember(const Place& p, const std::vector<std::string>& args) {
    std::vector<std::string> command{"--reuid=" + std::to_string(p.user),
                                     "--regid=" + std::to_string(p.members),
                                     "--groups=" + std::to_string(p.members), ZANDREL_CLI};
    for (const std::string& arg : args)
        command.push_back(arg == "V" ? p.values.string() : inGroup(p, arg));
    return ChildProcess("/usr/bin/setpriv", command).wait(std::chrono::seconds(30));
}

TEST(GroupFolder, WhatAnotherMemberPlantedNeitherRedirectsNorHangsARun) {
    if (::geteuid() != 0) GTEST_SKIP() << "making a group's folder and its members needs root";
    const passwd* nobody = ::getpwnam("nobody");
    const group* users = ::getgrnam("users");
    ASSERT_TRUE(nobody != nullptr && users != nullptr);
    const std::string drawing = readBytes(fixturePath("titleblock_r2018.dxf"));
    const GroupCase cases[] = {
        {"a link to the user's private drawing, met under -r",
         [](const Place& p) {
             fs::create_symlink(p.own, p.group / "捷径.dxf");
             return nullptr;
         },
         {{"apply", "-r", "V", "G/"}},
         0,
         nullptr},
        {"a backup that is a link to the user's private drawing",
         [](const Place& p) {
             fs::create_symlink(p.own, p.group / "m.bak");
             return nullptr;
         },
         {{"restore", "G/m.dxf"}},
         1,
         "0x80040210"},
        {"another spelling whose backup name is the drawing's, in two runs",
         [&](const Place& p) {
             writeBytes(p.group / "m.DXF", drawing);
             give(p.group / "m.DXF", 0, p.members, 0664);
             return nullptr;
         },
         {{"apply", "V", "G/m.dxf"}, {"apply", "V", "G/m.DXF"}},
         2,
         "0x80040202"},
        {"a pipe someone holds open, under -r",
         [](const Place& p) {
             const fs::path pipe = p.group / "管道.dxf";
             EXPECT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
             return std::make_unique<ChildProcess>(
                 "/bin/sh", std::vector<std::string>{"-c", "exec 3<>\"$0\"; sleep 60", pipe});
         },
         {{"apply", "-r", "V", "G/"}},
         2,
         "0x800700DE"},
    };
    for (const GroupCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder folder;
        fs::permissions(folder.path(), fs::perms(0755));
        Place p{folder / "项目", folder / "家" / "私.dxf", folder / "值.tsv", nobody->pw_uid,
                users->gr_gid};
        fs::create_directories(p.group);
        give(p.group, 0, p.members, 02775);
        fs::create_directories(p.own.parent_path());
        give(p.own.parent_path(), p.user, nobody->pw_gid, 0755);
        writeBytes(p.own, drawing);
        give(p.own, p.user, nobody->pw_gid, 0600);
        writeBytes(p.group / "m.dxf", drawing);
        give(p.group / "m.dxf", 0, p.members, 0664);
        writeBytes(p.values, "零件名称\t新\n");
        give(p.values, 0, 0, 0644);
        const std::unique_ptr<ChildProcess> holder = c.plant(p);
        for (const auto& args : c.runs) {
            const Ending run = runAsMember(p, args);
            EXPECT_FALSE(run.timedOut);
            EXPECT_EQ(run.status, c.status) << run.err;
            if (c.says) {
                EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
            }
        }
        EXPECT_EQ(readBytes(p.own), drawing);
        EXPECT_EQ(fs::status(p.own).permissions(), fs::perms(0600));
        EXPECT_FALSE(fs::exists(p.own.parent_path() / "私.bak"));
    }
}

}  // namespace
}  // namespace testing_support
