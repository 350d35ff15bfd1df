#include <gtest/gtest.h>

#include <vector>

#include "ModelRig.h"
#include "mechanism/kqDevMid00.h"

namespace {

using Rig = ModelRig<kqDevMid00>;

struct Reply {
    int rc;
    Json::Value doc;
};

Reply route(kqDevMid00& model, const std::string& conditions) {
    std::vector<char> out(4096, 0);
    const std::string args = R"({"object_name":"KQUSBDevice","conditions":)" + conditions + "}";
    Reply reply{model.send_to_parts(args.c_str(), out.data()), Json::Value()};
    Json::Reader().parse(out.data(), reply.doc);
    return reply;
}

// A board whose track sensor follows the feeding commands, as a real one would.
void followFeeding(BoardState& board) {
    board.afterCommand = [&board](const Sent& s) {
        if (s.command == 0x4001) board.sensors[1] = 1;
        if (s.command == 0x4002) board.sensors[1] = 0;
    };
}

TEST(Routing, EachTargetOfTheStandardDriver) {
    struct Case {
        int target;
        std::vector<short> commands;
        Bytes firstParam;
        std::vector<int> events;
        std::vector<int> cardAt;
    };
    const Case cases[] = {
        {0, {0x4003, 0x4002, 0x1002}, {1}, {}, {}},
        {1, {0x4003, 0x4001, 0x1002}, {0}, {1}, {1}},
        {2, {0x4003, 0x4001, 0x1002}, {0}, {2}, {2}},
        {3, {0x4003, 0x4001, 0x1002}, {1}, {3}, {3}},
        {4, {}, {}, {10}, {10}},
        {5, {0x4003, 0x4002, 0x1002, 0x1002}, {0}, {4, 5}, {5}},
        {6, {0x4003, 0x4002, 0x1002}, {1}, {}, {}},
        {7, {0x4003, 0x4002, 0x1002}, {1}, {}, {}},
        {8, {0x4003, 0x4006}, {0}, {8}, {8}},
        {10, {}, {}, {10}, {10}},
    };
    for (const Case& c : cases) {
        Rig rig;
        followFeeding(rig.board);
        const Reply r = route(rig.model, R"({"target_id":)" + std::to_string(c.target) + "}");
        EXPECT_EQ(r.rc, 0) << c.target;
        EXPECT_EQ(r.doc["result"].asInt(), 0);
        EXPECT_EQ(r.doc["msg"].asString(),
                  "成功由[]--->[" + rig.model.parts().at(c.target) + "]的工位操作成功");
        EXPECT_EQ(rig.board.commands(), c.commands) << c.target;
        if (!c.commands.empty()) {
            EXPECT_EQ(rig.board.sent[0].data, c.firstParam) << c.target;
        }
        EXPECT_EQ(rig.eventParts(), c.events) << c.target;
        EXPECT_EQ(rig.cardAt(), c.cardAt) << c.target;
    }
}

TEST(Routing, StateEventDocument) {
    Rig rig;
    route(rig.model, R"({"target_id":10})");
    ASSERT_EQ(EventLog::documents().size(), 1u);
    EXPECT_EQ(EventLog::documents()[0],
              R"({"data":{"event_data":{"part_has":true,"part_id":10,"part_name":"准备打印位置"},)"
              R"("event_id":4,"event_msg":"状态变更事件","event_name":"状态事件"},)"
              R"("msg":"状态事件","result":0})");
}

TEST(Routing, RequestErrors) {
    struct Case {
        const char* args;
        const char* msg;
    };
    const Case cases[] = {
        {"not json", "无效数据传入的内容不符合JSON格式"},
        {R"({"object_name":"KQUSBDevice"})", "无效数据传入的内容不存在conditions"},
        {R"({"conditions":{"target_id":9}})", "无效数据传入的目标工位信息未查到"},
        {R"({"conditions":{"target_id":"2"}})", "无效数据传入的目标工位信息未查到"},
        {R"({"conditions":{"target_id":2,"part_id":42}})", "无效数据传入的起始工位信息未查到"},
    };
    for (const Case& c : cases) {
        Rig rig;
        std::vector<char> out(4096, 0);
        EXPECT_EQ(rig.model.send_to_parts(c.args, out.data()), 13) << c.args;
        Json::Value doc;
        Json::Reader().parse(out.data(), doc);
        EXPECT_EQ(doc["msg"].asString(), c.msg) << c.args;
        EXPECT_TRUE(rig.board.sent.empty()) << c.args;
    }
}

TEST(Routing, TargetByNameStartAndOptions) {
    {
        Rig rig;
        followFeeding(rig.board);
        const Reply r = route(rig.model, R"({"target_name":"读卡器工位","part_id":0})");
        EXPECT_EQ(r.rc, 0);
        EXPECT_EQ(r.doc["msg"].asString(), "成功由[前入卡口工位]--->[读卡器工位]的工位操作成功");
        EXPECT_EQ(rig.cardAt(), std::vector<int>{2});
    }
    {
        Rig rig;
        const Reply r = route(rig.model, R"({"target_name":"不存在","part_id":-1})");
        EXPECT_EQ(r.rc, 13);
        EXPECT_EQ(r.doc["msg"].asString(), "无效数据由[]--->[]的工位操作失败");
        EXPECT_TRUE(rig.board.sent.empty());
    }
    {
        Rig rig;
        const Reply r = route(rig.model, R"({"target_id":4,"accept_side_ocr":2})");
        EXPECT_EQ(r.rc, 0);
        EXPECT_EQ(rig.cardAt(), std::vector<int>{10});
    }
}

TEST(Routing, FailedMoveKeepsThePositionAndSaysSo) {
    Rig rig;
    route(rig.model, R"({"target_id":10})");
    // The card never reaches the track.
    const Reply r = route(rig.model, R"({"target_id":2})");
    EXPECT_EQ(r.rc, 258);
    EXPECT_EQ(r.doc["msg"].asString(), "等待操作超时由[]--->[读卡器工位]的工位操作失败");
    EXPECT_EQ(rig.cardAt(), std::vector<int>{10});
}

TEST(Routing, PrinterMoveNeedsItsSensorRead) {
    Rig rig;
    rig.board.sensors[1] = 1;
    rig.board.afterCommand = [&](const Sent& s) {
        if (s.command == 0x4002) rig.board.sensors[1] = 0;
        // The poll sees the track clear; the read after it fails.
        if (s.command == 0x1002 && rig.board.count(0x1002) == 1) {
            rig.board.queue(0x1002, Answer{236, 0, {}});
        }
    };
    EXPECT_EQ(rig.model._toPrinterPos(0), 236);
    EXPECT_TRUE(rig.eventParts().empty());
    EXPECT_TRUE(rig.cardAt().empty());
}

TEST(Routing, BadPositionMovesMarkEntryAndBin) {
    Rig rig;
    rig.board.sensors[1] = 1;
    followFeeding(rig.board);
    EXPECT_EQ(rig.model._toQRCodeBadPos(1), 0);
    EXPECT_EQ(rig.cardAt(), (std::vector<int>{0, 7}));
    EXPECT_EQ(rig.eventParts(), std::vector<int>{7});
    rig.board.sensors[1] = 1;
    EXPECT_EQ(rig.model._toQRCodeGoodPos(1), 0);
    EXPECT_EQ(rig.cardAt(), (std::vector<int>{0, 6}));
    EXPECT_EQ(rig.model._toTranfer(3), 0);
    EXPECT_EQ(rig.cardAt(), (std::vector<int>{0, 6}));
}

}  // namespace
