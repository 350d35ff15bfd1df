// Exchanges through Device over an in-memory board: reply matching, result
// codes and the card status word.
#include <gtest/gtest.h>

#include <string>

#include "link/include/devlink.h"
#include "link/tests/FakeBoard.h"

namespace {

using linktest::answerWith;
using linktest::Bytes;
using linktest::FakeBoard;
using linktest::replyFrame;
using linktest::Request;

int exchange(FakeBoard& board, uint16_t cmd, const Bytes& data, Bytes* reply = nullptr,
             short package = 0x11, int timeout = 300) {
    char replyData[3499];
    int replyLen = -1;
    Bytes copy = data;
    const int rc = send_command_wait_ack(
        &board, package, static_cast<short>(cmd), 0, reinterpret_cast<char*>(copy.data()),
        static_cast<int>(copy.size()), nullptr, replyData, &replyLen, timeout);
    if (reply != nullptr) reply->assign(replyData, replyData + (replyLen > 0 ? replyLen : 0));
    return rc;
}

TEST(Exchange, ResultCodes) {
    struct Case {
        const char* what;
        FakeBoard::Responder responder;
        int want;
    } cases[] = {
        {"state 0 reply", answerWith({0x01}), 0},
        {"state 0x85 comes back as a signed state", answerWith({}, 0x85), -123},
        {"state 0x05", answerWith({}, 0x05), 5},
        {"no reply", nullptr, 230},
        {"wrong check byte",
         [](const Request& r) {
             return std::vector<Bytes>{replyFrame(r.packageNum, r.cmdCode, 0, {0x01}, 0x20)};
         },
         236},
        {"reply of four bytes",
         [](const Request&) {
             return std::vector<Bytes>{{0xAA, 0xBB, 0x06, 0x00}};
         },
         230},
        {"length field beyond the bytes received",
         [](const Request& r) {
             Bytes f = replyFrame(r.packageNum, r.cmdCode, 0, {0x01});
             f[2] = 0x30;
             return std::vector<Bytes>{f};
         },
         236},
    };
    for (const Case& c : cases) {
        FakeBoard board(c.responder);
        EXPECT_EQ(exchange(board, 0x0104, {0x01}), c.want) << c.what;
    }
}

TEST(Exchange, MismatchedRepliesAreSkippedEachWithAFreshTimeout) {
    FakeBoard board([](const Request& r) {
        return std::vector<Bytes>{
            replyFrame(r.packageNum + 1, r.cmdCode, 0, {0xEE}),  // stale package number
            replyFrame(r.packageNum, r.cmdCode + 1, 0, {0xDD}),  // another command
            replyFrame(r.packageNum, r.cmdCode, 0, {0x42, 0x43}),
        };
    });
    Bytes reply;
    EXPECT_EQ(exchange(board, 0x0104, {}, &reply, 0x11, 700), 0);
    EXPECT_EQ(reply, (Bytes{0x42, 0x43}));
    EXPECT_EQ(board.readTimeouts, (std::vector<int>{700, 700, 700}));
}

TEST(Exchange, SkippingEndsAtTheFirstFailedRead) {
    FakeBoard board([](const Request& r) {
        return std::vector<Bytes>{replyFrame(r.packageNum + 1, r.cmdCode, 0, {})};
    });
    EXPECT_EQ(exchange(board, 0x0104, {}), 230);
    EXPECT_EQ(board.readTimeouts.size(), 2u);
}

TEST(Exchange, PackageNumberCarriesTheAddressByteAndTheLowByteOfTheCaller) {
    FakeBoard board(answerWith({}));
    board.mDevAddress = 0x05;
    ASSERT_EQ(exchange(board, 0x0104, {}, nullptr, 0x1234), 0);
    EXPECT_EQ(board.requests.at(0).packageNum, 0x0534);
}

TEST(Exchange, ReplyPackageNumberIsReportedWhenAsked) {
    FakeBoard board(answerWith({}));
    char replyData[64];
    int replyLen = 0;
    short replyPackage = 0;
    ASSERT_EQ(send_command_wait_ack(&board, 7, 0x0104, 0, nullptr, 0, &replyPackage, replyData,
                                    &replyLen, 100),
              0);
    EXPECT_EQ(replyPackage, 7);
}

TEST(Exchange, OversizedRequestIsRefusedWithoutWriting) {
    FakeBoard board(answerWith({}));
    EXPECT_EQ(exchange(board, 0x0104, Bytes(266, 0xAA)), 232);
    EXPECT_TRUE(board.writes.empty());
    EXPECT_EQ(exchange(board, 0x0104, Bytes(263, 0xAA)), 0);
}

TEST(Exchange, WriteFailureGives232) {
    FakeBoard board(answerWith({}));
    board.writeResult = -1;
    EXPECT_EQ(exchange(board, 0x0104, {}), 232);
}

TEST(Exchange, CardStatusWordIsPrintedOnlyWhenItIsAnError) {
    struct Case {
        uint16_t cmd;
        Bytes data;
        const char* printed;  // null: no card text
    } cases[] = {
        {0x0211, {0x00, 0x6A, 0x82}, "卡返回:27266(0x6A82)"},
        {0x0311, {0x6A, 0x82}, "卡返回:27266(0x6A82)"},
        {0x0211, {0x61, 0x10}, nullptr},
        {0x0211, {0x90, 0x00}, nullptr},
        {0x0211, {0x6A}, nullptr},  // too short for a status word: no read before the data
        {0x0211, {}, nullptr},
        {0x0104, {0x6A, 0x82}, nullptr},
    };
    for (const Case& c : cases) {
        FakeBoard board(answerWith(c.data));
        testing::internal::CaptureStdout();
        const int rc = exchange(board, c.cmd, {});
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(rc, 0);
        if (c.printed != nullptr) {
            EXPECT_NE(out.find(c.printed), std::string::npos) << out;
        } else {
            EXPECT_EQ(out.find("卡返回"), std::string::npos) << out;
        }
    }
}

TEST(Exchange, FirmwareStateTextShowsTheSignExtendedByte) {
    FakeBoard board(answerWith({}, 0x85));
    testing::internal::CaptureStdout();
    exchange(board, 0x0104, {});
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("固件返回:65413(0xFF85)"), std::string::npos) << out;
}

