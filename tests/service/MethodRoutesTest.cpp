#include <gtest/gtest.h>

#include "DevhttpdProcess.h"

namespace {

std::string ReplyHead(size_t length) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
           std::to_string(length) +
           "\r\nAccess-Control-Allow-Headers:X-CSRF-Token,X-Requested-With,Accept,Authorization,"
           "X-PINGOTHER,Content-Type\r\nAccess-Control-Allow-Origin:  "
           "*\r\nAccess-Control-Allow-Methods: GET,PUT,POST,DELETE,PATCH,OPTIONS\r\nCache-Control: "
           "no-store, must-revalidate\r\nPragma: no-cache\r\nExpires: 0\r\n\r\n";
}

std::string Request(const std::string& method, const std::string& uri, const std::string& body) {
    std::string request = method + " " + uri + " HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    if (!body.empty()) {
        request +=
            "Content-Type: application/json\r\nContent-Length: " + std::to_string(body.size()) +
            "\r\n";
    }
    return request + "\r\n" + body;
}

class MethodRoutes : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(service.StartOnFreePort()) << service.Output(); }
    void TearDown() override { EXPECT_EQ(service.Stop(SIGTERM), 0); }

    DevhttpdProcess service;
};

TEST_F(MethodRoutes, ResultDocumentsWithCrossOriginHeaders) {
    const std::string heartBeat = "{\"funccode\":\"heart_beat\"}";
    const std::string success = "{\"msg\":\"成功\",\"result\":0}";
    const std::string invalid = "{\"msg\":\"无效数据\",\"result\":13}";
    struct Case {
        std::string method, uri, body, document;
        size_t length;
    } cases[] = {
        {"POST", "/api/call_method/heart_beat", heartBeat, success, 27},
        {"POST", "/api/call_method/open_dev", heartBeat, success, 27},
        {"POST", "/api/call_method/heart_beat", "{}", "{\"msg\":\"函数不正确\",\"result\":1}", 36},
        {"POST", "/api/call_method/heart_beat", "", invalid, 34},
        {"POST", "/api/call_method/heart_beat", "not json", invalid, 34},
        {"GET", "/api/call_method/heart_beat", "", invalid, 34},
        {"OPTIONS", "/api/call_method/get_dev_info", "", invalid, 34},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(c.document.size(), c.length);
        const HttpReply reply = Exchange(service.Port(), Request(c.method, c.uri, c.body));
        EXPECT_EQ(reply.raw, ReplyHead(c.length) + c.document) << c.method << " " << c.body;
    }
}

TEST_F(MethodRoutes, KeepAliveClientsAtTheSameTimeAreBothAnswered) {
    const std::string request =
        Request("POST", "/api/call_method/heart_beat", "{\"funccode\":\"heart_beat\"}");
    TestConnection first(service.Port());
    TestConnection second(service.Port());
    for (int round = 0; round < 20; ++round) {
        ASSERT_TRUE(first.Send(request));
        ASSERT_TRUE(second.Send(request));
        HttpReply a, b;
        ASSERT_TRUE(first.Read(a)) << round;
        ASSERT_TRUE(second.Read(b)) << round;
        EXPECT_EQ(a.body, "{\"msg\":\"成功\",\"result\":0}");
        EXPECT_EQ(b.body, a.body);
    }
}

}  // namespace
