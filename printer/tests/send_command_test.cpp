// Request packets, attempts, the re-open rule and reply copying of the link class.
#include <gtest/gtest.h>

#include <cstring>

#include "FakePort.h"
#include "LinkCodes.h"
#include "kq_ecp_001.h"

using ecptest::Bytes;
using ecptest::FakePort;

namespace {
struct Link : kq_ecp_001 {};

int send(Link& link, FakePort& port, int form, short cmd, Bytes data, char* out, int* outLen,
         int copyLen, int retries = 3) {
    char* d = data.empty() ? nullptr : reinterpret_cast<char*>(data.data());
    const int len = static_cast<int>(data.size());
    switch (form) {
        case 59:
            return link.SendCommond59(&port, cmd, d, len, out, outLen, copyLen, 10, retries);
        case 60:
            return link.SendCommond60(&port, cmd, d, len, out, outLen, copyLen, 10, retries);
        default:
            return link.SendCommond(&port, cmd, d, len, out, outLen, copyLen, 10, retries);
    }
}
}  // namespace

TEST(EcpSendCommond, RequestPacketLayout) {
    struct Case {
        int form;
        size_t trailingZeros;
    } cases[] = {{0, 10}, {60, 10}, {59, 0}};
    for (const auto& c : cases) {
        Link link;
        FakePort port;
        port.answerAll();
        char out[10];
        int outLen = 0;
        ASSERT_EQ(0, send(link, port, c.form, 0x1A5, {9, 8, 7}, out, &outLen, 10)) << c.form;
        ASSERT_EQ(1u, port.requests.size());
        const Bytes& p = port.requests[0].payload;
        ASSERT_EQ(8 + 3 + c.trailingZeros, p.size()) << c.form;
        EXPECT_EQ(0xA5, p[0]) << "low byte of the command";
        EXPECT_EQ(0x20, p[1]) << "century in BCD";
        for (int i = 1; i < 8; ++i) EXPECT_LE(p[static_cast<size_t>(i)] & 0x0F, 9) << "BCD";
        EXPECT_EQ((Bytes{9, 8, 7}), Bytes(p.begin() + 8, p.begin() + 11));
        for (size_t i = 11; i < p.size(); ++i) EXPECT_EQ(0, p[i]);
    }
}

TEST(EcpSendCommond, NoAttemptsSendsNothingAndZeroesOutput) {
    Link link;
    FakePort port;
    port.setResponder([](const ecptest::Request& r) {
        return std::vector<Bytes>{ecptest::printerPacket(
            ecptest::frame(ecptest::replyPayload(r.code(), {}, 0, 77), r.seq))};
    });
    char out[4];
    int outLen = 0;
    ASSERT_EQ(0, send(link, port, 0, 0x57, {}, out, &outLen, 4));
    EXPECT_EQ(77, link.lastReplyWord());
    std::memset(out, 0x7F, sizeof out);
    EXPECT_EQ(0, send(link, port, 0, 0x57, {}, out, &outLen, 4, 0));
    EXPECT_EQ(1u, port.requests.size());
    EXPECT_EQ(0, link.lastReplyWord());
    for (char b : out) EXPECT_EQ(0, b);
}

TEST(EcpSendCommond, ReplyDataStatusAndWord) {
    Link link;
    FakePort port;
    port.setResponder([](const ecptest::Request& r) {
        const Bytes data = {0xA1, 0xA2, 0xA3};
        return std::vector<Bytes>{ecptest::printerPacket(
            ecptest::frame(ecptest::replyPayload(r.code(), data, 1, 0x04030201), r.seq))};
    });
    char out[3] = {};
    int outLen = 0;
    EXPECT_EQ(ecp::kPrinterFailed, send(link, port, 0, 0x57, {}, out, &outLen, 3));
    EXPECT_EQ(3, outLen);
    EXPECT_EQ(Bytes({0xA1, 0xA2, 0xA3}), Bytes(out, out + 3)) << "data copied despite status";
    EXPECT_EQ(0x04030201, link.lastReplyWord());

    // The IAP form reads from byte 7 and ignores the status byte.
    EXPECT_EQ(0, send(link, port, 60, 0x60, {0x62}, out, &outLen, 3));
    EXPECT_EQ(Bytes({0x00, 0xA1, 0xA2}), Bytes(out, out + 3));
}

