// Command bytes, argument checks and reply decoding of the printer command set.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

#include "FakePort.h"
#include "ImagePacket.h"
#include "LinkCodes.h"
#include "PrinterCommandSet.h"

using ecptest::Bytes;
using ecptest::FakePort;

namespace {
struct Fixture : ::testing::Test {
    kqCR80Printer driver;
    FakePort port;
    kqCR80_Pram printer;
    void SetUp() override {
        port.answerAll();
        printer.port = &port;
    }
};

Bytes padded(Bytes head, size_t size) {
    head.resize(size, 0);
    return head;
}
}  // namespace

using EcpCommands = Fixture;

TEST_F(EcpCommands, DataBytesOfEachCommand) {
    struct Case {
        const char* name;
        std::function<int(kqCR80Printer&, kqCR80_Pram*)> call;
        std::uint8_t code;
        Bytes data;
    };
    char serial[] = "ABCDEFGHIJKLMNO";
    char access[] = "mv_clear_usage_counter_zz and more";
    const Case cases[] = {
        {"erase whole", [](auto& d, auto* p) { return d.EraseWholeCard(p); }, 0x54,
         padded({0x00, 0x01}, 33)},
        {"erase rect",
         [](auto& d, auto* p) {
             kqCR80Printer::SetEraseRectPixel(p, 0x0102, 0x0304, 0x10, 0x20);
             return d.EraseCard(p);
         },
         0x54, padded({0x01, 0x01, 0x04, 0x03, 0x23, 0x03, 0x02, 0x01, 0x11, 0x01}, 33)},
        {"erase before print", [](auto& d, auto* p) { return d.EraseBeforePrint(p, 1); }, 0x54,
         padded({0x01, 0x00, 0, 0, 0x9F, 0x02, 0, 0, 0xAF, 0x03}, 33)},
        {"card in", [](auto& d, auto* p) { return d.InCard(p, 1); }, 0x55, padded({1}, 10)},
        {"card out", [](auto& d, auto* p) { return d.OutCard(p); }, 0x56, padded({1}, 10)},
        {"card out no wait", [](auto& d, auto* p) { return d.OutCardNotWait(p); }, 0x56,
         Bytes(10, 0)},
        {"clean", [](auto& d, auto* p) { return d.Clean(p); }, 0x5B, {}},
        {"reset counters",
         [&](auto& d, auto* p) { return d.ResetPrintStatistics(p, access); },
         0x5C,
         {}},
        {"head serial", [&](auto& d, auto* p) { return d.SetPrintHeadSrn(p, serial); }, 0x5D,
         Bytes({'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O', 0})},
        {"stepper",
         [](auto& d, auto* p) { return d.CtrlStepperMotor(p, 1, 2, 0x1367, 0x2000, 5, 6); },
         0xA0,
         {1, 2, 0x67, 0x13, 0x00, 0x20, 5, 6}},
        {"dc motor 1 action 2",
         [](auto& d, auto* p) { return d.CtrlDCMotor(p, 1, 2); },
         0xA2,
         {1, 2}},
        {"led", [](auto& d, auto* p) { return d.LedTest(p, 1); }, 0xA4, padded({1}, 10)},
        {"sensor",
         [](auto& d, auto* p) {
             unsigned char s[4];
             return d.GetSensorStatus(p, s);
         },
         0x81,
         {}},
    };
    for (const auto& c : cases) {
        port.requests.clear();
        kqCR80_Pram fresh;
        fresh.port = &port;
        ASSERT_EQ(0, c.call(driver, &fresh)) << c.name;
        ASSERT_EQ(1u, port.requests.size()) << c.name;
        EXPECT_EQ(c.code, port.requests[0].code()) << c.name;
        EXPECT_EQ(c.data, port.requests[0].data()) << c.name;
    }
}

