#include <gtest/gtest.h>

#include "ModelRig.h"
#include "mechanism/kqDevMid00.h"

namespace {

using Rig = ModelRig<kqDevMid00>;

TEST(Exchange, NoReplyReopensTheBoardAndRepeatsOnce) {
    Rig rig;
    rig.board.queue(0x1004, Answer{230, 0, {}});
    testing::internal::CaptureStdout();
    EXPECT_EQ(rig.model._MotoStop(0), 0);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(rig.board.count(0x1004), 2);
    EXPECT_EQ(rig.access.opens, 1);
    EXPECT_NE(printed.find("open_device:0\n"), std::string::npos);
    EXPECT_NE(printed.find("open_device send_command_wait_ack:0\n"), std::string::npos);
    // Every later command goes to the new port (its address may be the old one's).
    EXPECT_EQ(rig.link.port(), rig.access.lastOpened);
    EXPECT_EQ(rig.model.port(), rig.link.port());
}

TEST(Exchange, Outcomes) {
    struct Case {
        const char* what;
        std::vector<Answer> answers;
        int attached;
        int rc;
        int sends;
        int opens;
    };
    const Case cases[] = {
        {"bad check byte is not retried", {{236, 0, {}}}, 1, 236, 1, 0},
        {"write failure retried", {{232, 0, {}}}, 1, 0, 2, 1},
        {"second failure returned", {{230, 0, {}}, {230, 0, {}}}, 1, 230, 2, 1},
        {"board gone", {{230, 0, {}}}, 0, 1348, 1, 0},
        {"state byte as signed", {{0, static_cast<signed char>(0x85), {}}}, 1, -123, 1, 0},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.access.attached = c.attached;
        for (const Answer& a : c.answers) rig.board.queue(0x1004, a);
        testing::internal::CaptureStdout();
        EXPECT_EQ(rig.model._MotoStop(0), c.rc) << c.what;
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(rig.board.count(0x1004), c.sends) << c.what;
        EXPECT_EQ(rig.access.opens, c.opens) << c.what;
    }
}

TEST(Exchange, NoPortOpensTheBoardFirst) {
    BoardState board;
    AccessGuard access(&board);
    kqDevMid00 model;
    EXPECT_EQ(model._MotoStop(0), 0);
    EXPECT_EQ(access.opens, 1);
    EXPECT_EQ(board.count(0x1004), 1);

    kqDevMid00 orphan;
    access.attached = 0;
    EXPECT_EQ(orphan._MotoStop(0), 1348);
}

TEST(Feeding, AcceptWaitsForTheTrackSensor) {
    Rig rig;
    int polls = 0;
    rig.board.afterCommand = [&](const Sent& s) {
        if (s.command == 0x1002 && ++polls == 3) rig.board.sensors[1] = 1;
    };
    EXPECT_EQ(rig.model._AcceptCard(2, 9000), 0);
    EXPECT_EQ(rig.board.commands(),
              (std::vector<short>{0x4003, 0x4001, 0x1002, 0x1002, 0x1002, 0x1002}));
    EXPECT_EQ(rig.board.sent[0].data, Bytes{2});
    EXPECT_EQ(rig.board.sent[1].data, Bytes{2});
    EXPECT_EQ(rig.access.sleeps, (std::vector<int>{50, 50, 50, 50}));
}

TEST(Feeding, TimeoutAfterThreePollsHundred) {
    struct Case {
        bool eject;
        short closing;
    };
    for (const Case c : {Case{false, 0x4001}, Case{true, 0x4004}}) {
        Rig rig;
        rig.board.sensors[1] = c.eject ? 1 : 0;
        // A failing read counts as a try as well.
        rig.board.queue(0x1002, Answer{230, 0, {}});
        rig.board.queue(0x1002, Answer{230, 0, {}});
        testing::internal::CaptureStdout();
        const int rc = c.eject ? rig.model._EjectCard(1, 1000) : rig.model._AcceptCard(1, 1000);
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(rc, 258);
        EXPECT_EQ(rig.access.sleeps.size(), 300u);
        EXPECT_EQ(rig.board.commands().back(), c.closing);
    }
}

TEST(Feeding, EjectWaitsForTheTrackToClear) {
    Rig rig;
    rig.board.sensors[1] = 1;
    rig.board.afterCommand = [&](const Sent& s) {
        if (s.command == 0x4002) rig.board.sensors[1] = 0;
    };
    EXPECT_EQ(rig.model._EjectCard(1, 1000), 0);
    EXPECT_EQ(rig.board.commands(), (std::vector<short>{0x4003, 0x4002, 0x1002}));
}

TEST(Feeding, ShortSensorReplyReadsNoCard) {
    Rig rig;
    // The first poll sees the card; a later reply without byte 1 must not reuse it.
    unsigned char sensors[kSensorBytes];
    std::memset(sensors, 0x77, sizeof(sensors));
    rig.board.queue(0x1002, Answer{0, 0, Bytes{0x01}});
    ASSERT_EQ(rig.model._toGetSensors(sensors), 0);
    EXPECT_EQ(sensors[0], 0);
    EXPECT_EQ(sensors[1], 0);
    EXPECT_EQ(sensors[kSensorBytes - 1], 0);

    // A reply longer than the array is cut to it.
    rig.board.queue(0x1002, Answer{0, 0, Bytes(400, 0x00)});
    unsigned char guarded[kSensorBytes + 8];
    std::memset(guarded, 0x55, sizeof(guarded));
    ASSERT_EQ(rig.model._toGetSensors(guarded), 0);
    EXPECT_EQ(guarded[kSensorBytes - 1], 1);
    EXPECT_EQ(guarded[kSensorBytes], 0x55);
}

TEST(Commands, MotorFlashAndEncryptFrames) {
    Rig rig;
    EXPECT_EQ(rig.model._MotoRun(3, 500), 0);
    EXPECT_EQ(rig.model._toMotoRunStep(4, 5), 0);
    unsigned char param[2] = {0x10, 0x20};
    unsigned char out[8];
    int outLen = sizeof(out);
    EXPECT_EQ(rig.model._WriteFlash(param, 2, out, outLen), 0);
    unsigned char data[300];
    std::memset(data, 0xCC, sizeof(data));
    unsigned char encLen = 0;
    EXPECT_EQ(rig.model._EncryptByHardware(9, 7, 8, data, 255, out, &encLen), 0);
    const auto& sent = rig.board.sent;
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[0].command, 0x4003);
    EXPECT_EQ(sent[0].data, Bytes{3});
    EXPECT_EQ(sent[1].command, 0x1003);
    EXPECT_EQ(sent[1].data, Bytes{0});
    EXPECT_EQ(sent[2].command, 0x1002);
    EXPECT_EQ(sent[2].data, (Bytes{0, 4, 5}));
    EXPECT_EQ(sent[3].command, 0x1009);
    EXPECT_EQ(sent[3].data, (Bytes{0x10, 0x20}));
    EXPECT_EQ(sent[4].command, 0x100F);
    ASSERT_EQ(sent[4].data.size(), 255u);  // 3 header bytes and at most 252 of data
    EXPECT_EQ(sent[4].data[1], 7);
    EXPECT_EQ(sent[4].data[2], 8);
}

