#include <gtest/gtest.h>

#include "board/Frame.h"

namespace ksim::board {
namespace {

Bytes hex(const char* text) {
    return *parseHex(text);
}

TEST(DecodeRequest, AcceptsWhatTheHostSends) {
    struct Case {
        const char* wire;
        uint16_t package, command;
        const char* data;
    } cases[] = {
        {"AA BB 05 00 01 00 01 30 30", 0x0001, 0x3001, ""},
        {"AA BB 07 00 01 05 01 06 FF 01 FD", 0x0501, 0x0601, "FF 01"},
        // 0xAA in the package number, the command code and the data is stuffed; the length is not.
        {"AA BB 06 00 AA 00 00 AA 00 00 AA 00 AA", 0x00AA, 0x00AA, "AA"},
        // A check byte of 0xAA is never stuffed.
        {"AA BB 05 00 AB 01 00 00 AA", 0x01AB, 0x0000, ""},
    };
    for (const auto& c : cases) {
        auto r = decodeRequest(hex(c.wire));
        ASSERT_TRUE(r.request) << c.wire << ": " << r.error;
        EXPECT_EQ(r.request->package, c.package) << c.wire;
        EXPECT_EQ(r.request->command, c.command) << c.wire;
        EXPECT_EQ(r.request->data, hex(c.data)) << c.wire;
    }
}

TEST(DecodeRequest, RejectsWhatTheHostMustNotSend) {
    struct Case {
        const char* wire;
        const char* why;
    } cases[] = {
        {"AA BB 05 00 01 00 01 30", "shorter than 9"},
        {"AA BC 05 00 01 00 01 30 30", "not AA BB"},
        {"AA BB 04 00 01 00 01 30 30", "below 5"},
        {"AA BB 06 00 AA 00 00 AA 55 00 00", "not followed by 00"},
        {"AA BB 05 00 01 00 01 30 31", "check byte 31, expected 30"},
        {"AA BB 05 00 01 00 01 30 30 00", "after the check byte"},
        {"AA BB 09 00 01 00 01 30 30", "length field announces"},
    };
    for (const auto& c : cases) {
        auto r = decodeRequest(hex(c.wire));
        EXPECT_FALSE(r.request) << c.wire;
        EXPECT_NE(r.error.find(c.why), std::string::npos) << c.wire << ": " << r.error;
    }
}

TEST(EncodeReply, StuffsBodyButNotHeaderLengthOrCheck) {
    // Length 0xAA (164 data bytes) stays unstuffed; the 0xAA data byte gets its 00.
    Reply r{0x0102, 0x0304, 0x00, Bytes(164, 0x11)};
    r.data[0] = 0xAA;
    Bytes wire = encodeReply(r);
    EXPECT_EQ(wire[2], 0xAA);
    EXPECT_EQ(wire[3], 0x00);
    EXPECT_EQ(wire[9], 0xAA);
    EXPECT_EQ(wire[10], 0x00);
    EXPECT_EQ(wire.size(), 4u + 170u + 1u);
    uint8_t x = 0;
    for (size_t i = 4; i < wire.size(); ++i) x ^= wire[i];  // stuffing zeros change nothing
    EXPECT_EQ(x, 0);
}

TEST(EncodeReply, DamageForFaults) {
    Reply r{0x0001, 0x0211, 0x00, hex("AA 90 00")};
    Bytes sound = encodeReply(r);
    EXPECT_EQ(sound, hex("AA BB 09 00 01 00 11 02 00 AA 00 90 00 28"));

    ReplyDamage check;
    check.wrongCheck = true;
    EXPECT_EQ(encodeReply(r, check).back(), static_cast<uint8_t>(~sound.back()));

    ReplyDamage length;
    length.lengthField = 3;
    EXPECT_EQ(encodeReply(r, length)[2], 3);

    ReplyDamage stuffing;
    stuffing.stuffingByte = 0x55;
    EXPECT_EQ(encodeReply(r, stuffing), hex("AA BB 09 00 01 00 11 02 00 AA 55 90 00 28"));
    // Without any 0xAA in the body, a badly stuffed pair goes in front of the check byte.
    Reply plain{0x0001, 0x1002, 0x00, {}};
    EXPECT_EQ(encodeReply(plain, stuffing), hex("AA BB 06 00 01 00 02 10 00 AA 55 13"));
}

TEST(EncodeRequest, RoundTripsThroughTheDecoder) {
    for (uint8_t fill : {0x00, 0xAA, 0x5A}) {
        Request in{static_cast<uint16_t>(0xAA00 | fill), 0x10AA, Bytes(263, fill)};
        auto out = decodeRequest(encodeRequest(in));
        ASSERT_TRUE(out.request) << out.error;
        EXPECT_EQ(out.request->package, in.package);
        EXPECT_EQ(out.request->command, in.command);
        EXPECT_EQ(out.request->data, in.data);
    }
}

}  // namespace
}  // namespace ksim::board
