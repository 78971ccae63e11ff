// Saving on real file systems: what the file carries survives, failing saves change nothing,
// long and odd names save. Permission cases run as an ordinary user in a child process, as a user
// in a shared folder would.

#include "storage/replacement_file.h"

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "child_process.h"
#include "files.h"
#include "storage/backup.h"
#include "storage/error.h"
#include "storage/file_lock.h"

namespace storage {
namespace {

namespace fs = std::filesystem;
using testing_support::readBytes;
using testing_support::TempFolder;
using testing_support::writeBytes;

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
constexpr gid_t kUsers = 100;
constexpr uid_t kDaemon = 1;

constexpr std::string_view kNewVersion = "the new version";

// Saves `content` as the new version of `path` as the programs do: under the file's claim (a file
// that is gone has none), keeping the current version as its backup.
void save(const fs::path& path, std::string_view content = kNewVersion) {
    const fs::path file = savedFileOf(path);
    FileLock lock = fs::exists(file) ? FileLock(file) : FileLock();
    ReplacementFile replacement(file, backupPathOf(file), lock);
    replacement.write(content);
    replacement.commit();
}

// Runs `body` in a child process as `uid` with `gid` and the supplementary `groups` only.
int runAs(uid_t uid, gid_t gid, std::vector<gid_t> groups, const std::function<int()>& body) {
    return testing_support::runInChildProcess([&] {
        if (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(gid) != 0 ||
            ::setuid(uid) != 0) {
            return 125;
        }
        return body();
    });
}

// Everything about a file that a save must keep.
struct Identity {
    mode_t mode;
    uid_t uid;
    gid_t gid;
    nlink_t links;
    std::map<std::string, std::string> attributes;