TEST(RawFunctions, NullHandlesAreRefused) {
    char buffer[16];
    int len = 0;
    unsigned char byte = 0;
    EXPECT_EQ(send_command_wait_ack(nullptr, 1, 0x0104, 0, nullptr, 0, nullptr, buffer, &len, 10),
              232);
    EXPECT_EQ(raw_write(nullptr, &byte, 1), -1);
    EXPECT_EQ(raw_read(nullptr, &byte, &len, 10), 1);
    EXPECT_EQ(run_script(nullptr, buffer, buffer, sizeof(buffer), 0), 974850);
    EXPECT_EQ(open_device_by_path("100", nullptr), -1);
    close_device(nullptr);
}

TEST(RawFunctions, ExchangeWithoutReplyBuffersStillRuns) {
    FakeBoard board(answerWith({0x01, 0x02}));
    EXPECT_EQ(
        send_command_wait_ack(&board, 1, 0x0104, 0, nullptr, 0, nullptr, nullptr, nullptr, 50), 0);
    EXPECT_EQ(board.requests.size(), 1u);
}

TEST(RawFunctions, RawWriteAndReadPassWholeFrames) {
    FakeBoard board;
    unsigned char frame[] = {0xAA, 0xBB, 0x05, 0x00, 0x01, 0x00, 0x04, 0x01, 0x04};
    EXPECT_EQ(raw_write(&board, frame, sizeof(frame)), 0);
    EXPECT_EQ(board.writes.at(0), Bytes(frame, frame + sizeof(frame)));
    board.pending.push_back(replyFrame(1, 0x0104, 0, {0x09}));
    unsigned char in[3499];
    int len = 0;
    EXPECT_EQ(raw_read(&board, in, &len, 50), 0);
    EXPECT_EQ(len, 11);
}

TEST(RawFunctions, SelectorsThatNameNoPortFail) {
    for (const char* selector : {"300", "400", "99999999999999999999", "ttyNoSuchLine", "", "3"}) {
        Device* handle = nullptr;
        EXPECT_EQ(open_device_by_path(selector, &handle), -1) << selector;
        EXPECT_EQ(handle, nullptr);
    }
}

}  // namespace
