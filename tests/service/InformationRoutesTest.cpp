#include <gtest/gtest.h>

#include "DevhttpdProcess.h"

namespace {

class InformationRoutes : public ::testing::Test {
  protected:
    void SetUp() override {
        service.Dir().Write("web/hello.txt", "hello from the document root");
        ASSERT_TRUE(service.StartOnFreePort()) << service.Output();
    }
    void TearDown() override { EXPECT_EQ(service.Stop(SIGTERM), 0); }

    HttpReply Get(const std::string& uri) {
        return Exchange(service.Port(), "GET " + uri + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n");
    }

    DevhttpdProcess service;
};

TEST_F(InformationRoutes, PropertyDocuments) {
    struct Case {
        std::string uri, body;
    } cases[] = {
        {"/version",
         "{\"status\":\"OK\",\"config\":{\"platform\":\"Linux\",\"product\":\"lumorax\","
         "\"version\":\"1.1.0\"}}"},
        {"/version?vars=version,product",
         "{\"status\":\"OK\",\"config\":{\"product\":\"lumorax\",\"version\":\"1.1.0\"}}"},
        {"/version?vars=nothing", "{\"status\":\"OK\",\"config\":{}}"},
        {"/camera/info",
         "{\"status\":\"OK\",\"config\":{\"device\":\"Video for Linux Camera\",\"height\":\"480\","
         "\"title\":\"Video for Linux Camera\",\"width\":\"640\"}}"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Get(c.uri).raw,
                  "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                      std::to_string(c.body.size()) +
                      "\r\nCache-Control: no-store, must-revalidate\r\nPragma: "
                      "no-cache\r\nExpires: 0\r\n\r\n" +
                      c.body)
            << c.uri;
    }
}

TEST_F(InformationRoutes, PostToVersionIsNotAllowed) {
    TestConnection connection(service.Port());
    ASSERT_TRUE(
        connection.Send("POST /version HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: "
                        "2\r\n\r\n{}"));
    std::string reply;
    ASSERT_TRUE(connection.ReadUntilClose(reply));
    EXPECT_EQ(reply,
              "HTTP/1.1 405 Method Not Allowed\r\nAllow: GET\r\nContent-Type: "
              "text/plain\r\nConnection: close\r\n\r\nMethod Not Allowed");
}

TEST_F(InformationRoutes, CameraRoutesHaveNoImage) {
    for (const char* uri : {"/camera/jpeg", "/camera/mjpeg"}) {
        const HttpReply reply = Get(uri);
        EXPECT_EQ(reply.status, 500) << uri;
        EXPECT_NE(reply.body.find("No image from video source"), std::string::npos) << uri;
    }
}

TEST_F(InformationRoutes, OtherUrisComeFromTheDocumentRoot) {
    HttpReply reply = Get("/hello.txt");
    EXPECT_EQ(reply.status, 200);
    EXPECT_EQ(reply.body, "hello from the document root");
    EXPECT_EQ(Get("/missing.txt").status, 404);
    EXPECT_NE(Get("/").status, 200);
}

}  // namespace
