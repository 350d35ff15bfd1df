#include <gtest/gtest.h>

#include <fstream>

#include "UsersFile.h"
#include "XWebServer.h"
#include "support/TestHttp.h"

namespace {

const std::string kHash(32, 'a');

TEST(UsersFile, Lines) {
    struct Case {
        std::string line;
        bool accepted;
        UserGroup group;
    } cases[] = {
        {"admin:lumorax:" + kHash, true, UserGroup::Admin},
        {"admin:lumorax:" + kHash + ":2", true, UserGroup::Power},
        {"alice:lumorax:" + kHash, true, UserGroup::User},
        {"alice:lumorax:" + kHash + ":3", true, UserGroup::Admin},
        {"alice:lumorax:" + kHash + ":7", true, UserGroup::User},
        {"alice:lumorax:" + kHash + ":", true, UserGroup::User},
        {"alice:lumorax:" + kHash + " \t\r\n", true, UserGroup::User},
        {"alice:other:" + kHash, false, UserGroup::Anyone},
        {"alice:lumorax:" + kHash.substr(1), false, UserGroup::Anyone},
        {"alice:lumorax:" + kHash + "b", false, UserGroup::Anyone},
        {"alice:lumorax", false, UserGroup::Anyone},
        {"alice", false, UserGroup::Anyone},
        {"", false, UserGroup::Anyone},
        {std::string(230, 'n') + ":lumorax:" + kHash, false, UserGroup::Anyone},
    };
    for (const Case& c : cases) {
        std::string name;
        WebUser user;
        EXPECT_EQ(ParseUsersLine(c.line, "lumorax", name, user), c.accepted) << c.line;
        if (c.accepted) {
            EXPECT_EQ(user.group, c.group) << c.line;
            EXPECT_EQ(user.ha1, kHash);
            EXPECT_EQ(name, c.line.substr(0, c.line.find(':')));
        }
    }
}

TEST(UsersFile, LoadCountsAccountsOfTheConfiguredRealm) {
    ScratchDir dir;
    dir.Write("users", "admin:lumorax:" + kHash + "\nbob:elsewhere:" + kHash +
                           "\nbroken line\ncarol:lumorax:" + kHash + ":2\n");
    XWebServer server;
    EXPECT_EQ(server.LoadUsersFromFile(dir.Path() + "/users"), 2);
    EXPECT_EQ(server.LoadUsersFromFile(dir.Path() + "/missing"), 0);
    server.SetAuthDomain("elsewhere");
    EXPECT_EQ(server.LoadUsersFromFile(dir.Path() + "/users"), 1);
}

TEST(UsersFile, HashOfNameRealmPassword) {
    EXPECT_EQ(XWebServer::CalculateDigestAuthHa1("alice", "lumorax", "secret"),
              "34c72663b8ff5dc05999e17072fac62b");
}

}  // namespace
