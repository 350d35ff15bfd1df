// devhttpd under kiosk-sim at real speed: while a card travels, which takes
// the mechanism most of a second, the service answers everything that needs
// no device.
#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "ControlClient.h"
#include "DevhttpdProcess.h"

namespace {

std::string Post(const std::string& method, const std::string& body) {
    return "POST /api/call_method/" + method +
           " HTTP/1.1\r\nHost: h\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
}

Json::Value Document(const HttpReply& reply) {
    Json::Value document;
    Json::Reader().parse(reply.body, document);
    return document;
}

TEST(ServedDuringMove, HeartBeatVersionAndFilesWhileACardMoves) {
    kqtest::ControlClient sim;
    ASSERT_TRUE(sim.connected()) << "run under kiosk-sim --control";
    DevhttpdProcess service;
    service.Dir().Write("web/hello.txt", "hello from the document root");
    ASSERT_TRUE(service.StartOnFreePort()) << service.Output();
    const uint16_t port = service.Port();
    const std::string select = R"("object_name":"KQUSBDevice","device_type":0)";
    ASSERT_EQ(Document(Exchange(
                  port, Post("open_dev", R"({"funccode":"open_dev",)" + select + "}")))["result"],
              Json::Value(0));
    Json::Value insert;
    insert["action"] = "insert_card";
    ASSERT_TRUE(sim.request(insert)["ok"].asBool());

    std::atomic<bool> moved{false};
    HttpReply moveReply;
    std::thread move([&] {
        moveReply =
            Exchange(port, Post("send_to_parts", R"({"funccode":"send_to_parts",)" + select +
                                                     R"(,"conditions":{"target_id":2}})"));
        moved = true;
    });
    // Wait until the board sees the move's sensor polls.
    sim.clearRequests();
    for (int i = 0; i < 200 && sim.commands().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (moved) {
        move.join();
        FAIL() << "the move ended before the other requests were sent: " << moveReply.raw;
    }

    const HttpReply heartBeat = Exchange(port, Post("heart_beat", R"({"funccode":"heart_beat"})"));
    const HttpReply version = Exchange(port, "GET /version HTTP/1.1\r\nHost: h\r\n\r\n");
    const HttpReply file = Exchange(port, "GET /hello.txt HTTP/1.1\r\nHost: h\r\n\r\n");
    const bool answeredDuringTheMove = !moved;

    EXPECT_EQ(heartBeat.body, "{\"msg\":\"成功\",\"result\":0}");
    EXPECT_EQ(version.status, 200);
    EXPECT_NE(version.body.find("\"version\":\"1.1.0\""), std::string::npos);
    EXPECT_EQ(file.body, "hello from the document root");
    EXPECT_TRUE(answeredDuringTheMove);

    move.join();
    EXPECT_EQ(Document(moveReply)["result"], Json::Value(0)) << moveReply.raw;
    EXPECT_EQ(sim.mechanism()["card"].asInt(), 2);
    EXPECT_EQ(service.Stop(SIGTERM), 0);
}

}  // namespace
