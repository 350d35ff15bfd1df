#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "link/SerialReceiver.h"

namespace {

using Bytes = std::vector<unsigned char>;

// A line that delivers its bytes in order; a read beyond them fails like a timeout.
struct ScriptedLine {
    std::deque<unsigned char> bytes;
    std::vector<std::string> traces;

    devlink::SerialReceiver receiver() {
        return devlink::SerialReceiver(
            [this](unsigned char* buf, int n, int) {
                if (static_cast<int>(bytes.size()) < n) return -1;
                for (int i = 0; i < n; ++i) {
                    buf[i] = bytes.front();
                    bytes.pop_front();
                }
                return 0;
            },
            [this](const char* msg, const char*, const unsigned char* data, int len) {
                std::string line = msg;
                char hex[4];
                for (int i = 0; i < len; ++i) {
                    std::snprintf(hex, sizeof(hex), " %02X", data[i]);
                    line += hex;
                }
                traces.push_back(line);
            });
    }
};

struct Case {
    const char* what;
    Bytes wire;
    int result;
    Bytes frame;
};

TEST(SerialReceive, Cases) {
    const Case cases[] = {
        {"plain frame",
         {0xAA, 0xBB, 0x06, 0x00, 0x01, 0x00, 0x04, 0x01, 0x00, 0x04},
         0,
         {0xAA, 0xBB, 0x06, 0x00, 0x01, 0x00, 0x04, 0x01, 0x00, 0x04}},
        {"junk before the header",
         {0x11, 0x22, 0xAA, 0xBB, 0x06, 0x00, 1, 0, 4, 1, 0, 4},
         0,
         {0xAA, 0xBB, 0x06, 0x00, 1, 0, 4, 1, 0, 4}},
        {"AA 00 in the body loses the 00",
         {0xAA, 0xBB, 0x07, 0x00, 0xAA, 0x00, 0x00, 0x04, 0x01, 0x00, 0x10, 0xBF},
         0,
         {0xAA, 0xBB, 0x07, 0x00, 0xAA, 0x00, 0x04, 0x01, 0x00, 0x10, 0xBF}},
        {"AA 00 as the length is not stuffing", {0xAA, 0xBB, 0xAA, 0x00, 0x01}, 8, {}},
        {"AA followed by 55 in the body",
         {0xAA, 0xBB, 0x06, 0x00, 0xAA, 0x55, 0, 4, 1, 0, 4},
         9,
         {}},
        {"AA not followed by BB is forgotten",
         {0xAA, 0x01, 0xAA, 0xBB, 0x06, 0x00, 1, 0, 4, 1, 0, 4},
         0,
         {0xAA, 0xBB, 0x06, 0x00, 1, 0, 4, 1, 0, 4}},
        {"check byte AA ends the frame",
         {0xAA, 0xBB, 0x06, 0x00, 1, 0, 4, 1, 0xAE, 0xAA},
         0,
         {0xAA, 0xBB, 0x06, 0x00, 1, 0, 4, 1, 0xAE, 0xAA}},
        {"zero length", {0xAA, 0xBB, 0x00, 0x00}, 0, {0xAA, 0xBB, 0x00, 0x00}},
        {"nothing at all", {}, 2, {}},
        {"nothing after AA", {0xAA}, 4, {}},
        {"one length byte only", {0xAA, 0xBB, 0x06}, 2, {}},
        {"body cut short", {0xAA, 0xBB, 0x06, 0x00, 1, 0, 4}, 8, {}},
        {"length beyond the receive buffer", {0xAA, 0xBB, 0xFF, 0xFF, 1, 2, 3}, 9, {}},
    };
    for (const Case& c : cases) {
        ScriptedLine line;
        line.bytes.assign(c.wire.begin(), c.wire.end());
        auto receiver = line.receiver();
        unsigned char out[devlink::kSerialFrameCapacity];
        int len = -1;
        EXPECT_EQ(receiver.receive(out, &len, 100), c.result) << c.what;
        if (c.result == 0) {
            EXPECT_EQ(Bytes(out, out + len), c.frame) << c.what;
        }
    }
}

TEST(SerialReceive, JunkIsTracedAsDirtyData) {
    ScriptedLine line;
    line.bytes = {0x11, 0x22, 0xAA, 0xBB, 0x06, 0x00, 1, 0, 4, 1, 0, 4};
    auto receiver = line.receiver();
    unsigned char out[devlink::kSerialFrameCapacity];
    int len = 0;
    ASSERT_EQ(receiver.receive(out, &len, 100), 0);
    ASSERT_FALSE(line.traces.empty());
    EXPECT_EQ(line.traces.front(), "       [DIRTY DATA]:loggerPackage: 11 22");
    EXPECT_EQ(line.traces.back(), "[    R] AA BB 06 00 01 00 04 01 00 04");
}

TEST(SerialReceive, ALineOfJunkFillsTheLogAndGives3) {
    ScriptedLine line;
    line.bytes.assign(1100, 0x33);
    auto receiver = line.receiver();
    unsigned char out[devlink::kSerialFrameCapacity];
    int len = 0;
    EXPECT_EQ(receiver.receive(out, &len, 100), 3);
    EXPECT_EQ(line.bytes.size(), 1100u - 1024u);
}

TEST(SerialReceive, LongFrameIsReadInChunksWithStuffingAcrossThem) {
    // 1,500 data bytes of 0xAA: every one stuffed, so stuffing zeros straddle read chunks.
    Bytes wire = {0xAA, 0xBB};
    const int length = 1500 + 6;
    wire.push_back(length & 0xFF);
    wire.push_back(length >> 8);
    Bytes frame = wire;
    for (int i = 0; i < length - 1; ++i) {
        wire.push_back(0xAA);
        wire.push_back(0x00);
        frame.push_back(0xAA);
    }
    wire.push_back(0x01);
    frame.push_back(0x01);
    ScriptedLine line;
    line.bytes.assign(wire.begin(), wire.end());
    auto receiver = line.receiver();
    unsigned char out[devlink::kSerialFrameCapacity];
    int len = 0;
    ASSERT_EQ(receiver.receive(out, &len, 100), 0);
    EXPECT_EQ(Bytes(out, out + len), frame);
    EXPECT_TRUE(line.bytes.empty());
}

}  // namespace
