#include <gtest/gtest.h>

#include "AddUser.h"
#include "UsersFile.h"
#include "XWebServer.h"

namespace {

TEST(AddUser, LinesTheUsersFileReadsBack) {
    struct Case {
        const char* entry;
        const char* name;
        UserGroup group;
    } cases[] = {
        {"alice", "alice", UserGroup::User},
        {"admin", "admin", UserGroup::Admin},
        {"bob:2", "bob", UserGroup::Power},
        {"carol:3", "carol", UserGroup::Admin},
    };
    for (const Case& c : cases) {
        std::string line, error;
        ASSERT_TRUE(MakeUsersLine(c.entry, "lumorax", "s3cret:x", line, error)) << error;
        std::string name;
        WebUser user;
        ASSERT_TRUE(ParseUsersLine(line, "lumorax", name, user)) << line;
        EXPECT_EQ(name, c.name);
        EXPECT_EQ(user.group, c.group) << c.entry;
        EXPECT_EQ(user.ha1, XWebServer::CalculateDigestAuthHa1(c.name, "lumorax", "s3cret:x"));
    }
}

TEST(AddUser, RefusesWhatTheFileCannotHold) {
    struct Case {
        std::string entry, password, error;
    } cases[] = {
        {"", "pw", "user name"},         {"a b", "pw", "user name"},
        {"a\"b", "pw", "user name"},     {std::string(65, 'a'), "pw", "user name"},
        {"alice:0", "pw", "user level"}, {"alice:4", "pw", "user level"},
        {"alice:", "pw", "user level"},  {"alice:1:2", "pw", "user level"},
        {"alice", "", "password"},       {"alice", std::string(257, 'p'), "password"},
    };
    for (const Case& c : cases) {
        std::string line, error;
        EXPECT_FALSE(MakeUsersLine(c.entry, "lumorax", c.password, line, error)) << c.entry;
        EXPECT_NE(error.find(c.error), std::string::npos) << error;
    }
}

}  // namespace
