#include "mechanism/Identification.h"

#include <gtest/gtest.h>

#include <cstring>

#include "FakeBoard.h"
#include "mechanism/DeviceInfo.h"
#include "mechanism/InfoBlock.h"
#include "mechanism/kqDevMid00.h"

namespace {

struct Identified {
    int rc;
    DeviceInfo info;
};

Identified identify(BoardState& board, int index = 0) {
    FakeBoard port(board);
    Identified result{0, DeviceInfo()};
    result.rc = analyzeFlashNormal(&port, index, &result.info);
    return result;
}

TEST(Identification, SequenceFillsTheRecord) {
    BoardState board;
    board.deviceType = 0x09;
    board.name = "  ABC  ";
    const Identified id = identify(board, 3);
    ASSERT_EQ(id.rc, 0);
    EXPECT_EQ(board.commands(),
              (std::vector<short>{0x3001, 0x100B, 0x0104, 0x0106, 0x0105, 0x1008}));
    for (const Sent& s : board.sent) EXPECT_EQ(s.package, 3);
    EXPECT_TRUE(board.sent[0].data.empty());
    EXPECT_EQ(board.sent[2].data, Bytes{0x00});
    EXPECT_TRUE(id.info.newFirmware);
    EXPECT_STREQ(id.info.device, "VXKM300");
    EXPECT_EQ(id.info.deviceType, 9u);
    EXPECT_STREQ(id.info.deviceType_hex, "09");
    EXPECT_STREQ(id.info.deviceType_c, "翻转");
    EXPECT_EQ(id.info.SER_CNT, 3);
    EXPECT_STREQ(id.info.deviceName, "ABC");
    EXPECT_STREQ(id.info.firmware32, "01 02 0A");
    EXPECT_STREQ(id.info.firmware, "20200101");
    EXPECT_STREQ(id.info.DevID, "234567789ABCDE");
    EXPECT_STREQ(id.info.SerialNumber, "234567789ABCDE");
    EXPECT_STREQ(id.info.PrinterID, "PRN00000001");
    EXPECT_STREQ(id.info.QRCodeGun, "QRC000000001");
    EXPECT_STREQ(id.info.pici, "A1B2C3");
    EXPECT_EQ(id.info.MarkValue, 0x07);
    EXPECT_STREQ(id.info.Board, "18");
}

TEST(Identification, TypeCodesAndModelNames) {
    struct Case {
        uint8_t code;
        const char* hex;
        const char* name;
        int count;
    };
    const Case cases[] = {{0x00, "00", "短款(旧)_连体传感", 2},
                          {0x05, "05", "未知", 0},
                          {0x0A, "0a", "未知", 0},
                          {0x19, "19", "新翻转(新)_水平翻转", 3},
                          {0x88, "88", "长款(新)_增加打印机传感", 3}};
    for (const Case& c : cases) {
        BoardState board;
        board.deviceType = c.code;
        const Identified id = identify(board);
        ASSERT_EQ(id.rc, 0) << int(c.code);
        EXPECT_STREQ(id.info.deviceType_hex, c.hex);
        EXPECT_STREQ(id.info.deviceType_c, c.name);
        EXPECT_EQ(id.info.SER_CNT, c.count);
    }
    int count = 42;
    EXPECT_STREQ(DevDM2MC(0xF002, &count), "DS短模块式");
    EXPECT_EQ(count, 1);
    count = 42;
    EXPECT_STREQ(DevDM2MC(0x1234, &count), "未知");
    EXPECT_EQ(count, 42);
}

TEST(Identification, EncipheredBlockIsDeciphered) {
    BoardState board;
    Bytes plain = board.block;
    board.block = encipheredBlock(plain);
    // Bytes 57 to 62 travel plain and are never deciphered.
    ASSERT_EQ(board.block[60], plain[60]);
    const Identified id = identify(board);
    ASSERT_EQ(id.rc, 0);
    EXPECT_STREQ(id.info.DevID, "234567789ABCDE");
    EXPECT_STREQ(id.info.PrinterID, "PRN00000001");
    EXPECT_STREQ(id.info.pici, "A1B2C3");
}

TEST(Identification, BadBlocksKeepTheBlockFieldsEmpty) {
    struct Case {
        const char* what;
        std::function<void(Bytes&)> damage;
        int rc;
    };
    const Case cases[] = {
        {"checksum", [](Bytes& b) { b[0] ^= 0xFF; }, kBadInfoChecksum},
        {"zeros", [](Bytes& b) { b.assign(64, 0); }, kBadInfoMarker},
        {"short reply", [](Bytes& b) { b.resize(40); }, kBadInfoMarker},
        {"enciphered with a wrong sum", [](Bytes& b) { b[63] = 0xFD; }, kBadInfoChecksum},
    };
    for (const Case& c : cases) {
        BoardState board;
        board.deviceType = 0x09;
        c.damage(board.block);
        const Identified id = identify(board);
        EXPECT_EQ(id.rc, c.rc) << c.what;
        EXPECT_STREQ(id.info.deviceType_hex, "09") << c.what;
        EXPECT_STREQ(id.info.DevID, "") << c.what;
        EXPECT_STREQ(id.info.PrinterID, "") << c.what;
        EXPECT_STREQ(id.info.Board, "") << c.what;
    }
}

TEST(Identification, FailingStepEndsTheSequence) {
    BoardState board;
    board.queue(0x3001, Answer{230, 0, {}});
    Identified id = identify(board);
    EXPECT_EQ(id.rc, 230);
    EXPECT_FALSE(id.info.newFirmware);
    EXPECT_EQ(board.sent.size(), 1u);

    BoardState refused;
    refused.queue(0x0106, Answer{0, static_cast<signed char>(0x85), {}});
    id = identify(refused);
    EXPECT_EQ(id.rc, -123);
    EXPECT_STREQ(id.info.deviceName, "KQ2018AB");
    EXPECT_STREQ(id.info.firmware, "");
}

TEST(Identification, OversizedRepliesAreCutToTheFields) {
    BoardState board;
    board.name = std::string(600, 'N');
    board.firmware = std::string(400, '7');
    board.firmware32 = Bytes(200, 0xAB);
    Bytes longBlock = board.block;
    longBlock.resize(300, 0xEE);
    board.block = longBlock;
    const Identified id = identify(board);
    ASSERT_EQ(id.rc, 0);
    EXPECT_EQ(std::strlen(id.info.deviceName), 254u);
    EXPECT_EQ(std::strlen(id.info.firmware), 254u);
    EXPECT_EQ(std::strlen(id.info.firmware32), 254u);
    EXPECT_STREQ(id.info.DevID, "234567789ABCDE");
}

TEST(Identification, ShortTypeReplyReadsZeroNotAnEarlierReply) {
    BoardState board;
    board.queue(0x3001, Answer{0, 0, Bytes(10, 0x09)});
    board.queue(0x100B, Answer{0, 0, Bytes{0x01, 0x02}});
    const Identified id = identify(board);
    ASSERT_EQ(id.rc, 0);
    EXPECT_EQ(id.info.deviceType, 0u);
}

TEST(Identification, ModelDocument) {
    BoardState board;
    board.deviceType = 0x09;
    FakeBoard port(board);
    kqDevMid00 model;
    ASSERT_EQ(model.analyzeFlash(&port, 2), 0);
    Json::Value doc;
    model.toGetDevJson(doc);
    EXPECT_EQ(doc.size(), 21u);
    EXPECT_EQ(doc["vid"].asInt(), 0);
    EXPECT_EQ(doc["pid"].asInt(), 0);
    EXPECT_EQ(doc["index"].asInt(), 2);
    EXPECT_TRUE(doc["handle"].asBool());
    EXPECT_TRUE(doc["connected"].asBool());
    EXPECT_EQ(doc["deviceType"].asInt(), 9);
    EXPECT_EQ(doc["MarkValue"].asInt(), 7);
    EXPECT_FALSE(doc.isMember("path"));
    Json::Value old;
    EXPECT_EQ(model.toGetDevJsonOld(old), 0);
    EXPECT_EQ(old, doc);
    EXPECT_EQ(model.packageNum(), 2);

    // A failed analysis leaves the document empty.
    board.block[0] ^= 1;
    EXPECT_EQ(model.analyzeFlash(&port, 2), kBadInfoChecksum);
    model.toGetDevJson(doc);
    EXPECT_TRUE(doc.isNull());

    EXPECT_EQ(model.analyzeFlash(std::string(400, 'p').c_str()), -1);
    EXPECT_EQ(std::strlen(model.info().path), 254u);
}

TEST(Identification, ReadConfigDataIsBoundedByTheCallersBuffer) {
    BoardState board;
    FakeBoard port(board);
    kqDevMid00 model;
    ASSERT_EQ(model.analyzeFlash(&port, 0), 0);
    board.sent.clear();
    unsigned char out[16];
    int outLen = sizeof(out);
    EXPECT_EQ(model.readConfigData(out, &outLen), 0);
    EXPECT_EQ(outLen, 16);
    EXPECT_EQ(out[4], 0x12);
    ASSERT_EQ(board.sent.size(), 1u);
    EXPECT_EQ(board.sent[0].command, 0x1008);
    EXPECT_TRUE(board.sent[0].data.empty());
}

}  // namespace