TEST_F(EcpCommands, ArgumentChecksSendNothing) {
    char shortSerial[] = "ABCDEFGHIJKLMN";
    char longSerial[] = "ABCDEFGHIJKLMNOP";
    char wrongAccess[] = "mv_clear_usage_counter_z";
    unsigned char u8 = 0;
    unsigned short u16 = 0;
    unsigned int u32 = 0;
    struct Case {
        const char* name;
        std::function<int()> call;
        int code;
    } cases[] = {
        {"card in mode 2", [&] { return driver.InCard(&printer, 2); }, ecp::kBadArgument},
        {"erase mode 2", [&] { return driver.EraseBeforePrint(&printer, 2); }, ecp::kBadArgument},
        {"led 2", [&] { return driver.LedTest(&printer, 2); }, ecp::kBadArgument},
        {"stepper motor 2", [&] { return driver.CtrlStepperMotor(&printer, 2, 0, 0, 0, 0, 0); },
         ecp::kBadArgument},
        {"stepper action 3", [&] { return driver.CtrlStepperMotor(&printer, 0, 3, 0, 0, 0, 0); },
         ecp::kBadArgument},
        {"dc motor 4", [&] { return driver.CtrlDCMotor(&printer, 4, 0); }, ecp::kBadArgument},
        {"dc motor 2 action 2", [&] { return driver.CtrlDCMotor(&printer, 2, 2); },
         ecp::kBadArgument},
        {"dc motor 0 action 3", [&] { return driver.CtrlDCMotor(&printer, 0, 3); },
         ecp::kBadArgument},
        {"serial of 14", [&] { return driver.SetPrintHeadSrn(&printer, shortSerial); },
         ecp::kBadArgument},
        {"serial of 16", [&] { return driver.SetPrintHeadSrn(&printer, longSerial); },
         ecp::kBadArgument},
        {"access text", [&] { return driver.ResetPrintStatistics(&printer, wrongAccess); },
         ecp::kWrongAccessText},
        {"self-check mode 2",
         [&] {
             return driver.SelfChecking(&printer, 2, &u8, &u8, &u8, &u16, &u32, &u32, &u32, &u32);
         },
         ecp::kBadArgument},
    };
    for (const auto& c : cases) EXPECT_EQ(c.code, c.call()) << c.name;
    EXPECT_TRUE(port.requests.empty());
}

TEST_F(EcpCommands, SelfCheckDecoding) {
    port.answerAll(
        {{0x57,
          {7, 1, 3, 0x34, 0x12, 0x03, 0x02, 0x01, 0x22, 0x11, 0x0C, 0x0B, 0x0A, 0x44, 0x33}}});
    unsigned char status, position, result;
    unsigned short err;
    unsigned int total, remain, cont, clean;
    ASSERT_EQ(0, driver.SelfChecking(&printer, 1, &status, &position, &result, &err, &total,
                                     &remain, &cont, &clean));
    EXPECT_EQ(7, status);
    EXPECT_EQ(1, position);
    EXPECT_EQ(3, result);
    EXPECT_EQ(0x1234, err);
    EXPECT_EQ(0x010203u, total);
    EXPECT_EQ(0x1122u, remain);
    EXPECT_EQ(0x0A0B0Cu, cont);
    EXPECT_EQ(0x3344u, clean);
    EXPECT_TRUE(port.requests[0].data().empty()) << "the mode is not sent";
}

TEST_F(EcpCommands, PrintParametersFromThePrinter) {
    struct Case {
        std::uint8_t byte1, hi, lo;
    } cases[] = {{0, 0, 0}, {1, 0, 1}, {2, 1, 0}, {3, 1, 1}, {4, 0, 0}};
    for (const auto& c : cases) {
        Bytes block(31);
        for (size_t i = 0; i < 31; ++i) block[i] = static_cast<std::uint8_t>(i + 100);
        block[1] = c.byte1;
        port.answerAll({{0x53, block}});
        ASSERT_EQ(0, driver.GetPrintPara(&printer));
        EXPECT_EQ(c.hi, printer.para1Hi) << int(c.byte1);
        EXPECT_EQ(c.lo, printer.para1Lo) << int(c.byte1);
        EXPECT_EQ(100, printer.para0);
        EXPECT_EQ(102, printer.para2to21[0]);
        EXPECT_EQ(121, printer.para2to21[19]);
        EXPECT_EQ(122, printer.para22);
        EXPECT_EQ(123, printer.para23);
        EXPECT_EQ(124, printer.para24);
        EXPECT_EQ(0x807F7E7Du, printer.para25to28);
        EXPECT_EQ(129, printer.para29);
        EXPECT_EQ(130, printer.fastMode);
    }
}

