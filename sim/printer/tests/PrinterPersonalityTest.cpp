// The simulated printer's frames, start-up settings and physical model.
#include <gtest/gtest.h>

#include "printer/PrinterConfig.h"
#include "printer/PrinterFrames.h"
#include "printer/PrinterModel.h"

namespace ksim::printer {
namespace {

Bytes hostPacket(const Bytes& frame, size_t from) {
    Bytes p = {kHostMarker};
    for (size_t i = from; i < frame.size() && i < from + 63; ++i) p.push_back(frame[i]);
    p.resize(kPacket, 0);
    return p;
}

HostFrameAssembler::Result feedAll(HostFrameAssembler& a, const Bytes& frame) {
    HostFrameAssembler::Result r;
    for (size_t at = 0; at < frame.size(); at += 63) {
        const Bytes p = hostPacket(frame, at);
        r = a.feed(p.data() + 1, p.size() - 1);
    }
    return r;
}

TEST(SimPrinterFrames, CrcAndFrameBytes) {
    const uint8_t digits[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    EXPECT_EQ(0x31C3, crc16(digits, 9));
    EXPECT_EQ((Bytes{0x10, 0x02, 0x01, 0, 0, 0, 0x55, 0, 0, 0, 0x10, 0x03, 0x23, 0xF8}),
              buildFrame({0x55}, 0));
}

TEST(SimPrinterFrames, AssemblesAcrossPacketsAndRejectsBadFrames) {
    Bytes payload(200);
    for (size_t i = 0; i < payload.size(); ++i) payload[i] = static_cast<uint8_t>(i);
    HostFrameAssembler a;
    auto r = feedAll(a, buildFrame(payload, 0x123456));
    ASSERT_EQ(HostFrameAssembler::Result::Kind::Frame, r.kind) << r.error;
    EXPECT_EQ(payload, r.frame.payload);
    EXPECT_EQ(0x123456u, r.frame.sequence);
    EXPECT_TRUE(a.idle());

    Bytes badCrc = buildFrame(payload, 1);
    badCrc.back() ^= 1;
    Bytes badTrailer = buildFrame({1, 2, 3}, 1);
    badTrailer[badTrailer.size() - 3] = 0x04;
    Bytes tooLong = buildFrame({1}, 0);
    tooLong[5] = 0x01;  // 16 MiB announced
    struct Case {
        const char* name;
        Bytes frame;
    } cases[] = {{"bad CRC", badCrc},
                 {"bad trailer", badTrailer},
                 {"over the limit", tooLong},
                 {"no DLE STX", {0x10, 0x03, 1, 0, 0, 0}}};
    for (const auto& c : cases) {
        HostFrameAssembler b;
        EXPECT_EQ(HostFrameAssembler::Result::Kind::Error, feedAll(b, c.frame).kind) << c.name;
        EXPECT_TRUE(b.idle()) << c.name;
    }
}

TEST(SimPrinterConfig, OptionTexts) {
    auto c = parsePrinterConfig("A1,fw=V2.0,busy=3,params=01 02,card", nullptr);
    ASSERT_TRUE(c);
    EXPECT_EQ("A1", c->identity);
    EXPECT_EQ("V2.0", c->firmware);
    EXPECT_EQ(3, c->busy);
    ASSERT_EQ(31u, c->params.size());
    EXPECT_EQ(2, c->params[1]);
    EXPECT_EQ(0, c->params[30]);
    EXPECT_TRUE(c->card);
    EXPECT_TRUE(PrinterModel(*c).cardInside());
    for (const char* bad : {"", "ABCDEFGHIJKLM", "A1,fw=ABCDEFGHIJK", "A1,busy=x", "A1,colour=red",
                            "A1,card=1", "A1,params=zz"}) {
        std::string error;
        EXPECT_FALSE(parsePrinterConfig(bad, &error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}

Bytes printData(const Bytes& image) {
    Bytes d(kImageLead, 0);
    for (uint8_t b : image) d.push_back(static_cast<uint8_t>(~b));
    return d;
}

TEST(SimPrinterModel, PrintSetsDotsAndEraseClearsTheRectangleOnly) {
    PrinterModel m(PrinterConfig{});
    Bytes full(kImageBytes, 0xFF);
    EXPECT_EQ(1, m.handle(0x59, printData(full)).status) << "no card";
    EXPECT_EQ(0, m.handle(0x55, {0}).status);
    EXPECT_TRUE(m.cardInside());
    ASSERT_EQ(0, m.handle(0x59, printData(full)).status);
    EXPECT_EQ(full, m.card());

    // Rows 2 to 3, dots 8 to 15: one byte in each of two rows.
    const Bytes rect = {0x01, 0x01, 8, 0, 15, 0, 2, 0, 3, 0};
    ASSERT_EQ(0, m.handle(0x54, rect).status);
    for (int row = 0; row < kRows; ++row) {
        for (int i = 0; i < kRowBytes; ++i) {
            const bool erased = (row == 2 || row == 3) && i == 1;
            ASSERT_EQ(erased ? 0x00 : 0xFF, m.card()[static_cast<size_t>(row * kRowBytes + i)])
                << row << "," << i;
        }
    }
    const Json::Value d = m.describe();
    EXPECT_EQ(1, d["total_prints"].asInt());
    EXPECT_EQ(2, d["last_erase"]["x0"].asInt());
    EXPECT_EQ(15, d["last_erase"]["y1"].asInt());

    ASSERT_EQ(0, m.handle(0x54, {0x00, 0x01}).status) << "whole card";
    EXPECT_EQ(Bytes(kImageBytes, 0), m.card());
    EXPECT_EQ(1, m.handle(0x59, Bytes(100, 0)).status) << "a short image is refused";
}

TEST(SimPrinterModel, SelfCheckParametersAndCardOut) {
    PrinterConfig config;
    config.params[29] = 7;
    config.params[30] = 1;
    PrinterModel m(config);
    Bytes set(29, 0);
    set[0] = 2;
    set[28] = 9;
    m.handle(0x51, set);
    const Answer p = m.handle(0x53, {});
    EXPECT_EQ(2, p.data[0]);
    EXPECT_EQ(9, p.data[28]);
    EXPECT_EQ(7, p.data[29]) << "bytes 29 and 30 are not part of the setting";
    EXPECT_EQ(1, p.data[30]);

    EXPECT_EQ(1, m.handle(0x56, {1}).status) << "no card to put out";
    m.handle(0x55, {0});
    EXPECT_EQ(1, m.handle(0x57, {}).data[1]);
    EXPECT_EQ(0, m.handle(0x56, {1}).status);
    EXPECT_EQ(0, m.handle(0x57, {}).data[1]);
}

TEST(SimPrinterModel, FirmwareDownloadNeedsUnprotectedFlash) {
    PrinterModel m(PrinterConfig{});
    EXPECT_EQ(0x55, m.handle(0x60, {0x63}).data[1]);
    EXPECT_EQ(0xFF, m.handle(0x60, {0xEA, 0x5A, 0, 1, 2, 3}).data[1]);
    EXPECT_EQ(0xAA, m.handle(0x60, {0x64, 0xAA}).data[1]);
    EXPECT_EQ(0xED, m.handle(0x60, {0xED}).data[0]);
    Bytes package = {0xEA, 0x55, 1};
    package.resize(3 + 40, 0x33);
    const Answer a = m.handle(0x60, package);
    EXPECT_TRUE(a.iap);
    EXPECT_EQ(0xEA, a.data[0]);
    EXPECT_EQ(40u, m.describe()["firmware_bytes"].asUInt());
}

}  // namespace
}  // namespace ksim::printer
