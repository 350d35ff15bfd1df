#include <gtest/gtest.h>

#include "ServerFixture.h"

namespace {

const std::string kRealm = "lumorax";

// A handler needing level 1, and a users file with good and bad lines.
class Authenticated : public ServerFixture {
  protected:
    void SetUp() override {
        const std::string hash = XWebServer::CalculateDigestAuthHa1("alice", kRealm, "secret");
        users.Write("users",
                    "alice:" + kRealm + ":" + hash + "\n" + "bob:otherrealm:" +
                        XWebServer::CalculateDigestAuthHa1("bob", "otherrealm", "pw") + "\n" +
                        "carol:" + kRealm + ":" +
                        XWebServer::CalculateDigestAuthHa1("carol", kRealm, "pw").substr(1) + "\n" +
                        "admin:" + kRealm + ":" +
                        XWebServer::CalculateDigestAuthHa1("admin", kRealm, "root") + "\n");
        ASSERT_EQ(server.LoadUsersFromFile(users.Path() + "/users"), 2);
        server.AddHandler(std::make_shared<NamedHandler>("/private", "private"), UserGroup::User);
        server.AddHandler(std::make_shared<NamedHandler>("/admin", "admin"), UserGroup::Admin);
        server.AddHandler(std::make_shared<NamedHandler>("/public", "public"));
    }

    // curl's status code for the URI with the given authentication options.
    int Curl(const std::string& uri, const std::vector<std::string>& options) {
        std::vector<std::string> args = {"curl", "-s",           "-o",         "/dev/null",
                                         "-w",   "%{http_code}", "--max-time", "5"};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back("http://127.0.0.1:" + std::to_string(port) + uri);
        std::string output;
        if (RunProgram(args, output) != 0) return -1;
        return std::atoi(output.c_str());
    }

    ScratchDir users;
};

TEST_F(Authenticated, MissingCredentialsGetTheDigestChallenge) {
    Start();
    const HttpReply reply = Exchange(port, Get("/private"));
    EXPECT_EQ(reply.status, 401);
    const std::string prefix =
        "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Digest "
        "qop=\"auth\", realm=\"lumorax\", nonce=\"";
    ASSERT_EQ(reply.head.compare(0, prefix.size(), prefix), 0) << reply.head;
    const std::string nonce =
        reply.head.substr(prefix.size(), reply.head.find('"', prefix.size()) - prefix.size());
    const long issued = std::strtol(nonce.c_str(), nullptr, 16);
    EXPECT_LE(std::labs(issued - static_cast<long>(std::time(nullptr))), 5);
    EXPECT_NE(reply.head.find("\r\nContent-Length: 0"), std::string::npos);
    EXPECT_EQ(Exchange(port, Get("/public")).status, 200);
}

TEST_F(Authenticated, BasicMethodSendsTheBasicChallenge) {
    server.SetAuthenticationMethod(Authentication::Basic);
    Start();
    EXPECT_EQ(Exchange(port, Get("/private")).head,
              "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Basic realm=\"lumorax\"\r\n"
              "Content-Length: 0");
}

TEST_F(Authenticated, Credentials) {
    Start();
    struct Case {
        const char* uri;
        std::vector<std::string> options;
        int status;
    } cases[] = {
        {"/private", {"--digest", "-u", "alice:secret"}, 200},
        {"/private?x=1&y=2", {"--digest", "-u", "alice:secret"}, 200},
        {"/private", {"--basic", "-u", "alice:secret"}, 200},
        {"/private", {"--digest", "-u", "alice:wrong"}, 401},
        {"/private", {"--basic", "-u", "alice:wrong"}, 401},
        {"/private", {"--digest", "-u", "bob:pw"}, 401},
        {"/private", {"--basic", "-u", "carol:pw"}, 401},
        {"/admin", {"--digest", "-u", "alice:secret"}, 401},
        {"/admin", {"--digest", "-u", "admin:root"}, 200},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Curl(c.uri, c.options), c.status)
            << c.uri << " " << c.options[0] << " " << c.options[2];
    }
}

}  // namespace
