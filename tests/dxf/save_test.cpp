// Saving on real file systems: what the file carries survives, failing saves change nothing,
// unchanged saves write nothing, long and odd names save. Permission cases run as an ordinary
// user in a child process, as a user in a shared folder would.

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
#include "dxf/drawing.h"
#include "dxf/error.h"
#include "files.h"

namespace dxf {
namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;

constexpr std::size_t kTitle = 3;  // the title block's place in the fixtures' model space
constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
constexpr gid_t kUsers = 100;
constexpr uid_t kDaemon = 1;

// Puts `value` into the drawing's first title-block attribute and saves.
void putAndSave(const fs::path& path, std::u16string_view value) {
    Drawing drawing = Drawing::open(path);
    drawing.putAttributeValue(drawing.entity(kTitle).attributes.front(), value);
    drawing.save();
}

std::u16string firstValue(const fs::path& path) {
    const Drawing drawing = Drawing::open(path);
    return drawing.attributeValue(drawing.entity(kTitle).attributes.front());
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

TEST(Save, KeepsEveryPropertyOfTheFileAndEveryNameShowsTheNewValues) {
    const struct {
        const char* what;
        // Prepares the drawing `d` in the folder `f`; returns the other names of the drawing.
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
        {"group member saving a shared drawing",
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
        const fs::path drawing = testing_support::copyFixture("titleblock_r2004.dxf", folder);
        const std::string original = testing_support::readBytes(drawing);
        const std::vector<fs::path> others = c.setUp(folder.path(), drawing);
        const Identity before = identityOf(drawing);
        const std::vector<std::string> names = folder.names();

        const auto save = [&] {
            putAndSave(drawing, u"齿轮轴");
            // In a sticky folder the saver must be able to remove the backup left for them.
            return c.saver != 0 && ::unlink((folder / "titleblock_r2004.bak").c_str()) != 0 ? 3 : 0;
        };
        EXPECT_EQ(c.saver == 0 ? save() : runAs(c.saver, kNoGroup, {kUsers}, save), 0);

        EXPECT_EQ(identityOf(drawing), before);
        EXPECT_EQ(firstValue(drawing), u"齿轮轴");
        for (const fs::path& other : others) EXPECT_EQ(firstValue(other), u"齿轮轴") << other;
        if (c.saver == 0) {
            EXPECT_EQ(testing_support::readBytes(folder / "titleblock_r2004.bak"), original);
            std::vector<std::string> withBackup = names;
            withBackup.push_back("titleblock_r2004.bak");
            std::sort(withBackup.begin(), withBackup.end());
            EXPECT_EQ(folder.names(), withBackup) << "no file but the backup is added";
        } else {
            EXPECT_EQ(folder.names(), names) << "the saver removed the backup; nothing else stays";
        }
    }
}

// The drawing, its older backup and the folder's names, to compare before and after a save.
struct FolderState {
    std::string drawing;
    std::string backup;
    std::vector<std::string> names;
    bool operator==(const FolderState&) const = default;
};

FolderState stateOf(const TempFolder& folder, const fs::path& drawing, const fs::path& backup) {
    return {testing_support::readBytes(drawing),
            fs::is_regular_file(backup) ? testing_support::readBytes(backup) : "", folder.names()};
}

bool chattrWorks(const fs::path& probe) {
    return std::system(("chattr +a " + quoted(probe) + " 2>/dev/null && chattr -a " + quoted(probe))
                           .c_str()) == 0;
}

TEST(Save, AFailingSaveKeepsTheDrawingAndItsOlderBackup) {
    const struct {
        const char* what;
        const char* setUp;  // shell command, run in the folder
        const char* tearDown;
        Errc code;
        bool asRoot;
    } cases[] = {
        {"append-only drawing", "chattr +a d.dxf", "chattr -a d.dxf", Errc::kAccessDenied, true},
        {"immutable drawing", "chattr +i d.dxf", "chattr -i d.dxf", Errc::kAccessDenied, true},
        {"immutable backup", "chattr +i d.bak", "chattr -i d.bak", Errc::kAccessDenied, true},
        {"backup is a folder", "rm d.bak && mkdir d.bak", "", Errc::kFolder, true},
        {"read-only drawing, saved by root", "chmod 0444 d.dxf", "", Errc::kReadOnly, true},
        {"read-only drawing, saved by its owner",
         "chmod 0444 d.dxf && chown nobody d.dxf && chmod 0777 .", "", Errc::kReadOnly, false},
        {"drawing of another user", "chmod 0644 d.dxf && chmod 0777 .", "", Errc::kAccessDenied,
         false},
        {"folder this user cannot write", "chmod 0666 d.dxf && chmod 0755 .", "",
         Errc::kAccessDenied, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const fs::path drawing = folder / "d.dxf";
        const fs::path backup = folder / "d.bak";
        testing_support::writeBytes(
            drawing,
            testing_support::readBytes(testing_support::fixturePath("titleblock_r2004.dxf")));
        testing_support::writeBytes(backup, "older backup");
        if (std::string(c.setUp).starts_with("chattr") && !chattrWorks(drawing)) {
            std::cout << "skipped: this file system has no chattr attributes\n";
            continue;
        }
        shell("cd " + quoted(folder.path()) + " && " + c.setUp);
        const FolderState before = stateOf(folder, drawing, backup);
        const auto save = [&]() -> int {
            try {
                putAndSave(drawing, u"齿轮轴");
                return 1;
            } catch (const Error& error) {
                return error.code() == c.code ? 0 : 2;
            }
        };
        EXPECT_EQ(c.asRoot ? save() : runAs(kNobody, kNoGroup, {}, save), 0);
        if (*c.tearDown != '\0') shell("cd " + quoted(folder.path()) + " && " + c.tearDown);
        EXPECT_EQ(stateOf(folder, drawing, backup), before);
    }
}

TEST(Save, AFullDiskKeepsTheDrawingAndItsOlderBackup) {
    TempFolder folder;
    const fs::path disk = folder / "disk";
    fs::create_directory(disk);
    if (::mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=96k") != 0) {
        GTEST_SKIP() << "mounting a small disk needs root";
    }
    const std::string content =
        testing_support::readBytes(testing_support::fixturePath("titleblock_r2004.dxf"));
    testing_support::writeBytes(disk / "d.dxf", content);
    testing_support::writeBytes(disk / "d.bak", "older backup");
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
        putAndSave(disk / "d.dxf", u"齿轮轴");
        ADD_FAILURE() << "saved on a full disk";
    } catch (const Error& error) {
        EXPECT_EQ(error.code(), Errc::kDiskFull);
    }
    EXPECT_EQ(testing_support::readBytes(disk / "d.dxf"), content);
    EXPECT_EQ(testing_support::readBytes(disk / "d.bak"), "older backup");
    for (const auto& entry : fs::directory_iterator(disk)) {
        EXPECT_TRUE(entry.path().filename().string().starts_with("fill") ||
                    entry.path().filename().string().starts_with("d."))
            << entry.path();
    }
    ::umount2(disk.c_str(), MNT_DETACH);
}

TEST(Save, AnUnchangedSaveWritesNothing) {
    const struct {
        const char* what;
        std::function<void(Drawing&)> change;
    } cases[] = {
        {"nothing put", [](Drawing&) {}},
        {"the values already there",
         [](Drawing& d) {
             for (const auto& slot : d.entity(kTitle).attributes) {
                 d.putAttributeValue(slot, d.attributeValue(slot));
             }
         }},
        {"a value put and put back",
         [](Drawing& d) {
             const auto slot = d.entity(kTitle).attributes.front();
             const std::u16string old = d.attributeValue(slot);
             d.putAttributeValue(slot, u"其他");
             d.putAttributeValue(slot, old);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        const fs::path drawing = testing_support::copyFixture("titleblock_r2004.dxf", folder);
        testing_support::writeBytes(folder / "titleblock_r2004.bak", "the only backup");
        const fs::file_time_type modified = fs::last_write_time(drawing) - std::chrono::hours(1);
        fs::last_write_time(drawing, modified);
        const std::string bytes = testing_support::readBytes(drawing);
        Drawing open = Drawing::open(drawing);
        c.change(open);
        open.save();
        EXPECT_EQ(fs::last_write_time(drawing), modified);
        EXPECT_EQ(testing_support::readBytes(drawing), bytes);
        EXPECT_EQ(testing_support::readBytes(folder / "titleblock_r2004.bak"), "the only backup");
        // Once saved, saving the same values again writes nothing either.
        open.putAttributeValue(open.entity(kTitle).attributes.front(), u"齿轮轴");
        open.save();
        const std::string saved = testing_support::readBytes(drawing);
        open.save();
        EXPECT_EQ(testing_support::readBytes(folder / "titleblock_r2004.bak"), bytes);
        EXPECT_EQ(testing_support::readBytes(drawing), saved);
    }
}

TEST(Save, NamesThatFitStaySavable) {
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
        const std::string original =
            testing_support::readBytes(testing_support::fixturePath("titleblock_r2010.dxf"));
        testing_support::writeBytes(folder / c.name, original);
        putAndSave(folder / c.name, u"齿轮轴");
        EXPECT_EQ(firstValue(folder / c.name), u"齿轮轴");
        EXPECT_EQ(testing_support::readBytes(folder / c.backup), original);
        EXPECT_EQ(folder.names().size(), 2U);
    }
}

}  // namespace
}  // namespace dxf