    bool operator==(const Identity&) const = default;
};

Identity identityOf(const fs::path& path) {
    struct stat st {};
    EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
    Identity identity{st.st_mode, st.st_uid, st.st_gid, st.st_nlink, {}};
    std::string names(4096, '\0');
    const ssize_t size = ::listxattr(path.c_str(), names.data(), names.size());
    for (std::size_t at = 0; size > 0 && at < static_cast<std::size_t>(size);) {
        const std::string name = names.c_str() + at;
        std::string value(4096, '\0');
        const ssize_t got = ::getxattr(path.c_str(), name.c_str(), value.data(), value.size());
        value.resize(got < 0 ? 0 : static_cast<std::size_t>(got));
        identity.attributes[name] = value;
        at += name.size() + 1;
    }
    return identity;
}

void shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

TEST(ReplacementFile, KeepsEveryPropertyOfTheFileAndEveryNameShowsTheNewVersion) {
    const struct {
        const char* what;
        // Prepares the file `d` in the folder `f`; returns the other names of the file.
        std::function<std::vector<fs::path>(const fs::path& f, const fs::path& d)> setUp;
        uid_t saver;  // root, or an ordinary user who is a member of kUsers
    } cases[] = {
        {"mode",
         [](auto&, auto& d) {
             return fs::permissions(d, fs::perms(0640)), std::vector<fs::path>{};
         },
         0},
        {"owner and group",
         [](auto&, auto& d) {
             EXPECT_EQ(::chown(d.c_str(), kDaemon, kUsers), 0);
             return std::vector<fs::path>{};
         },
         0},
        {"extended attribute",
         [](auto&, auto& d) {
             shell("setfattr -n user.checked -v 张工 " + quoted(d));
             return std::vector<fs::path>{};
         },
         0},
        {"access list",
         [](auto&, auto& d) {
             shell("setfacl -m u:nobody:rw,g:users:r " + quoted(d));
             return std::vector<fs::path>{};
         },
         0},
        {"hard links",
         [](auto& f, auto& d) {
             fs::create_hard_link(d, f / "other name.dxf");
             return std::vector<fs::path>{f / "other name.dxf"};
         },
         0},
        {"symbolic link",
         [](auto& f, auto& d) {
             fs::create_symlink(d.filename(), f / "link.dxf");
             return std::vector<fs::path>{f / "link.dxf"};
         },
         0},
        {"set-group-ID folder",
         [](auto& f, auto&) {
             EXPECT_EQ(::chown(f.c_str(), 0, kUsers), 0);
             fs::permissions(f, fs::perms(02775));
             return std::vector<fs::path>{};
         },
         0},
        {"group member saving a shared file",
         [](auto& f, auto& d) {
             EXPECT_EQ(::chown(f.c_str(), kDaemon, kUsers), 0);
             fs::permissions(f, fs::perms(02775));
             EXPECT_EQ(::chown(d.c_str(), kDaemon, kUsers), 0);
             fs::permissions(d, fs::perms(0664));
             return std::vector<fs::path>{};
         },
         kNobody},
        {"group member in a sticky shared folder",
         [](auto& f, auto& d) {
             fs::permissions(f, fs::perms(01777));
             EXPECT_EQ(::chown(d.c_str(), kDaemon, kUsers), 0);
             fs::permissions(d, fs::perms(0664));
             return std::vector<fs::path>{};
         },
         kNobody},
        {"owner with an access list for others",
         [](auto& f, auto& d) {
             fs::permissions(f, fs::perms(0777));
             EXPECT_EQ(::chown(d.c_str(), kNobody, kNoGroup), 0);
             shell("setfacl -m g:users:rw " + quoted(d));
             return std::vector<fs::path>{};
         },
         kNobody},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const fs::path file = folder / "part.dxf";
        writeBytes(file, "the old version");
        const std::vector<fs::path> others = c.setUp(folder.path(), file);
        const Identity before = identityOf(file);
        const std::vector<std::string> names = folder.names();

        const auto saveIt = [&] {
            save(file);
            // In a sticky folder the saver must be able to remove the backup left for them.
            return c.saver != 0 && ::unlink((folder / "part.bak").c_str()) != 0 ? 3 : 0;
        };
        EXPECT_EQ(c.saver == 0 ? saveIt() : runAs(c.saver, kNoGroup, {kUsers}, saveIt), 0);

        EXPECT_EQ(identityOf(file), before);
        EXPECT_EQ(readBytes(file), kNewVersion);
        for (const fs::path& other : others) EXPECT_EQ(readBytes(other), kNewVersion) << other;
        if (c.saver == 0) {
            EXPECT_EQ(readBytes(folder / "part.bak"), "the old version");
            std::vector<std::string> withBackup = names;
            withBackup.push_back("part.bak");
            std::sort(withBackup.begin(), withBackup.end());
            EXPECT_EQ(folder.names(), withBackup) << "no file but the backup is added";
        } else {
            EXPECT_EQ(folder.names(), names) << "the saver removed the backup; nothing else stays";
        }
    }
}

TEST(ReplacementFile, ReplacesAnOlderBackupAndSavesAFileThatWasRemovedMeanwhile) {
    TempFolder folder;
    const auto path = folder / "part.dxf";
    writeBytes(path, "old version");
    writeBytes(folder / "part.bak", "older version");
    save(path, "new version");
    EXPECT_EQ(readBytes(path), "new version");
    EXPECT_EQ(readBytes(folder / "part.bak"), "old version");
    save(path, "newest version");
    EXPECT_EQ(readBytes(folder / "part.bak"), "new version");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"part.bak", "part.dxf"}));

    fs::remove(path);
    fs::remove(folder / "part.bak");
    save(path, "new");
    EXPECT_EQ(readBytes(path), "new");
    EXPECT_EQ(folder.names(), (std::vector<std::string>{"part.dxf"}));
}

// The file, its older backup and the folder's names, to compare before and after a save.
struct FolderState {
    std::string file;
    std::string backup;
    std::vector<std::string> names;
    bool operator==(const FolderState&) const = default;
};

FolderState stateOf(const TempFolder& folder, const fs::path& file, const fs::path& backup) {
    return {readBytes(file), fs::is_regular_file(backup) ? readBytes(backup) : "", folder.names()};
}

bool chattrWorks(const fs::path& probe) {
    return std::system(("chattr +a " + quoted(probe) + " 2>/dev/null && chattr -a " + quoted(probe))
                           .c_str()) == 0;
}

