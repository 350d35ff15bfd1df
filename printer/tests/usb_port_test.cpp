// Frames, packets and the reply checks of the printer's USB transport.
#include <gtest/gtest.h>

#include "FakePort.h"
#include "LinkCodes.h"

using ecptest::Bytes;
using ecptest::FakePort;

TEST(EcpUsbPortWrite, OneBytePayloadFrameByteForByte) {
    FakePort port;
    unsigned char payload[] = {0x55};
    ASSERT_EQ(0, port.WriteBuffer(payload, 1));
    ASSERT_EQ(1u, port.bulkPackets.size());
    const Bytes& p = port.bulkPackets[0];
    ASSERT_EQ(64u, p.size());
    const Bytes want = {0xD1, 0x10, 0x02, 0x01, 0x00, 0x00, 0x00, 0x55,
                        0x00, 0x00, 0x00, 0x10, 0x03, 0x23, 0xF8};
    EXPECT_EQ(want, Bytes(p.begin(), p.begin() + 15));
    EXPECT_EQ(0u, port.sequence()) << "writing does not advance the sequence";
}

TEST(EcpUsbPortWrite, PacketCountsAndLimit) {
    struct Case {
        int payload;
        size_t packets;
    } cases[] = {{0, 1}, {50, 1}, {51, 2}, {113, 2}, {114, 3}, {79354, 1260}, {79424, 1261}};
    for (const auto& c : cases) {
        FakePort port;
        Bytes payload(static_cast<size_t>(c.payload), 0xA5);
        ASSERT_EQ(0, port.WriteBuffer(payload.data(), c.payload)) << c.payload;
        EXPECT_EQ(c.packets, port.bulkPackets.size()) << c.payload;
        ASSERT_EQ(1u, port.requests.size()) << c.payload;
        EXPECT_EQ(payload, port.requests[0].payload);
        for (const auto& p : port.bulkPackets) EXPECT_EQ(0xD1, p[0]);
    }
    FakePort port;
    Bytes tooLong(79425, 0);
    EXPECT_EQ(ecp::kFrameTooLong, port.WriteBuffer(tooLong.data(), 79425));
    EXPECT_TRUE(port.bulkPackets.empty());
}

TEST(EcpUsbPortWrite, StopsAtFirstFailedTransfer) {
    FakePort port;
    port.writeFailures = 1;
    Bytes payload(100, 1);
    EXPECT_EQ(LIBUSB_ERROR_NO_DEVICE, port.WriteBuffer(payload.data(), 100));
    EXPECT_TRUE(port.bulkPackets.empty());
}

TEST(EcpUsbPortWrite, SequenceUsesLow24Bits) {
    FakePort port;
    port.setSequence(0x01ABCDEF);
    unsigned char payload[] = {0x00};
    ASSERT_EQ(0, port.WriteBuffer(payload, 1));
    EXPECT_EQ(0xABCDEFu, port.requests[0].seq);
}

namespace {
Bytes goodReply(unsigned seq, Bytes payload = {0x57, 1, 2, 3}) {
    return ecptest::printerPacket(ecptest::frame(payload, seq));
}
}  // namespace

TEST(EcpUsbPortRead, GoodReplyCopiesPayloadAndAdvancesSequence) {
    FakePort port;
    port.setSequence(41);
    port.queue(goodReply(41));
    unsigned char out[64] = {};
    int len = 0;
    ASSERT_EQ(0, port.ReadBuffer(out, &len, 100));
    EXPECT_EQ(4, len);
    EXPECT_EQ(0x57, out[0]);
    EXPECT_EQ(3, out[3]);
    EXPECT_EQ(42u, port.sequence());
}

