#include <gtest/gtest.h>

#include <chrono>

#include "ServerFixture.h"
#include "XWebServer.h"

namespace {

using WebServer = ServerFixture;

TEST_F(WebServer, HandlerUrisAreNormalised) {
    server.AddHandler(std::make_shared<NamedHandler>("api/x/", "x"));
    server.AddHandler(std::make_shared<NamedHandler>("/api/x", "second"));
    server.AddHandler(std::make_shared<NamedHandler>("/files", "files", true));
    Start();
    struct Case {
        const char* uri;
        int status;
        const char* body;
    } cases[] = {
        {"/api/x", 200, "x"},         {"/api/x/", 200, "x"},         {"/api/x//", 200, "x"},
        {"/api/x?q=1", 200, "x"},     {"/api/x/y", 404, nullptr},    {"/files", 200, "files"},
        {"/files/a/b", 200, "files"}, {"/filesystem", 200, "files"}, {"/other", 404, nullptr},
    };
    for (const Case& c : cases) {
        const HttpReply reply = Exchange(port, Get(c.uri));
        EXPECT_EQ(reply.status, c.status) << c.uri;
        if (c.body != nullptr) {
            EXPECT_EQ(reply.body, c.body) << c.uri;
        }
    }
}

TEST_F(WebServer, UnservedUrisGetTheLibrary404) {
    Start();
    const HttpReply reply = Exchange(port, Get("/nothing"));
    EXPECT_EQ(reply.status, 404);
    EXPECT_NE(reply.body.find("Error 404: Not Found"), std::string::npos);
}

TEST_F(WebServer, RemovedAndClearedHandlersStopServingAtNextStart) {
    auto a = std::make_shared<NamedHandler>("/a", "a");
    auto b = std::make_shared<NamedHandler>("/b", "b", true);
    server.AddHandler(a).AddHandler(b);
    server.RemoveHandler(b);
    Start();
    EXPECT_EQ(Exchange(port, Get("/a")).status, 200);
    EXPECT_EQ(Exchange(port, Get("/b")).status, 404);
    server.Stop();
    server.ClearHandlers();
    Start();
    EXPECT_EQ(Exchange(port, Get("/a")).status, 404);
}

TEST_F(WebServer, RequestPartsReachTheHandler) {
    const std::string longValue(300, 'v');
    server.AddHandler(std::make_shared<EchoHandler>(
        "/var", [](IWebRequest& r) { return r.GetVariable("name"); }));
    server.AddHandler(std::make_shared<EchoHandler>("/parts", [](IWebRequest& r) {
        return r.Method() + "|" + r.Uri() + "|" + r.Proto() + "|" + r.Query() + "|" + r.Body() +
               "|" + r.Headers()["X-Test"];
    }));
    Start();
    struct Case {
        std::string request, body;
    } cases[] = {
        {Get("/var?name=a%20b&x=1"), "a b"},
        {Get("/var?other=1"), ""},
        {Post("/var", "name=from+body"), "from body"},
        {Get("/var?name=" + longValue), longValue},
        {Post("/var?name=query", "name=body"), "query"},
        {"POST /parts?k=v HTTP/1.1\r\nHost: h\r\nX-Test: one\r\nX-Test: two\r\n"
         "Content-Length: 4\r\n\r\nbody",
         "POST|/parts|HTTP/1.1|k=v|body|one"},
        {"POST /parts HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n"
         "3\r\nabc\r\n2\r\nde\r\n0\r\n\r\n",
         "POST|/parts|HTTP/1.1||abcde|"},
    };
    for (const Case& c : cases) {
        const HttpReply reply = Exchange(port, c.request);
        EXPECT_EQ(reply.status, 200) << c.request;
        EXPECT_EQ(reply.body, c.body) << c.request;
    }
}

TEST_F(WebServer, OversizedBodiesAreRefusedBeforeTheyAreRead) {
    server.AddHandler(std::make_shared<NamedHandler>("/upload", "upload"));
    Start();
    const HttpReply reply =
        Exchange(port, "POST /upload HTTP/1.1\r\nHost: h\r\nContent-Length: 16777217\r\n\r\nstart");
    EXPECT_EQ(reply.status, 413);
}

TEST_F(WebServer, StartFailsOnAPortInUse) {
    Start();
    XWebServer second("", port);
    EXPECT_FALSE(second.Start());
    EXPECT_EQ(Exchange(port, Get("/x")).status, 404);
}

TEST_F(WebServer, LastAccessTimes) {
    server.AddHandler(std::make_shared<NamedHandler>("/a", "a"));
    server.AddHandler(std::make_shared<NamedHandler>("/b", "b"));
    Start();
    bool accessed = true;
    server.LastAccessTime(&accessed);
    EXPECT_FALSE(accessed);

    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(Exchange(port, Get("/a")).status, 200);
    EXPECT_GE(server.LastAccessTime(&accessed), before);
    EXPECT_TRUE(accessed);
    EXPECT_GE(server.LastAccessTime("/a/", &accessed), before);
    EXPECT_TRUE(accessed);
    server.LastAccessTime("/b", &accessed);
    EXPECT_FALSE(accessed);
    EXPECT_EQ(server.LastAccessTime("/none", &accessed), XWebServer::TimePoint());
    EXPECT_FALSE(accessed);
}

// Replies without a length, or asking to close, must end the connection at
// once rather than leave the client waiting for the keep-alive timeout.
TEST_F(WebServer, ConnectionEndsWhenTheReplyHasNoLength) {
    server.AddHandler(std::make_shared<EchoHandler>("/len", [](IWebRequest&) { return "ok"; }));
    class Raw : public IWebRequestHandler {
      public:
        Raw(const char* path, const char* reply) : IWebRequestHandler(path, false), mReply(reply) {}
        void HandleHttpRequest(IWebRequest&, IWebResponse& response) override {
            response.Printf("%s", mReply);
        }
        const char* mReply;
    };
    server.AddHandler(std::make_shared<Raw>("/nolen", "HTTP/1.1 200 OK\r\n\r\nstream"));
    server.AddHandler(std::make_shared<Raw>(
        "/close", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok"));
    Start();

    TestConnection kept(port);
    ASSERT_TRUE(kept.Send(Get("/len")));
    HttpReply reply;
    ASSERT_TRUE(kept.Read(reply));
    EXPECT_FALSE(kept.ClosedByPeer(300));

    for (const char* uri : {"/nolen", "/close"}) {
        TestConnection connection(port);
        ASSERT_TRUE(connection.Send(Get(uri)));
        std::string data;
        EXPECT_TRUE(connection.ClosedByPeer(1000)) << uri;
    }
}

}  // namespace