TEST(ReplacementFile, AFailingSaveKeepsTheFileAndItsOlderBackup) {
    constexpr std::uint32_t kAccessDenied = 5, kFolder = 336;
    const struct {
        const char* what;
        const char* setUp;  // shell command, run in the folder
        const char* tearDown;
        Failure failure;
        std::uint32_t win32Code;
        bool asRoot;
    } cases[] = {
        {"append-only file", "chattr +a d.dxf", "chattr -a d.dxf", Failure::kSystem, kAccessDenied,
         true},
        {"immutable file", "chattr +i d.dxf", "chattr -i d.dxf", Failure::kSystem, kAccessDenied,
         true},
        {"immutable backup", "chattr +i d.bak", "chattr -i d.bak", Failure::kSystem, kAccessDenied,
         true},
        {"backup is a folder", "rm d.bak && mkdir d.bak", "", Failure::kSystem, kFolder, true},
        {"read-only file, saved by root", "chmod 0444 d.dxf", "", Failure::kReadOnly, kAccessDenied,
         true},
        {"read-only file, saved by its owner",
         "chmod 0444 d.dxf && chown nobody d.dxf && chmod 0777 .", "", Failure::kReadOnly,
         kAccessDenied, false},
        {"file of another user", "chmod 0644 d.dxf && chmod 0777 .", "", Failure::kSystem,
         kAccessDenied, false},
        {"folder this user cannot write", "chmod 0666 d.dxf && chmod 0755 .", "", Failure::kSystem,
         kAccessDenied, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const fs::path file = folder / "d.dxf";
        const fs::path backup = folder / "d.bak";
        writeBytes(file, "the old version");
        writeBytes(backup, "older backup");
        if (std::string(c.setUp).starts_with("chattr") && !chattrWorks(file)) {
            std::cout << "skipped: this file system has no chattr attributes\n";
            continue;
        }
        shell("cd " + quoted(folder.path()) + " && " + c.setUp);
        const FolderState before = stateOf(folder, file, backup);
        const auto saveIt = [&]() -> int {
            try {
                save(file);
                return 1;
            } catch (const Error& error) {
                return error.failure() == c.failure && error.win32Code() == c.win32Code ? 0 : 2;
            }
        };
        EXPECT_EQ(c.asRoot ? saveIt() : runAs(kNobody, kNoGroup, {}, saveIt), 0);
        if (*c.tearDown != '\0') shell("cd " + quoted(folder.path()) + " && " + c.tearDown);
        EXPECT_EQ(stateOf(folder, file, backup), before);
    }
}

TEST(ReplacementFile, AFullDiskKeepsTheFileAndItsOlderBackup) {
    TempFolder folder;
    const fs::path disk = folder / "disk";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=96k") != 0) {
        GTEST_SKIP() << "mounting a small disk needs root";
    }
    const std::string content(32 * 1024, 'o');
    writeBytes(disk / "d.dxf", content);
    writeBytes(disk / "d.bak", "older backup");
    // Fill what is left.
    std::string filler(4096, 'x');
    for (int i = 0;; ++i) {
        const fs::path file = disk / ("fill" + std::to_string(i));
        FILE* out = std::fopen(file.c_str(), "w");
        const bool wrote = std::fwrite(filler.data(), 1, filler.size(), out) == filler.size() &&
                           std::fflush(out) == 0;
        std::fclose(out);
        if (!wrote) break;
    }
    try {
        save(disk / "d.dxf", std::string(32 * 1024, 'n'));
        ADD_FAILURE() << "saved on a full disk";
    } catch (const Error& error) {
        EXPECT_EQ(error.win32Code(), 112U);  // ERROR_DISK_FULL
    }
    EXPECT_EQ(readBytes(disk / "d.dxf"), content);
    EXPECT_EQ(readBytes(disk / "d.bak"), "older backup");
    for (const auto& entry : fs::directory_iterator(disk)) {
        EXPECT_TRUE(entry.path().filename().string().starts_with("fill") ||
                    entry.path().filename().string().starts_with("d."))
            << entry.path();
    }
    ::umount2(disk.c_str(), MNT_DETACH);
}

TEST(ReplacementFile, NamesThatFitStaySavable) {
    std::string chinese;
    for (int i = 0; i < 80; ++i) chinese += "零";  // 240 bytes
    const struct {
        std::string name;
        std::string backup;
    } cases[] = {
        {chinese + ".dxf", chinese + ".bak"},
        {std::string(251, 'a') + ".dxf", std::string(251, 'a') + ".bak"},
        // Without an extension the backup's name would not fit: its stem is shortened.
        {std::string(255, 'b'), std::string(251, 'b') + ".bak"},
        {chinese + "零零零零", chinese + "零零零.bak"},
        {"-leading dash.dxf", "-leading dash.bak"},
        {"new\nline.dxf", "new\nline.bak"},
        {" spaced .dxf", " spaced .bak"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        writeBytes(folder / c.name, "the old version");
        save(folder / c.name);
        EXPECT_EQ(readBytes(folder / c.name), kNewVersion);
        EXPECT_EQ(readBytes(folder / c.backup), "the old version");
        EXPECT_EQ(folder.names().size(), 2U);
    }
}

}  // namespace
}  // namespace storage
