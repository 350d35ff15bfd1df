#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "RequestTarget.h"
#include "ServerFixture.h"

namespace {

TEST(RequestTarget, FormsAndPaths) {
    const struct {
        const char* target;
        bool ok;
        const char* rawPath;
        const char* path;
        const char* query;
    } cases[] = {
        {"/a/b?x=1", true, "/a/b", "/a/b", "x=1"},
        {"http://host:8080/api/x?q", true, "/api/x", "/api/x", "q"},
        {"http://host", true, "/", "/", ""},
        {"http://host?q=1", true, "/", "/", "q=1"},
        {"/a/%2e%2e/%2e%2e/b", true, "/a/%2e%2e/%2e%2e/b", "/b", ""},
        {"/a/./b/../c/", true, "/a/./b/../c/", "/a/c/", ""},
        {"/x%20y", true, "/x%20y", "/x y", ""},
        {"/bad%zz", true, "/bad%zz", "/bad%zz", ""},
        {"/nul%00", false, "", "", ""},
        {"*", false, "", "", ""},
        {"relative/path", false, "", "", ""},
    };
    for (const auto& c : cases) {
        RequestTarget parsed;
        ASSERT_EQ(ParseRequestTarget(c.target, parsed), c.ok) << c.target;
        if (!c.ok) continue;
        EXPECT_EQ(parsed.rawPath, c.rawPath) << c.target;
        EXPECT_EQ(parsed.path, c.path) << c.target;
        EXPECT_EQ(parsed.query, c.query) << c.target;
    }
}

// A server with tight limits, so each can be reached quickly.
class Limits : public ServerFixture {
  protected:
    void Start(size_t connections = 64) {
        WebLimits limits;
        limits.headerBytes = 1024;
        limits.bodyBytes = 4096;
        limits.bodyBudgetBytes = 8192;
        limits.headerTime = std::chrono::milliseconds(500);
        limits.bodyTime = std::chrono::milliseconds(500);
        limits.idleTime = std::chrono::milliseconds(500);
        limits.connections = connections;
        server.SetLimits(limits);
        server.AddHandler(
            std::make_shared<EchoHandler>("/echo", [](IWebRequest& r) { return r.Body(); }));
        ServerFixture::Start();
    }
};

TEST_F(Limits, OversizedRequestsAreRefused) {
    Start();
    const struct {
        std::string request;
        int status;
    } cases[] = {
        {Get("/echo", "X-Long: " + std::string(2000, 'x') + "\r\n"), 431},
        {"POST /echo HTTP/1.1\r\nHost: h\r\nContent-Length: 4097\r\n\r\n", 413},
        {"POST /echo HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n1001\r\n" +
             std::string(4097, 'c') + "\r\n0\r\n\r\n",
         413},
        {Post("/echo", std::string(4096, 'b')), 200},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Exchange(port, c.request).status, c.status) << c.request.substr(0, 60);
    }
}

TEST_F(Limits, BodiesHeldAtOnceStayWithinTheBudget) {
    Start();
    // Two connections announce 4 KiB each and send nothing more: the budget is spent.
    TestConnection first(port), second(port);
    for (TestConnection* connection : {&first, &second}) {
        ASSERT_TRUE(
            connection->Send("POST /echo HTTP/1.1\r\nHost: h\r\nContent-Length: 4096\r\n\r\n"));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Exchange(port, Post("/echo", "small")).status, 503);
    // Their time runs out, and the budget is there again.
    EXPECT_TRUE(first.ClosedByPeer(2000));
    EXPECT_TRUE(second.ClosedByPeer(2000));
    EXPECT_EQ(Exchange(port, Post("/echo", "small")).body, "small");
}

TEST_F(Limits, ClientsThatTakeTooLongAreClosed) {
    Start();
    TestConnection silent(port);
    TestConnection slowHeader(port);
    ASSERT_TRUE(slowHeader.Send("GET /echo HTTP/1.1\r\n"));
    TestConnection slowBody(port);
    ASSERT_TRUE(slowBody.Send("POST /echo HTTP/1.1\r\nHost: h\r\nContent-Length: 10\r\n\r\nabc"));
    TestConnection kept(port);
    ASSERT_TRUE(kept.Send(Get("/echo")));
    HttpReply reply;
    ASSERT_TRUE(kept.Read(reply));
    for (TestConnection* connection : {&silent, &slowHeader, &slowBody, &kept}) {
        EXPECT_TRUE(connection->ClosedByPeer(2000));
    }
}

TEST_F(Limits, AtTheConnectionLimitTheLongestIdleMakesRoom) {
    Start(3);
    std::vector<std::unique_ptr<TestConnection>> idle;
    for (int i = 0; i < 3; ++i) {
        idle.push_back(std::make_unique<TestConnection>(port));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(Exchange(port, Post("/echo", "served")).body, "served");
    EXPECT_TRUE(idle[0]->ClosedByPeer(300));
    EXPECT_FALSE(idle[2]->ClosedByPeer(100));
}

TEST_F(Limits, PipelinedRequestsAreAnsweredInOrder) {
    Start();
    TestConnection connection(port);
    ASSERT_TRUE(connection.Send(Post("/echo", "one") + Post("/echo", "two") + Get("/none")));
    HttpReply reply;
    ASSERT_TRUE(connection.Read(reply));
    EXPECT_EQ(reply.body, "one");
    ASSERT_TRUE(connection.Read(reply));
    EXPECT_EQ(reply.body, "two");
    ASSERT_TRUE(connection.Read(reply));
    EXPECT_EQ(reply.status, 404);
}

}  // namespace