TEST(EcpSendCommond, CopyStopsAtTheReplyEnd) {
    Link link;
    FakePort port;
    port.setResponder([](const ecptest::Request& r) {
        return std::vector<Bytes>{
            ecptest::printerPacket(ecptest::frame(ecptest::replyPayload(r.code(), {5, 6}), r.seq))};
    });
    char out[40];
    std::memset(out, 0x7F, sizeof out);
    int outLen = 0;
    ASSERT_EQ(0, send(link, port, 0, 0x53, {}, out, &outLen, 31));
    EXPECT_EQ(31, outLen);
    EXPECT_EQ(5, out[0]);
    EXPECT_EQ(6, out[1]);
    for (int i = 2; i < 31; ++i) EXPECT_EQ(0, out[i]) << i;
    EXPECT_EQ(0x7F, out[31]) << "nothing past copyLen";
}

TEST(EcpSendCommond, CommandMismatchIs225AndSequenceAdvanced) {
    Link link;
    FakePort port;
    port.setResponder([](const ecptest::Request& r) {
        return std::vector<Bytes>{
            ecptest::printerPacket(ecptest::frame(ecptest::replyPayload(0x99, {}), r.seq))};
    });
    char out[10];
    int outLen = -1;
    EXPECT_EQ(ecp::kRejected, send(link, port, 0, 0x57, {}, out, &outLen, 10, 1));
    EXPECT_EQ(1u, port.sequence());
    EXPECT_EQ(-1, outLen) << "outputs untouched on failure";
}

TEST(EcpSendCommond, EmptyReplyAnswersNoCommand) {
    Link link;
    FakePort port;
    port.setResponder([](const ecptest::Request& r) {
        return std::vector<Bytes>{ecptest::printerPacket(ecptest::frame({}, r.seq))};
    });
    char out[10];
    int outLen = 0;
    EXPECT_EQ(ecp::kRejected, send(link, port, 0, 0x00, {}, out, &outLen, 10, 1))
        << "an empty payload has no command byte, not even 0x00";
}

TEST(EcpSendCommond, SilentPrinterThreeAttemptsThen230) {
    Link link;
    FakePort port;
    char out[10];
    int outLen = 0;
    EXPECT_EQ(ecp::kReadFailed, send(link, port, 0, 0x57, {}, out, &outLen, 10));
    EXPECT_EQ(3u, port.requests.size());
    for (const auto& r : port.requests) EXPECT_EQ(0u, r.seq) << "the number is not used up";
}

TEST(EcpSendCommond, StaleReplyIs227UntilTheExpectedOneArrives) {
    Link link;
    FakePort port;
    port.setSequence(5);
    int call = 0;
    port.setResponder([&call](const ecptest::Request& r) {
        const unsigned seq = call++ == 0 ? r.seq - 1 : r.seq;
        return std::vector<Bytes>{
            ecptest::printerPacket(ecptest::frame(ecptest::replyPayload(r.code(), {}), seq))};
    });
    char out[10];
    int outLen = 0;
    EXPECT_EQ(ecp::kBadSequence, send(link, port, 0, 0x57, {}, out, &outLen, 10, 1));
    EXPECT_EQ(5u, port.sequence());
    EXPECT_EQ(0, send(link, port, 0, 0x57, {}, out, &outLen, 10, 1));
    EXPECT_EQ(5u, port.requests[1].seq);
    EXPECT_EQ(6u, port.sequence());
}

TEST(EcpSendCommond, WriteFailureReopensOncePerAttempt) {
    struct Case {
        int failures;
        int result;
        int reopens;
        size_t delivered;
    } cases[] = {
        {1, 0, 1, 1},                  // the repeated exchange succeeds
        {3, 0, 2, 1},                  // second attempt's repeat succeeds
        {6, ecp::kWriteFailed, 3, 0},  // every attempt and repeat fails
    };
    for (const auto& c : cases) {
        Link link;
        FakePort port;
        port.answerAll();
        port.writeFailures = c.failures;
        char out[10];
        int outLen = 0;
        EXPECT_EQ(c.result, send(link, port, 0, 0x57, {}, out, &outLen, 10)) << c.failures;
        EXPECT_EQ(c.reopens, port.reopenCount) << c.failures;
        EXPECT_EQ(c.reopens, port.closeCount) << c.failures;
        EXPECT_EQ(c.delivered, port.requests.size()) << c.failures;
    }
}

TEST(EcpSendCommond, OversizedPayloadIsNotWritten) {
    Link link;
    FakePort port;
    Bytes big(79425 - 8, 0);
    char out[10];
    int outLen = 0;
    EXPECT_EQ(ecp::kWriteFailed, send(link, port, 59, 0x59, big, out, &outLen, 10, 1));
    EXPECT_TRUE(port.bulkPackets.empty());
}

TEST(EcpSendCommond, NoPortIsAWriteFailure) {
    Link link;
    char out[10];
    int outLen = 0;
    EXPECT_EQ(ecp::kWriteFailed,
              link.SendCommond(nullptr, 0x57, nullptr, 0, out, &outLen, 10, 10, 3));
}