TEST(EcpUsbPortRead, AcknowledgesAreFollowedByEnquiries) {
    FakePort port;
    port.setSequence(0x030201);
    port.queue(ecptest::ackPacket());
    port.queue(ecptest::ackPacket());
    port.queue(goodReply(0x030201));
    unsigned char out[64];
    int len = 0;
    ASSERT_EQ(0, port.ReadBuffer(out, &len, 100));
    ASSERT_EQ(2u, port.enquiries.size());
    for (const auto& e : port.enquiries) {
        ASSERT_EQ(64u, e.size());
        EXPECT_EQ((Bytes{0xD1, 0x10, 0x05, 0x01, 0x02, 0x03}), Bytes(e.begin(), e.begin() + 6));
    }
}

TEST(EcpUsbPortRead, MalformedRepliesAndTheirCodes) {
    auto withFrame = [](Bytes f, int size = 64) { return ecptest::printerPacket(f, size); };
    Bytes good = ecptest::frame({0x57, 1, 2}, 0);
    Bytes badCrc = good;
    badCrc.back() ^= 0xFF;
    Bytes badTrailer = good;
    badTrailer[good.size() - 3] = 0x04;
    Bytes hugeLength = good;
    hugeLength[2] = 0xF5, hugeLength[3] = 0xFF, hugeLength[4] = 0xFF, hugeLength[5] = 0xFF;
    Bytes wrongMarker = withFrame(good);
    wrongMarker[0] = 0xD1;

    struct Case {
        const char* name;
        Bytes packet;
        int code;
        unsigned sequenceAfter;
    } cases[] = {
        {"wrong marker", wrongMarker, ecp::kMalformed, 0},
        {"no DLE", withFrame({0x11, 0x02, 3, 0, 0, 0}), ecp::kMalformed, 0},
        {"packet under 5 bytes", withFrame({0x10, 0x06}, 4), ecp::kMalformed, 0},
        {"unknown control", withFrame({0x10, 0x07}), ecp::kMalformed, 0},
        {"data frame in 5 bytes", withFrame({0x10, 0x02, 0, 0}, 5), ecp::kMalformed, 0},
        {"length cut off", withFrame({0x10, 0x02, 0, 0, 0}, 6), ecp::kFrameTooLong, 0},
        {"51-byte payload", withFrame(ecptest::frame(Bytes(51, 0x57), 0)), ecp::kFrameTooLong, 0},
        {"length wraps", withFrame(hugeLength), ecp::kFrameTooLong, 0},
        {"frame past packet end", withFrame(good, static_cast<int>(good.size())),
         ecp::kFrameTooLong, 0},
        {"sequence one lower", withFrame(ecptest::frame({0x57}, 0xFFFFFF)), ecp::kBadSequence, 0},
        {"wrong trailer", withFrame(badTrailer), ecp::kMalformed, 1},
        {"wrong CRC", withFrame(badCrc), ecp::kMalformed, 1},
        {"NAK", ecptest::nakPacket(), ecp::kRejected, 0},
    };
    for (const auto& c : cases) {
        FakePort port;
        port.queue(c.packet);
        unsigned char out[64];
        int len = -1;
        EXPECT_EQ(c.code, port.ReadBuffer(out, &len, 100)) << c.name;
        EXPECT_EQ(c.sequenceAfter, port.sequence()) << c.name;
        if (c.code == ecp::kFrameTooLong) {
            EXPECT_EQ(0, len) << c.name;
        }
    }
}

TEST(EcpUsbPortRead, FiftyBytePayloadFillsOnePacket) {
    FakePort port;
    Bytes payload(50, 0x33);
    port.queue(ecptest::printerPacket(ecptest::frame(payload, 0)));
    unsigned char out[64];
    int len = 0;
    ASSERT_EQ(0, port.ReadBuffer(out, &len, 100));
    EXPECT_EQ(50, len);
}

TEST(EcpUsbPortRead, ReadFailureIs230) {
    FakePort port;
    unsigned char out[64];
    int len = 0;
    EXPECT_EQ(ecp::kReadFailed, port.ReadBuffer(out, &len, 10));
}