TEST(Commands, PowerOffDelayByte) {
    const std::pair<int, uint8_t> cases[] = {{0, 1}, {150, 1}, {1000, 10}, {-5, 1}, {30000, 44}};
    for (const auto& [waitMs, tenths] : cases) {
        Rig rig;
        EXPECT_EQ(rig.model._PowerOff(waitMs), 0);
        ASSERT_EQ(rig.board.sent.size(), 1u);
        EXPECT_EQ(rig.board.sent[0].command, 0x0009);
        EXPECT_EQ(rig.board.sent[0].data, (Bytes{0x01, tenths})) << waitMs;
    }
}

TEST(State, SensorBytesToParts) {
    struct Case {
        Bytes sensors;
        std::vector<int> parts;
    };
    const Case cases[] = {
        {{0, 0, 0}, {}},
        {{1, 0, 0}, {0}},
        {{0, 1, 1}, {1, 2, 3, 4, 10}},
        {{0, 0, 1}, {4, 10}},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.board.sensors = c.sensors;
        Json::Value parts;
        ASSERT_EQ(rig.model.readStateJson(parts), 0);
        std::vector<int> ids;
        for (const Json::Value& p : parts) {
            ids.push_back(p["part_id"].asInt());
            EXPECT_TRUE(p["part_has"].asBool());
            EXPECT_EQ(p["part_name"].asString(), rig.model.parts().at(p["part_id"].asInt()));
        }
        EXPECT_EQ(ids, c.parts);
        EXPECT_TRUE(rig.model.cardAt().empty());
    }
    Rig failing;
    failing.board.queue(0x1002, Answer{0, 3, {}});
    Json::Value parts;
    EXPECT_EQ(failing.model.readStateJson(parts), 3);
    EXPECT_TRUE(parts.isNull());
}

TEST(Driver, ResultTexts) {
    kqDevMid00 model;
    EXPECT_EQ(model.errcode2value(0), "成功");
    EXPECT_EQ(model.errcode2value(258), "失败258(0x102)");
    EXPECT_EQ(model.errcode2value(-1), "失败-1(0xffffffff)");
    EXPECT_EQ(model.open(), 0);
    EXPECT_EQ(model.close(), 0);
}

}  // namespace