TEST_F(EcpCommands, FailedQueryLeavesRecordAlone) {
    port.setResponder([](const ecptest::Request& r) {
        return std::vector<Bytes>{ecptest::printerPacket(
            ecptest::frame(ecptest::replyPayload(r.code(), Bytes(31, 9), 1), r.seq))};
    });
    EXPECT_EQ(ecp::kPrinterFailed, driver.GetPrintPara(&printer));
    EXPECT_EQ(0, printer.para0);
    EXPECT_EQ(0, printer.fastMode);
}

TEST_F(EcpCommands, PrintParametersToThePrinter) {
    printer.para0 = 2;
    printer.para1Hi = 0;
    printer.para1Lo = 1;
    for (int i = 0; i < 20; ++i) printer.para2to21[i] = static_cast<unsigned char>(i);
    printer.para22 = 1;
    printer.para23 = 1;
    printer.para24 = 2;
    printer.para25to28 = 0x44332211;
    ASSERT_EQ(0, driver.SetPrintPara(&printer));
    const Bytes sent = port.requests.at(0).data();
    ASSERT_EQ(29u, sent.size());
    EXPECT_EQ(0x51, port.requests[0].code());
    EXPECT_EQ(2, sent[0]);
    EXPECT_EQ(1, sent[1]);
    EXPECT_EQ(1, printer.para1Hi) << "copied from the low bit";
    EXPECT_EQ(19, sent[21]);
    EXPECT_EQ((Bytes{1, 1, 2, 0x11, 0x22, 0x33, 0x44}), Bytes(sent.begin() + 22, sent.end()));

    struct Bad {
        unsigned char kqCR80_Pram::*field;
        unsigned char value;
    } bad[] = {{&kqCR80_Pram::para0, 3},  {&kqCR80_Pram::para1Hi, 2}, {&kqCR80_Pram::para1Lo, 2},
               {&kqCR80_Pram::para22, 2}, {&kqCR80_Pram::para23, 2},  {&kqCR80_Pram::para24, 3},
               {&kqCR80_Pram::para29, 2}};
    for (const auto& b : bad) {
        kqCR80_Pram p;
        p.port = &port;
        p.*b.field = b.value;
        EXPECT_EQ(ecp::kBadArgument, driver.SetPrintPara(&p));
    }
    EXPECT_EQ(1u, port.requests.size());
}

TEST(EcpEraseRect, MillimetresToDots) {
    struct Case {
        double x, y, w, h;
        unsigned short x0, x1, y0, y1;
    } cases[] = {
        {10, 5, 20, 10, 84, 320, 68, 186},
        {1, 5, 20, 10, 0, 236, 68, 186},      // x below 2.8: starts at the edge
        {10, 60, 20, 10, 84, 320, 671, 671},  // y beyond the card
        {0, 0, 80, 57, 0, 943, 9, 671},
        {-5, -3, 10, 2, 0, 118, 0, 0},  // negative positions stay at the edge
        {90, 0, 10, 10, 943, 943, 9, 127},
    };
    for (const auto& c : cases) {
        kqCR80_Pram p;
        kqCR80Printer::SetEraseRect(&p, c.x, c.y, c.w, c.h);
        EXPECT_EQ(c.x0, p.eraseX0) << c.x << "," << c.y;
        EXPECT_EQ(c.x1, p.eraseX1) << c.x << "," << c.y;
        EXPECT_EQ(c.y0, p.eraseY0) << c.x << "," << c.y;
        EXPECT_EQ(c.y1, p.eraseY1) << c.x << "," << c.y;
        EXPECT_EQ(c.w, p.eraseMm[2]);
    }
}

