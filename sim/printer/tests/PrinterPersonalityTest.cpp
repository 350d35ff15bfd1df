// The simulated printer's frames, start-up settings and physical model.
#include <gtest/gtest.h>

#include "printer/PrinterConfig.h"
#include "printer/PrinterFrames.h"
#include "printer/PrinterModel.h"
#include "printer/RequestCheck.h"

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

// A request as the driver sends it: code, time stamp, data, then (not for 59) ten zeros.
Bytes request(uint8_t code, const Bytes& data, bool zeros = true,
              const Bytes& stamp = {0x20, 0x26, 0x12, 0x11, 0x15, 0x37, 0x25}) {
    Bytes p = {code};
    p.insert(p.end(), stamp.begin(), stamp.end());
    p.insert(p.end(), data.begin(), data.end());
    if (zeros) p.resize(p.size() + kTrailingZeros, 0);
    return p;
}

TEST(SimPrinterRequests, EachRequestIsCheckedAsThePrinterMust) {
    Bytes stray = request(0x55, Bytes(10, 0));
    stray.back() = 0x01;
    Bytes download = {0xEA, 0x5A, 0x01};
    download.resize(40, 0x33);
    struct Case {
        const char* what;
        Bytes payload;
        std::optional<uint8_t> status;  // nullopt: taken
        const char* why;
    } cases[] = {
        {"self-check", request(0x57, {}), std::nullopt, ""},
        {"erase", request(0x54, Bytes(33, 0)), std::nullopt, ""},
        {"card in", request(0x55, Bytes(10, 0)), std::nullopt, ""},
        {"stepper", request(0xA0, Bytes(8, 1)), std::nullopt, ""},
        {"image", request(0x59, Bytes(kImageLead + kImageBytes, 0xFF), false), std::nullopt, ""},
        {"IAP query", request(0x60, {0x62, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), std::nullopt, ""},
        {"IAP download", request(0x60, download), std::nullopt, ""},
        {"unknown command", request(0x7E, {}), kStatusUnknownCommand, "not in the printer's"},
        {"unknown IAP", request(0x60, Bytes(11, 0x42)), kStatusUnknownCommand, "sub-command 42"},
        {"erase padded short", request(0x54, Bytes(10, 0)), kStatusMalformed, "takes 33 data"},
        {"set parameters long", request(0x51, Bytes(31, 0)), kStatusMalformed, "takes 29 data"},
        {"no zeros", request(0x57, {}, false), kStatusMalformed, "got 0 bytes"},
        {"stray trailing byte", stray, kStatusMalformed, "not all zero"},
        {"image with zeros", request(0x59, Bytes(kImageLead + kImageBytes, 0)), kStatusMalformed,
         "takes 79346 data bytes, got"},
        {"IAP short", request(0x60, {0x62, 0, 0}), kStatusMalformed, "IAP 62 takes 11"},
        {"download without kind", request(0x60, {0xEA, 0x5A}), kStatusMalformed, "at least 3"},
        {"time not BCD", request(0x57, {}, true, {0x20, 0x26, 0x1A, 0x11, 0x15, 0x37, 0x25}),
         kStatusMalformed, "byte 3 (1A) is not BCD"},
        {"month 13", request(0x57, {}, true, {0x20, 0x26, 0x13, 0x11, 0x15, 0x37, 0x25}),
         kStatusMalformed, "month 13"},
        {"century 19", request(0x57, {}, true, {0x19, 0x99, 0x12, 0x11, 0x15, 0x37, 0x25}),
         kStatusMalformed, "century 19"},
        {"second 60", request(0x57, {}, true, {0x20, 0x26, 0x12, 0x11, 0x15, 0x37, 0x60}),
         kStatusMalformed, "second 60"},
        {"day 0", request(0x57, {}, true, {0x20, 0x26, 0x12, 0x00, 0x15, 0x37, 0x25}),
         kStatusMalformed, "day 0"},
    };
    for (const auto& c : cases) {
        const auto problem = checkRequest(c.payload);
        if (!c.status) {
            EXPECT_FALSE(problem) << c.what << ": " << problem->why;
            continue;
        }
        ASSERT_TRUE(problem) << c.what;
        EXPECT_EQ(problem->status, *c.status) << c.what;
        EXPECT_NE(problem->why.find(c.why), std::string::npos) << c.what << ": " << problem->why;
    }
}

}  // namespace
}  // namespace ksim::printer
