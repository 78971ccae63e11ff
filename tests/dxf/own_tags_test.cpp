// Which tags after an entity's type are its own: the file index and the entity reader rely on it.
#include "dxf/own_tags.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace dxf {
namespace {

using Tags = std::vector<std::pair<int, std::string>>;

struct Seen {
    std::vector<int> own;  // the group codes accepted, in order
    bool embedded = false;
};

Seen ownTagsOf(const Tags& tags) {
    OwnTags own;
    Seen seen;
    for (const auto& [code, value] : tags) {
        if (own.accept(Tag{code, 0, 0, 0}, value)) seen.own.push_back(code);
    }
    seen.embedded = own.sawEmbeddedObject();
    return seen;
}

TEST(OwnTags, SkipApplicationGroupsAndStopAtExtendedDataOrAnEmbeddedObject) {
    struct Case {
        const char* name;
        Tags tags;
        std::vector<int> own;
        bool embedded;
    };
    const Case cases[] = {
        {"plain", {{5, "1F"}, {100, "AcDbEntity"}, {8, "0"}, {2, "TB"}}, {5, 100, 8, 2}, false},
        {"an application group is skipped, tags after it count",
         {{5, "1F"}, {102, "{ACAD_REACTORS"}, {330, "2A"}, {102, "}"}, {100, "AcDbEntity"}},
         {5, 100},
         false},
        {"extended data ends them",
         {{1, "own"}, {1001, "APP"}, {1000, "x"}, {100, "AcDbFake"}},
         {1},
         false},
        {"an embedded object ends them and is noted",
         {{1, "own"}, {101, "Embedded Object"}, {1, "embedded"}},
         {1},
         true},
        {"an application group inside extended data changes nothing",
         {{1, "own"}, {1001, "APP"}, {102, "}"}, {2, "x"}},
         {1},
         false},
    };
    for (const Case& c : cases) {
        const Seen seen = ownTagsOf(c.tags);
        EXPECT_EQ(seen.own, c.own) << c.name;
        EXPECT_EQ(seen.embedded, c.embedded) << c.name;
    }
}

TEST(OwnTags, RestartForgetsThePreviousEntity) {
    OwnTags own;
    own.accept(Tag{101, 0, 0, 0}, "Embedded Object");
    own.restart();
    EXPECT_TRUE(own.accept(Tag{1, 0, 0, 0}, "value"));
    EXPECT_FALSE(own.sawEmbeddedObject());
}

}  // namespace
}  // namespace dxf
