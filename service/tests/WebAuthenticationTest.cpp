#include <gtest/gtest.h>

#include <map>

#include "WebAuthentication.h"

namespace {

const std::time_t kNow = 1700000000;
const std::string kRealm = "lumorax";

struct Accounts {
    std::map<std::string, WebUser> users;
    WebUserLookup Lookup() const {
        return [this](const std::string& name, WebUser& user) {
            auto it = users.find(name);
            if (it == users.end()) return false;
            user = it->second;
            return true;
        };
    }
};

Accounts Alice() {
    Accounts accounts;
    accounts.users["alice"] = {Md5Hex("alice:" + kRealm + ":secret"), UserGroup::Power};
    return accounts;
}

std::string Hex(std::time_t seconds) {
    char text[32];
    std::snprintf(text, sizeof(text), "%lx", static_cast<unsigned long>(seconds));
    return text;
}

// The header a client computes for a request to target (path and query).
std::string DigestHeader(const std::string& user, const std::string& password,
                         const std::string& method, const std::string& target,
                         const std::string& nonce) {
    const std::string ha1 = Md5Hex(user + ":" + kRealm + ":" + password);
    const std::string ha2 = Md5Hex(method + ":" + target);
    const std::string response = Md5Hex(ha1 + ":" + nonce + ":00000001:0a4f113b:auth:" + ha2);
    return "Digest username=\"" + user + "\", realm=\"" + kRealm + "\", nonce=\"" + nonce +
           "\", uri=\"" + target + "\", qop=auth, nc=00000001, cnonce=\"0a4f113b\", response=\"" +
           response + "\"";
}

UserGroup Check(const Accounts& accounts, const std::string& header,
                const std::string& uri = "/api/x", const std::string& query = "") {
    AuthorizationRequest request{header, "GET", uri, query};
    return CheckAuthorization(request, kRealm, accounts.Lookup(), kNow);
}

TEST(Md5Hex, KnownDigests) {
    EXPECT_EQ(Md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(Md5Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(DigestAuthorization, NonceAgeLimit) {
    const Accounts accounts = Alice();
    struct Case {
        std::time_t issued;
        UserGroup expected;
    } cases[] = {
        {kNow, UserGroup::Power},
        {kNow - 3599, UserGroup::Power},
        {kNow - 3600, UserGroup::Anyone},
        {kNow + 1, UserGroup::Anyone},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Check(accounts, DigestHeader("alice", "secret", "GET", "/api/x", Hex(c.issued))),
                  c.expected)
            << "issued " << kNow - c.issued << " s ago";
    }
}

TEST(DigestAuthorization, QueryMayBeLeftOutOfTheHash) {
    const Accounts accounts = Alice();
    const std::string nonce = Hex(kNow);
    EXPECT_EQ(Check(accounts, DigestHeader("alice", "secret", "GET", "/api/x?a=1", nonce), "/api/x",
                    "a=1"),
              UserGroup::Power);
    EXPECT_EQ(
        Check(accounts, DigestHeader("alice", "secret", "GET", "/api/x", nonce), "/api/x", "a=1"),
        UserGroup::Power);
    EXPECT_EQ(Check(accounts, DigestHeader("alice", "secret", "GET", "/api/x?a=2", nonce), "/api/x",
                    "a=1"),
              UserGroup::Anyone);
}

TEST(DigestAuthorization, RefusedCredentials) {
    const Accounts accounts = Alice();
    const std::string nonce = Hex(kNow);
    const std::string good = DigestHeader("alice", "secret", "GET", "/api/x", nonce);
    const std::string missingNc = "Digest username=\"alice\", nonce=\"" + nonce +
                                  "\", uri=\"/api/x\", qop=auth, cnonce=\"c\", response=\"r\"";
    const std::string cases[] = {
        DigestHeader("alice", "wrong", "GET", "/api/x", nonce),
        DigestHeader("mallory", "secret", "GET", "/api/x", nonce),
        DigestHeader("alice", "secret", "POST", "/api/x", nonce),
        DigestHeader("alice", "secret", "GET", "/api/y", nonce),
        DigestHeader("alice", "secret", "GET", "/api/x", "zz" + nonce),
        DigestHeader(std::string(50, 'u'), "secret", "GET", "/api/x", nonce),
        missingNc,
        "Bearer abc",
    };
    ASSERT_EQ(Check(accounts, good), UserGroup::Power);
    for (const std::string& header : cases) {
        EXPECT_EQ(Check(accounts, header), UserGroup::Anyone) << header;
    }
}

TEST(DigestParameter, ExactNamesAndBounds) {
    const std::string header = "Digest cnonce=\"abc\", nonce=5f, uri=\"/a,b\", nc=00000001";
    std::string value;
    ASSERT_TRUE(DigestParameter(header, "nonce", 30, value));
    EXPECT_EQ(value, "5f");
    ASSERT_TRUE(DigestParameter(header, "cnonce", 45, value));
    EXPECT_EQ(value, "abc");
    ASSERT_TRUE(DigestParameter(header, "uri", 200, value));
    EXPECT_EQ(value, "/a,b");
    EXPECT_FALSE(DigestParameter(header, "uri", 4, value));
    EXPECT_FALSE(DigestParameter(header, "qop", 20, value));
}

TEST(BasicAuthorization, Credentials) {
    const Accounts accounts = Alice();
    struct Case {
        const char* header;
        UserGroup expected;
    } cases[] = {
        {"Basic YWxpY2U6c2VjcmV0", UserGroup::Power},   // alice:secret
        {"Basic YWxpY2U6d3Jvbmc=", UserGroup::Anyone},  // alice:wrong
        {"Basic YWxpY2U6", UserGroup::Anyone},          // alice:
        {"Basic YWxpY2U=", UserGroup::Anyone},          // alice
        {"Basic !!!", UserGroup::Anyone},
        {"Basic", UserGroup::Anyone},
        {"", UserGroup::Anyone},
    };
    for (const Case& c : cases) EXPECT_EQ(Check(accounts, c.header), c.expected) << c.header;
}

TEST(AuthenticationChallenge, BothKinds) {
    EXPECT_EQ(AuthenticationChallenge(Authentication::Basic, "lumorax", kNow),
              "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic "
              "realm=\"lumorax\"\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(AuthenticationChallenge(Authentication::Digest, "lumorax", 0x6553f100),
              "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest qop=\"auth\", "
              "realm=\"lumorax\", nonce=\"6553f100\"\r\nContent-Length: 0\r\n\r\n");
}

}  // namespace
