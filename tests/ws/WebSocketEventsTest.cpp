// devhttpd under kiosk-sim (a flipping board with a card): method calls over
// /ws, card moves raising their events on every WebSocket client, a client
// that never reads dropped without holding up the others, idle clients beside
// heart_beat.
#include <gtest/gtest.h>
#include <json/json.h>

#include <memory>
#include <vector>

#include "DevhttpdProcess.h"
#include "WsClient.h"

namespace {

const char kSelect[] = R"("object_name":"KQUSBDevice","device_type":9)";

std::string Post(const std::string& method, const std::string& body) {
    return "POST /api/call_method/" + method +
           " HTTP/1.1\r\nHost: h\r\nConnection: close\r\nContent-Length: " +
           std::to_string(body.size()) + "\r\n\r\n" + body;
}

Json::Value Parse(const std::string& text) {
    Json::Value document;
    Json::Reader().parse(text, document);
    return document;
}

class WsService : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(service.StartOnFreePort()) << service.Output();
        port = service.Port();
        // Opens the board, so later calls and events concern it.
        ASSERT_EQ(Call("get_dev_info", "")["result"], Json::Value(0));
    }

    Json::Value Call(const std::string& method, const std::string& members) {
        const std::string body = R"({"funccode":")" + method + R"(",)" + kSelect + members + "}";
        return Parse(Exchange(port, Post(method, body)).body);
    }

    Json::Value Move(int target) {
        return Call("send_to_parts",
                    R"(,"conditions":{"target_id":)" + std::to_string(target) + "}");
    }

    // The station ids of the next count state events the client receives.
    static std::vector<int> StateEvents(WsClient& client, size_t count) {
        std::vector<int> parts;
        std::string text;
        while (parts.size() < count && client.NextText(text)) {
            const Json::Value event = Parse(text)["data"];
            if (event["event_id"] == Json::Value(4))
                parts.push_back(event["event_data"]["part_id"].asInt());
        }
        return parts;
    }

    DevhttpdProcess service;
    uint16_t port = 0;
};

TEST_F(WsService, MethodCallGetsTheExactResultDocument) {
    WsClient client(port);
    ASSERT_TRUE(client.Open());
    const std::string partList = R"({"funccode":"get_part_list",)" + std::string(kSelect) + "}";
    const std::string overHttp = Exchange(port, Post("get_part_list", partList)).body;
    struct Case {
        std::string request;
        std::string reply;
    } cases[] = {
        {R"({"funccode":"heart_beat"})", "{\"msg\":\"成功\",\"result\":0}"},
        {"{}", "{\"msg\":\"函数不正确\",\"result\":1}"},
        {"not json", "{\"msg\":\"无效数据\",\"result\":13}"},
        {partList, overHttp},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(client.SendText(c.request));
        std::string reply;
        ASSERT_TRUE(client.NextText(reply)) << c.request;
        EXPECT_EQ(reply, c.reply) << c.request;
    }
}

TEST_F(WsService, CardMovesRaiseTheirEventsOnEveryClientInOrder) {
    std::vector<std::unique_ptr<WsClient>> clients;
    for (int i = 0; i < 3; ++i) {
        clients.push_back(std::make_unique<WsClient>(port));
        ASSERT_TRUE(clients.back()->Open());
    }
    const std::vector<int> targets = {2, 3, 2, 1};
    for (int target : targets) ASSERT_EQ(Move(target)["result"], Json::Value(0)) << target;
    for (auto& client : clients) EXPECT_EQ(StateEvents(*client, targets.size()), targets);
}

TEST_F(WsService, AClientThatNeverReadsIsDroppedAndTheOthersGoOn) {
    // A small receive window, so the service's queue fills soon.
    WsClient stuck(port, 4096);
    WsClient reader(port);
    ASSERT_TRUE(stuck.Open());
    ASSERT_TRUE(reader.Open());
    // Well past the kernel buffers and the 1000 frames the service queues.
    constexpr int kMoves = 2500;
    for (int i = 0; i < kMoves; ++i) {
        ASSERT_EQ(Move(i % 2 == 0 ? 2 : 3)["result"], Json::Value(0)) << i;
        // The reader keeps up, as a browser does.
        if (i % 100 == 99) {
            ASSERT_EQ(StateEvents(reader, 100).size(), 100u) << i;
        }
    }
    EXPECT_TRUE(stuck.DrainUntilClosed(10000));
    ASSERT_EQ(Move(1)["result"], Json::Value(0));
    EXPECT_EQ(StateEvents(reader, 1), std::vector<int>{1});
}

TEST_F(WsService, HundredIdleClientsLeaveHeartBeatServed) {
    std::vector<std::unique_ptr<WsClient>> idle;
    for (int i = 0; i < 100; ++i) {
        idle.push_back(std::make_unique<WsClient>(port));
        ASSERT_TRUE(idle.back()->Open()) << i;
    }
    for (int i = 0; i < 20; ++i) {
        const HttpReply reply = Exchange(port, Post("heart_beat", R"({"funccode":"heart_beat"})"));
        EXPECT_EQ(reply.body, "{\"msg\":\"成功\",\"result\":0}") << i;
    }
    // Still connected: each gets the next event.
    ASSERT_EQ(Move(2)["result"], Json::Value(0));
    for (auto& client : idle) EXPECT_EQ(StateEvents(*client, 1), std::vector<int>{2});
}

}  // namespace
