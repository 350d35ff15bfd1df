// Firmware update sub-commands: request bytes, echo checks and the download length rule.
#include <gtest/gtest.h>

#include <functional>

#include "FakePort.h"
#include "LinkCodes.h"
#include "kq_ecp_001.h"

using ecptest::Bytes;
using ecptest::FakePort;

namespace {
// Replies with the sub-command echoed (or `echo`) and `second` as reply byte 1.
void answerIap(FakePort& port, int echo = -1, std::uint8_t second = 0x55) {
    port.setResponder([echo, second](const ecptest::Request& r) {
        Bytes d(11, 0);
        const Bytes data = r.data();
        d[0] = echo >= 0 ? static_cast<std::uint8_t>(echo) : (data.empty() ? 0 : data[0]);
        d[1] = second;
        for (int i = 2; i < 11; ++i) d[size_t(i)] = static_cast<std::uint8_t>(0x30 + i);
        return std::vector<Bytes>{
            ecptest::printerPacket(ecptest::frame(ecptest::iapReplyPayload(d), r.seq))};
    });
}
}  // namespace

TEST(EcpIap, SubCommandBytes) {
    bool flag = false;
    unsigned size = 0;
    char version[11];
    struct Case {
        const char* name;
        std::function<int(kq_ecp_001&, UsbPort*)> call;
        Bytes data;
    } cases[] = {
        {"reset 0",
         [](auto& l, auto* p) { return l.Reset(p, 0, nullptr, nullptr, nullptr); },
         {0x61, 0x55}},
        {"reset 1",
         [](auto& l, auto* p) { return l.Reset(p, 1, nullptr, nullptr, nullptr); },
         {0x61, 0xAA}},
        {"bootloader",
         [&](auto& l, auto* p) {
             return l.IAP_GetBootloaderVer(p, nullptr, nullptr, nullptr, version);
         },
         {0x62}},
        {"protect status",
         [&](auto& l, auto* p) {
             return l.IAP_GetFlashProtectStatus(p, nullptr, nullptr, nullptr, &flag);
         },
         {0x63}},
        {"protect on",
         [](auto& l, auto* p) {
             return l.IAP_SetFlashProtectStatus(p, true, nullptr, nullptr, nullptr);
         },
         {0x64, 0x55}},
        {"buffer size",
         [&](auto& l, auto* p) { return l.IAP_GetBufferSize(p, nullptr, nullptr, nullptr, &size); },
         {0xFE}},
        {"erase flash",
         [](auto& l, auto* p) {
             return l.IAP_EraseFlash(p, 0x08004000, 0x0000C000, nullptr, nullptr, nullptr);
         },
         {0xED, 0x00, 0x40, 0x00, 0x08, 0x00, 0xC0, 0x00, 0x00}},
        {"start",
         [](auto& l, auto* p) { return l.IAP_StartProgram(p, nullptr, nullptr, nullptr); },
         {0x1D}},
    };
    for (const auto& c : cases) {
        kq_ecp_001 link;
        FakePort port;
        answerIap(port);
        ASSERT_EQ(0, c.call(link, &port)) << c.name;
        ASSERT_EQ(1u, port.requests.size());
        EXPECT_EQ(0x60, port.requests[0].code()) << c.name;
        Bytes want = c.data;
        want.resize(11, 0);
        EXPECT_EQ(want, port.requests[0].data()) << c.name;
    }
    EXPECT_TRUE(flag);
    EXPECT_EQ(0x34333255u, size);
    EXPECT_STREQ(
        "\x55"
        "23456789:",
        version);
}

TEST(EcpIap, EchoAndProtectionChecks) {
    kq_ecp_001 link;
    bool flag = true;
    struct Case {
        const char* name;
        int echo;
        std::uint8_t second;
        std::function<int(FakePort*)> call;
        int code;
    } cases[] = {
        {"wrong echo", 0x00, 0x55,
         [&](FakePort* p) { return link.IAP_StartProgram(p, nullptr, nullptr, nullptr); },
         ecp::kIapBadEcho},
        {"reset has no check", 0x00, 0x00,
         [&](FakePort* p) { return link.Reset(p, 0, nullptr, nullptr, nullptr); }, 0},
        {"not protected", -1, 0xAA,
         [&](FakePort* p) {
             return link.IAP_GetFlashProtectStatus(p, nullptr, nullptr, nullptr, &flag);
         },
         0},
        {"unknown protection", -1, 0x12,
         [&](FakePort* p) {
             return link.IAP_GetFlashProtectStatus(p, nullptr, nullptr, nullptr, &flag);
         },
         ecp::kIapBadProtectState},
        {"protect not confirmed", -1, 0x55,
         [&](FakePort* p) {
             return link.IAP_SetFlashProtectStatus(p, false, nullptr, nullptr, nullptr);
         },
         ecp::kIapBadProtectState},
    };
    for (const auto& c : cases) {
        FakePort port;
        answerIap(port, c.echo, c.second);
        EXPECT_EQ(c.code, c.call(&port)) << c.name;
    }
    EXPECT_FALSE(flag);
}

TEST(EcpIap, DownloadCarriesAllButTheLastTenBytes) {
    kq_ecp_001 link;
    FakePort port;
    answerIap(port);
    Bytes package(40);
    for (size_t i = 0; i < package.size(); ++i) package[i] = static_cast<std::uint8_t>(i + 1);
    ASSERT_EQ(
        0, link.IAP_DownloadOnePackage(&port, 1, 9, package.data(), 40, nullptr, nullptr, nullptr));
    const Bytes& payload = port.requests.at(0).payload;
    // Code, time, then 33 data bytes (0xEA, kind, sequence, 30 package bytes), 10 zeros.
    ASSERT_EQ(8u + 33u + 10u, payload.size());
    EXPECT_EQ(0xEA, payload[8]);
    EXPECT_EQ(0x55, payload[9]);
    EXPECT_EQ(9, payload[10]);
    EXPECT_EQ(Bytes(package.begin(), package.begin() + 30),
              Bytes(payload.begin() + 11, payload.begin() + 41));
    for (size_t i = 41; i < payload.size(); ++i) EXPECT_EQ(0, payload[i]);

    struct Bad {
        unsigned char kind;
        unsigned length;
    } bad[] = {{3, 40}, {0, 204801}, {0, 6}};
    for (const auto& b : bad) {
        std::vector<unsigned char> big(b.length + 1);
        EXPECT_EQ(ecp::kBadArgument,
                  link.IAP_DownloadOnePackage(&port, b.kind, 0, big.data(), b.length, nullptr,
                                              nullptr, nullptr));
    }
    EXPECT_EQ(1u, port.requests.size());

    answerIap(port, 0xEB);
    EXPECT_EQ(ecp::kIapBadEcho, link.IAP_DownloadOnePackage(&port, 2, 0, package.data(), 40,
                                                            nullptr, nullptr, nullptr));
    EXPECT_EQ(0xAA, port.requests.at(1).payload[9]);
}
