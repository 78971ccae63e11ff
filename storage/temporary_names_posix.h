#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The temporary files a save or an exchange makes beside a file. Their names start alike for the
// file in every run, short whatever the file's name, so that what a killed run left behind is found
// and settled by the next one (leftovers_posix.h); they end in a random part, so that no one can
// take a name before we make it.
namespace storage {

// The mark of the file named `name`: a name of ours, the same in every run, that is there while
// a run of ours may have other names for that file in the folder. A later run reads the folder for
// leftovers only where the mark is, so that a batch over a folder of thousands of drawings does not
// read it at every drawing. The mark is made before any other name of ours and leaves after the
// last: a journal or a flushed folder that holds one of our names holds the mark too.
std::string markOf(const std::string& name);

// The names one run makes for the file `name` in the open folder `folder`, under its mark.
class OurNames {
public:
    OurNames(int folder, std::string name) : folder_(folder), name_(std::move(name)) {}
    OurNames(const OurNames&) = delete;
    OurNames& operator=(const OurNames&) = delete;

    // Makes something of ours in the role `role` ("new", "old", "older", "swap"): `make` is
    // called with a fresh name (hidden, as it starts with a dot) and again with another while
    // the one it was given is taken (it failed with EEXIST), a few times at most. Returns the
    // name made, or nullopt with errno as `make` left it, or as making the mark did.
    std::optional<std::string> make(const char* role,
                                    const std::function<bool(const std::string&)>& make);

    // Gives the file `from` a fresh name of ours in the role `role`: a second name where the file
    // system has links, its only one otherwise. Returns that name, or nullopt with errno set.
    std::optional<std::string> park(const std::string& from, const char* role);

    // Says that every name this made is gone: the mark goes too, where this run made it. One
    // that was there before stays, for the run that left it may have left other names.
    void allGone();

private:
    int folder_;
    std::string name_;
    bool markMade_ = false;
};

// The names in the open folder `folder` that are ours for the file `name`, its mark aside, by
// their role, from one reading of the folder: a folder of thousands of files is read once per
// settle, not once per role.
std::map<std::string, std::vector<std::string>, std::less<>> temporaryNamesIn(
    int folder, const std::string& name);

}  // namespace storage