TEST(EcpEraseRect, RotationAndPixels) {
    kqCR80_Pram p;
    EXPECT_EQ(0, p.eraseX0);
    EXPECT_EQ(943, p.eraseX1);
    EXPECT_EQ(671, p.eraseY1);
    kqCR80Printer::SetEraseRectPixel(&p, 10, 20, 100, 50);
    EXPECT_EQ(109, p.eraseX1);
    EXPECT_EQ(69, p.eraseY1);
    kqCR80Printer::EraseRectRotation(&p, 1);
    EXPECT_EQ(10, p.eraseX0);
    kqCR80Printer::EraseRectRotation(&p, 2);
    EXPECT_EQ(834, p.eraseX0);
    EXPECT_EQ(933, p.eraseX1);
    EXPECT_EQ(602, p.eraseY0);
    EXPECT_EQ(651, p.eraseY1);
    kqCR80Printer::EraseRectRotation(&p, 2);
    EXPECT_EQ(10, p.eraseX0);
    EXPECT_EQ(109, p.eraseX1);
    EXPECT_EQ(20, p.eraseY0);
    EXPECT_EQ(69, p.eraseY1);
}

using EcpPrinting = Fixture;

TEST_F(EcpPrinting, ErasesThenSendsTheInvertedImage) {
    struct Case {
        unsigned char fastMode, para0;
        bool reversed;
    } cases[] = {{0, 0, false}, {1, 0, true}, {1, 1, true}, {1, 2, false}, {2, 1, false}};
    std::vector<char> image(ecp::kImageBytes);
    for (int row = 0; row < ecp::kImageRows; ++row) {
        for (int i = 0; i < ecp::kImageRowBytes; ++i) {
            image[static_cast<size_t>(row * ecp::kImageRowBytes + i)] =
                static_cast<char>(row * 7 + i);
        }
    }
    for (const auto& c : cases) {
        port.requests.clear();
        printer.fastMode = c.fastMode;
        printer.para0 = c.para0;
        ASSERT_EQ(0, driver.ImageTransmission(&printer, image.data()));
        ASSERT_EQ(2u, port.requests.size());
        EXPECT_EQ(0x54, port.requests[0].code());
        EXPECT_EQ(1, port.requests[0].data()[0]);
        EXPECT_EQ(0x59, port.requests[1].code());
        const Bytes data = port.requests[1].data(false);
        ASSERT_EQ(size_t(ecp::kImagePacketBytes), data.size());
        for (int i = 0; i < ecp::kImageLead; ++i) ASSERT_EQ(0, data[size_t(i)]);
        for (int row : {0, 1, 500, 943}) {
            const int from = c.reversed ? 943 - row : row;
            for (int i : {0, 83}) {
                const auto want =
                    static_cast<std::uint8_t>(~image[size_t(from * ecp::kImageRowBytes + i)]);
                EXPECT_EQ(want, data[size_t(ecp::kImageLead + row * ecp::kImageRowBytes + i)])
                    << int(c.fastMode) << "/" << int(c.para0) << " row " << row;
            }
        }
    }
}

TEST_F(EcpPrinting, FailedEraseSendsNoImage) {
    port.setResponder([](const ecptest::Request& r) {
        return std::vector<Bytes>{
            ecptest::printerPacket(ecptest::frame(ecptest::replyPayload(r.code(), {}, 3), r.seq))};
    });
    std::vector<char> image(ecp::kImageBytes);
    EXPECT_EQ(ecp::kPrinterFailed, driver.ImageTransmission(&printer, image.data()));
    ASSERT_EQ(1u, port.requests.size());
    EXPECT_EQ(0x54, port.requests[0].code());
}

TEST_F(EcpCommands, RollerCleaningAlternatesAndStopsAtFailure) {
    driver.setRollerPauseMs(0);
    ASSERT_EQ(0, driver.CleanByRoller(&printer));
    ASSERT_EQ(30u, port.requests.size());
    for (size_t i = 0; i < 30; ++i) {
        EXPECT_EQ(
            (Bytes{0, static_cast<std::uint8_t>(i % 2 ? 2 : 1), 0x57, 0x05, 0xD0, 0x07, 0, 0}),
            port.requests[i].data());
    }
    port.requests.clear();
    int n = 0;
    port.setResponder([&n](const ecptest::Request& r) {
        const std::uint8_t status = ++n == 4 ? 1 : 0;
        return std::vector<Bytes>{ecptest::printerPacket(
            ecptest::frame(ecptest::replyPayload(r.code(), {}, status), r.seq))};
    });
    EXPECT_EQ(ecp::kPrinterFailed, driver.CleanByRoller(&printer));
    EXPECT_EQ(4u, port.requests.size());
}
