#include <gtest/gtest.h>

#include "ModelRig.h"
#include "mechanism/kqDev09.h"
#include "mechanism/kqDev19.h"

namespace {

TEST(Transfer, AcceptByFirmwareAndModel) {
    struct Case {
        const char* what;
        uint8_t type;
        const char* firmware;
        const char* name;
        unsigned char mode;
        std::vector<short> commands;
        bool ready;
    };
    const Case cases[] = {
        {"09 old firmware", 0x09, "20180814", "KQ2018AB", 0, {0x4003, 0x4001}, false},
        {"09 module firmware", 0x09, "20180815", "KQ2018AB", 0, {0x4003, 0x400D, 0x400A}, true},
        {"09 mode 1", 0x09, "20180815", "KQ2018AB", 1, {0x4003, 0x4001}, false},
        {"09 spaces before the date",
         0x09,
         "  20190101x",
         "KQ2018AB",
         0,
         {0x4003, 0x400D, 0x400A},
         true},
        {"19 built 2018", 0x19, "20180815", "KQ2018AB", 0, {0x4003, 0x400D, 0x400A}, true},
        {"19 built 2019", 0x19, "20180815", "KQ2019AB", 0, {0x4003, 0x4001}, false},
    };
    for (const Case& c : cases) {
        ModelRig<kqDev09> rig09(c.type, c.firmware, c.name);
        ModelRig<kqDev19> rig19(c.type, c.firmware, c.name);
        BoardState& board = c.type == 0x09 ? rig09.board : rig19.board;
        kqDevMid00& model = c.type == 0x09 ? static_cast<kqDevMid00&>(rig09.model) : rig19.model;
        testing::internal::CaptureStdout();
        EXPECT_EQ(model._AcceptCard(c.mode, 5), 0) << c.what;
        const std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(board.commands(), c.commands) << c.what;
        EXPECT_EQ(board.sent[0].data, Bytes{c.mode}) << c.what;
        EXPECT_TRUE(board.sent[1].data.empty()) << c.what;
        EXPECT_EQ(model.transferReady(), c.ready) << c.what;
        if (c.type == 0x19) {
            EXPECT_NE(printed.find("_FEED_CARD _send_command_wait_ack r0\n"), std::string::npos);
            EXPECT_EQ(printed.find("_FEED_CARD_SIMPLE") != std::string::npos, c.ready);
        }
    }
}

TEST(Transfer, FailedResetLeavesTheModuleNotReady) {
    ModelRig<kqDev09> rig(0x09, "20180815");
    rig.board.queue(0x400A, Answer{0, 4, {}});
    EXPECT_EQ(rig.model._AcceptCard(0, 5), 0);
    EXPECT_FALSE(rig.model.transferReady());
}

TEST(Transfer, ShortNameEndsTheAcceptOfModel19) {
    ModelRig<kqDev19> rig(0x19, "20180815", "K");
    EXPECT_EQ(rig.model._AcceptCard(0, 5), 2190);
    EXPECT_EQ(rig.board.commands(), std::vector<short>{0x4003});
}

TEST(Transfer, OldFirmwareNeverResets) {
    ModelRig<kqDev09> rig(0x09, "20180814");
    EXPECT_EQ(rig.model._tranferReset(), 0);
    rig.board.sensors[0] = 1;
    EXPECT_EQ(rig.model._toTranfer(1), 0);
    EXPECT_EQ(rig.board.count(0x400A), 0);
}

TEST(Transfer, MoveThroughTheModule) {
    ModelRig<kqDev09> rig(0x09, "20180815");
    rig.board.sensors[0] = 1;
    EXPECT_EQ(rig.model._toTranfer(2), 0);
    EXPECT_EQ(rig.board.commands(), (std::vector<short>{0x1002, 0x400A, 0x4009, 0x4008, 0x4009}));
    EXPECT_EQ(rig.board.sent[2].data, Bytes{2});
    EXPECT_EQ(rig.board.sent[3].data, Bytes{0});
    EXPECT_EQ(rig.board.sent[4].data, Bytes{0});
    EXPECT_EQ(rig.access.sleeps, std::vector<int>(10, 100));
    EXPECT_EQ(rig.eventParts(), (std::vector<int>{11, 10}));
    EXPECT_EQ(rig.cardAt(), (std::vector<int>{10, 11}));
}

TEST(Transfer, OcrValueToModulePosition) {
    const std::pair<unsigned char, uint8_t> cases[] = {{0, 1}, {1, 0}, {2, 3}, {3, 2}, {7, 0xFF}};
    for (const auto& [ocr, position] : cases) {
        ModelRig<kqDev19> rig(0x19, "20180814");
        rig.board.sensors[0] = 1;
        EXPECT_EQ(rig.model._toTranferByOCR(ocr), 0);
        ASSERT_GE(rig.board.sent.size(), 2u);
        EXPECT_EQ(rig.board.sent[1].command, 0x4009);
        EXPECT_EQ(rig.board.sent[1].data, Bytes{position}) << int(ocr);
    }
}

TEST(Transfer, ReaderMoveFromThePrinterSide) {
    ModelRig<kqDev09> rig(0x09, "20180814");
    rig.board.sensors = {0, 0, 0, 0, 0, 0, 0, 1};
    rig.board.afterCommand = [&](const Sent& s) {
        if (s.command == 0x4001) rig.board.sensors = {1, 0, 0, 0, 1, 0, 0, 0};
    };
    EXPECT_EQ(rig.model._toReaderPos(0), 0);
    EXPECT_EQ(rig.board.commands(),
              (std::vector<short>{0x1002, 0x4003, 0x4001, 0x1002, 0x4003, 0x4001, 0x4003, 0x4001}));
    EXPECT_EQ(rig.board.sent[1].data, Bytes{1});
    EXPECT_EQ(rig.eventParts(), (std::vector<int>{3, 2, 2}));
}

TEST(Transfer, ReaderMoveRollsBackOnlyOnce) {
    // A board that keeps reporting the card on the printer side.
    ModelRig<kqDev09> rig(0x09, "20180814");
    rig.board.sensors = {0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(rig.model._toReaderPos(0), 0);
    EXPECT_EQ(rig.board.count(0x1002), 2);
}

TEST(Transfer, PrinterMove) {
    struct Case {
        const char* what;
        Answer feedOut;
        Bytes after;
        int rc;
        std::vector<int> events;
    };
    const Case cases[] = {
        {"fed out", {}, {1, 0, 0, 0, 0, 0, 0, 0}, 0, {5}},
        {"stopped at the pre-print station", {0, 7, {}}, {0, 0, 0, 0, 0, 1, 0, 0}, 7, {4}},
        {"lost", {0, 7, {}}, {0, 0, 0, 0, 0, 0, 0, 0}, 7, {}},
    };
    for (const Case& c : cases) {
        ModelRig<kqDev09> rig(0x09, "20180814");
        rig.board.sensors = {0, 0, 0, 0, 1, 1, 0, 0};
        rig.board.queue(0x4002, c.feedOut);
        rig.board.afterCommand = [&](const Sent& s) {
            if (s.command == 0x4002) rig.board.sensors = c.after;
        };
        EXPECT_EQ(rig.model._toPrinterPos(0), c.rc) << c.what;
        EXPECT_EQ(rig.board.commands(), (std::vector<short>{0x1002, 0x4003, 0x4002, 0x1002}))
            << c.what;
        EXPECT_EQ(rig.eventParts(), c.events) << c.what;
    }
}

TEST(Transfer, PrinterMoveTransfersFirstWhenNotAtThePrinter) {
    ModelRig<kqDev19> rig(0x19, "20180814");
    rig.board.sensors = {1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(rig.model._toPrinterPosByOCR(2), 0);
    EXPECT_EQ(rig.board.sent[2].command, 0x4009);
    EXPECT_EQ(rig.board.sent[2].data, Bytes{3});
    EXPECT_EQ(rig.eventParts(), (std::vector<int>{11, 10, 5}));
}

std::vector<int> stateOf(kqDevMid00& model) {
    Json::Value parts;
    EXPECT_EQ(model.readStateJson(parts), 0);
    std::vector<int> ids;
    for (const Json::Value& p : parts) ids.push_back(p["part_id"].asInt());
    return ids;
}

TEST(Transfer, StateDocuments) {
    struct Case {
        Bytes sensors;
        std::vector<int> parts09;
        std::vector<int> parts19;
    };
    const Case cases[] = {
        {{1, 0, 0, 0, 1, 0, 0, 0}, {1, 2}, {0, 11}},
        {{0, 0, 0, 1, 0, 0, 0, 1}, {11}, {9}},
        {{0, 0, 0, 1, 1, 0, 0, 1}, {}, {9}},
        {{0, 0, 0, 0, 1, 0, 0, 1}, {9}, {11}},
        {{0, 0, 0, 0, 1, 0, 0, 0}, {3}, {11}},
        {{1, 0, 0, 1, 0, 0, 0, 0}, {0, 4}, {0, 9}},
        {{1, 0, 1, 1, 0, 0, 0, 0}, {0, 4}, {1, 2, 3, 2, 3}},
        {{0, 0, 0, 0, 1, 1, 0, 0}, {3}, {4}},
        // A reply without byte 7 reads it as no card.
        {{0, 0, 0, 0, 1}, {3}, {11}},
    };
    for (const Case& c : cases) {
        ModelRig<kqDev09> rig09(0x09);
        ModelRig<kqDev19> rig19(0x19);
        rig09.board.sensors = c.sensors;
        rig19.board.sensors = c.sensors;
        EXPECT_EQ(stateOf(rig09.model), c.parts09);
        EXPECT_EQ(stateOf(rig19.model), c.parts19);
    }
}

TEST(Transfer, RelativeSensors) {
    ModelRig<kqDev09> rig09(0x09);
    ModelRig<kqDev19> rig19(0x19);
    rig09.board.sensors = {1, 0, 0, 1, 0};
    rig19.board.sensors = {0, 1, 0, 1, 0};  // r5 is missing and reads as no card
    unsigned char out[kSensorBytes];
    ASSERT_EQ(rig09.model._toGetSensorsRelative(out), 0);
    EXPECT_EQ((Bytes{out[0], out[1], out[2]}), (Bytes{1, 0, 1}));
    ASSERT_EQ(rig19.model._toGetSensorsRelative(out), 0);
    EXPECT_EQ((Bytes{out[0], out[1], out[2]}), (Bytes{1, 1, 0}));
    EXPECT_TRUE(rig19.board.sent.back().data.empty());
    EXPECT_EQ(rig09.model.parts().size(), 12u);
}

}  // namespace
