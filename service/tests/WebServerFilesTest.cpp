#include <gtest/gtest.h>

#include "ServerFixture.h"

namespace {

// A document root inside a folder that also holds a file nobody may read.
class Files : public ServerFixture {
  protected:
    void SetUp() override {
        dir.Write("root/index.html", "<p>index</p>");
        dir.Write("root/sub/page.txt", "page");
        dir.Write("secret.txt", "do not serve");
        server.SetDocumentRoot(dir.Path() + "/root");
        server.AddHandler(std::make_shared<NamedHandler>("/api", "api"));
        Start();
    }

    ScratchDir dir;
};

TEST_F(Files, ServesFilesBesideHandlers) {
    HttpReply reply = Exchange(port, Get("/sub/page.txt"));
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "page");
    EXPECT_EQ(Exchange(port, Get("/api")).body, "api");
    EXPECT_EQ(Exchange(port, Get("/missing.txt")).status, 404);
}

TEST_F(Files, NoListingAndNoWayOut) {
    const char* uris[] = {
        "/sub/",
        "/sub",
        "/../secret.txt",
        "/sub/../../secret.txt",
        "/%2e%2e/secret.txt",
        "/sub/%2e%2e/%2e%2e/secret.txt",
        "/..%2fsecret.txt",
        "/sub%2f..%2f..%2fsecret.txt",
        "/%2e%2e%2fsecret.txt",
        "/sub/..%5c..%5csecret.txt",
    };
    for (const char* uri : uris) {
        const HttpReply reply = Exchange(port, Get(uri));
        EXPECT_NE(reply.status, 200) << uri;
        EXPECT_NE(reply.status, 0) << uri;
        EXPECT_EQ(reply.raw.find("do not serve"), std::string::npos) << uri;
        EXPECT_EQ(reply.raw.find("page.txt"), std::string::npos) << uri;
    }
}

}  // namespace
