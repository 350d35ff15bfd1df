#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "link/FrameCodec.h"

namespace {

using Bytes = std::vector<unsigned char>;
using devlink::ReplyStatus;

Bytes build(uint16_t package, uint16_t cmd, const Bytes& data) {
    Bytes frame(devlink::kRequestCapacity);
    const int n =
        devlink::buildRequestFrame(package, cmd, data.data(), static_cast<int>(data.size()),
                                   frame.data(), static_cast<int>(frame.size()));
    EXPECT_GT(n, 0);
    frame.resize(n > 0 ? n : 0);
    return frame;
}

struct RequestCase {
    const char* what;
    uint16_t package;
    uint16_t cmd;
    Bytes data;
    Bytes wire;
};

class RequestFrame : public testing::TestWithParam<RequestCase> {};

TEST_P(RequestFrame, IsBuiltAsOnTheWire) {
    const RequestCase& c = GetParam();
    EXPECT_EQ(build(c.package, c.cmd, c.data), c.wire) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RequestFrame,
    testing::Values(
        RequestCase{"no data: L = 5",
                    0x0001,
                    0x0104,
                    {},
                    {0xAA, 0xBB, 0x05, 0x00, 0x01, 0x00, 0x04, 0x01, 0x04}},
        RequestCase{"package low byte 0xAA is stuffed, length unchanged",
                    0x00AA,
                    0x0104,
                    {},
                    {0xAA, 0xBB, 0x05, 0x00, 0xAA, 0x00, 0x00, 0x04, 0x01, 0xAF}},
        RequestCase{"command 0x00AA is stuffed",
                    0x0001,
                    0x00AA,
                    {},
                    {0xAA, 0xBB, 0x05, 0x00, 0x01, 0x00, 0xAA, 0x00, 0x00, 0xAB}},
        RequestCase{"data 0xAA stuffed; the zero leaves the check byte alone",
                    0x0001,
                    0x0104,
                    {0xAA, 0x01},
                    {0xAA, 0xBB, 0x07, 0x00, 0x01, 0x00, 0x04, 0x01, 0xAA, 0x00, 0x01, 0xAF}},
        RequestCase{"check byte 0xAA is not stuffed",
                    0x0001,
                    0x0001,
                    {0xAA},
                    {0xAA, 0xBB, 0x06, 0x00, 0x01, 0x00, 0x01, 0x00, 0xAA, 0x00, 0xAA}},
        RequestCase{"address byte is the package high byte",
                    0x0507,
                    0x0601,
                    {0xFF, 0x01},
                    {0xAA, 0xBB, 0x07, 0x00, 0x07, 0x05, 0x01, 0x06, 0xFF, 0x01, 0xFB}}),
    [](const auto& info) {
        std::string name;
        bool upper = true;
        for (const char* p = info.param.what; *p; ++p) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (!isalnum(c)) {
                upper = true;
            } else {
                name += upper ? static_cast<char>(toupper(c)) : static_cast<char>(c);
                upper = false;
            }
        }
        return name;
    });

TEST(RequestFrameLimit, StuffedFrameMustFitTheBuffer) {
    unsigned char frame[devlink::kRequestCapacity];
    const Bytes plain(532, 0x11);
    EXPECT_EQ(devlink::buildRequestFrame(1, 1, plain.data(), 531, frame, sizeof(frame)), 540);
    EXPECT_EQ(devlink::buildRequestFrame(1, 1, plain.data(), 532, frame, sizeof(frame)), -1);
    const Bytes stuffed(266, 0xAA);
    EXPECT_EQ(devlink::buildRequestFrame(1, 1, stuffed.data(), 263, frame, sizeof(frame)), 535);
    // 266 stuffed bytes would need 541 bytes: refused, never written past the buffer.
    EXPECT_EQ(devlink::buildRequestFrame(1, 1, stuffed.data(), 266, frame, sizeof(frame)), -1);
    EXPECT_EQ(devlink::buildRequestFrame(1, 1, plain.data(), -1, frame, sizeof(frame)), -1);
}

Bytes reply(uint16_t package, uint16_t cmd, uint8_t state, const Bytes& data) {
    const int length = static_cast<int>(data.size()) + 6;
    Bytes f = {0xAA,
               0xBB,
               static_cast<unsigned char>(length),
               static_cast<unsigned char>(length >> 8),
               static_cast<unsigned char>(package),
               static_cast<unsigned char>(package >> 8),
               static_cast<unsigned char>(cmd),
               static_cast<unsigned char>(cmd >> 8),
               state};
    f.insert(f.end(), data.begin(), data.end());
    unsigned char check = 0;
    for (size_t i = 4; i < f.size(); ++i) check ^= f[i];
    f.push_back(check);
    return f;
}

TEST(ReplyParse, GoodReplyGivesHeaderAndData) {
    const Bytes f = reply(0x0503, 0x0104, 0x05, {0x01, 0x02, 0x03});
    devlink::ReplyView v;
    ASSERT_EQ(devlink::parseReply(f.data(), static_cast<int>(f.size()), v), ReplyStatus::Ok);
    EXPECT_EQ(v.packageNum, 0x0503);
    EXPECT_EQ(v.cmdCode, 0x0104);
    EXPECT_EQ(v.state, 0x05);
    EXPECT_EQ(Bytes(v.data, v.data + v.dataLen), (Bytes{0x01, 0x02, 0x03}));
}

TEST(ReplyParse, MalformedRepliesAreRejectedWithoutReadingPastThem) {
    Bytes good = reply(1, 0x0104, 0, {0x10, 0x20});
    Bytes badCheck = good;
    badCheck.back() ^= 0x40;
    Bytes lengthTooBig = good;
    lengthTooBig[2] = 0x40;
    Bytes lengthBelowSix = good;
    lengthBelowSix[2] = 0x05;
    Bytes truncated(good.begin(), good.end() - 1);
    struct Case {
        const char* what;
        Bytes frame;
        ReplyStatus want;
    } cases[] = {
        {"four bytes", {0xAA, 0xBB, 0x06, 0x00}, ReplyStatus::TooShort},
        {"bad check", badCheck, ReplyStatus::BadCheck},
        {"length beyond the bytes received", lengthTooBig, ReplyStatus::BadLength},
        {"length below 6", lengthBelowSix, ReplyStatus::BadLength},
        {"frame cut before its check byte", truncated, ReplyStatus::BadLength},
        {"five bytes", {0xAA, 0xBB, 0x06, 0x00, 0x01}, ReplyStatus::BadLength},
    };
    for (const Case& c : cases) {
        // Exactly sized heap copies let AddressSanitizer catch any read past the end.
        std::vector<unsigned char> exact(c.frame);
        devlink::ReplyView v;
        EXPECT_EQ(devlink::parseReply(exact.data(), static_cast<int>(exact.size()), v), c.want)
            << c.what;
    }
}

TEST(ReplyParse, BadCheckReportsTheCheckTheHostExpected) {
    Bytes f = reply(1, 0x0104, 0, {0x10});
    const unsigned char right = f.back();
    f.back() = 0x00;
    devlink::ReplyView v;
    ASSERT_EQ(devlink::parseReply(f.data(), static_cast<int>(f.size()), v), ReplyStatus::BadCheck);
    EXPECT_EQ(v.expectedCheck, right);
}

}  // namespace
