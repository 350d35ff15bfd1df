#include <gtest/gtest.h>

#include <algorithm>

#include "serial/LineSetting.h"

namespace ksim::serial {
namespace {

TEST(LineSetting, SettingsComeOutOfTheBoardSettings) {
    struct Case {
        const char* settings;
        const char* rest;
        const char* line;  // nullptr: refused
    } cases[] = {
        {"09", "09", "115200 8N1"},
        {"09,baud=9600,addr=4", "09,addr=4", "9600 8N1"},
        {"09,frame=8E2,card=2", "09,card=2", "115200 8E2"},
        {"19,baud=2400,frame=8O1", "19", "2400 8O1"},
        {"09,baud=12345", nullptr, nullptr},
        {"09,frame=7E1", nullptr, nullptr},
        {"09,frame=8X1", nullptr, nullptr},
        {"09,frame=8N3", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        std::string rest, error;
        LineSetting line;
        const bool ok = takeLineSettings(c.settings, rest, line, &error);
        EXPECT_EQ(ok, c.line != nullptr) << c.settings << ": " << error;
        if (!ok || !c.line) continue;
        EXPECT_EQ(rest, c.rest) << c.settings;
        EXPECT_EQ(describe(line), c.line) << c.settings;
    }
}

TEST(LineSetting, PseudoTerminalAttributesShowSpeedParityAndStopBits) {
    termios t{};
    cfmakeraw(&t);
    cfsetspeed(&t, B9600);
    EXPECT_EQ(describe(lineSettingOf(t)), "9600 8N1");
    t.c_iflag |= INPCK;  // what is left of even parity on a pseudo-terminal
    EXPECT_EQ(describe(lineSettingOf(t)), "9600 8E1");
    t.c_cflag |= PARODD | CSTOPB;
    EXPECT_EQ(describe(lineSettingOf(t)), "9600 8O2");
}

TEST(LineSetting, GarbledBytesAreGarbageAlwaysTheSame) {
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[static_cast<size_t>(i)] = static_cast<uint8_t>(i);
    const Bytes once = garbled(all);
    EXPECT_EQ(once, garbled(all));
    EXPECT_EQ(std::count(once.begin(), once.end(), 0xAA), 0);
    EXPECT_EQ(once.size(), 256u - 32u);  // one byte in eight lost to framing errors
    const Bytes frame = {0xAA, 0xBB, 0x07, 0x00, 0x01, 0x00, 0x01, 0x06, 0xFF, 0x01, 0xF8};
    const Bytes g = garbled(frame);
    EXPECT_NE(g, frame);
    EXPECT_EQ(std::search(g.begin(), g.end(), frame.begin(), frame.begin() + 2), g.end());
}

}  // namespace
}  // namespace ksim::serial
