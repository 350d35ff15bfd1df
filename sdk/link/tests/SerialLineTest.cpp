// Serial lines on a pseudo-terminal: line settings, timed reads and a whole
// exchange through SerialPort.
#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <thread>

#include "link/SerialLine.h"
#include "link/SerialPort.h"
#include "link/include/devlink.h"
#include "link/tests/FakeBoard.h"
#include "link/tests/PtyPair.h"

namespace {

using linktest::Bytes;
using linktest::PtyPair;

// A pseudo-terminal keeps 8 data bits and no parity whatever is asked, so
// only speed, stop bits and the raw mode are observable here.
TEST(SetSerial, AppliesSpeedStopBitsAndRawMode) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    struct Case {
        int speed;
        int bits;
        char parity;
        int stop;
        speed_t rate;
    } cases[] = {
        {115200, 8, 'N', 1, B115200},
        {57600, 8, 'N', 1, B9600},
        {2400, 7, 'E', 2, B2400},
        {4800, 6, '0', 1, B4800},
    };
    for (const Case& c : cases) {
        ASSERT_EQ(set_serial(pty.slaveFd(), c.speed, c.bits, c.parity, c.stop), 0);
        termios t;
        ASSERT_EQ(tcgetattr(pty.slaveFd(), &t), 0);
        EXPECT_EQ(cfgetospeed(&t), c.rate) << c.speed;
        EXPECT_EQ((t.c_cflag & CSTOPB) != 0, c.stop == 2) << c.speed;
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
        EXPECT_EQ(t.c_cc[VMIN], 50);
    }
}

TEST(SetSerial, RefusesADescriptorThatIsNoTerminal) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    EXPECT_EQ(set_serial(fds[0], 9600, 8, 'N', 1), -1);
    close(fds[0]);
    close(fds[1]);
}

TEST(ReadBufferFromSerial, WaitsForTheWholeCountWithinTheTimeout) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    char name[64];
    std::snprintf(name, sizeof(name), "%s", pty.devName().c_str());
    const int fd = OpenSerial(name, 115200);
    ASSERT_GT(fd, 0);
    std::thread board([&] {
        pty.send({0x01, 0x02});
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        pty.send({0x03});
    });
    unsigned char buf[3] = {};
    EXPECT_EQ(ReadBufferFromSerial(fd, buf, 3, 2000), 0);
    board.join();
    EXPECT_EQ(Bytes(buf, buf + 3), (Bytes{0x01, 0x02, 0x03}));
    pty.send({0x04});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadBufferFromSerial(fd, buf, 2, 100), -1);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    CloseSerial(fd);
}

TEST(SerialPortExchange, JunkBeforeTheReplyIsSkipped) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    Device* handle = nullptr;
    ASSERT_EQ(open_device_by_path(pty.devName().c_str(), &handle), 0);
    std::thread board([&] {
        const Bytes request = pty.receive(11, 2000);  // AA BB 07 00 pkg cmd 2 data check
        if (request.size() != 11) return;
        const auto r = linktest::decodeRequest(request);
        Bytes reply = {0x11, 0x22};
        // The serial reply is stuffed on the wire: its data byte 0xAA is followed by 0x00.
        Bytes frame = linktest::replyFrame(r.packageNum, r.cmdCode, 0, {0xAA, 0x07});
        for (size_t i = 0; i < frame.size(); ++i) {
            reply.push_back(frame[i]);
            if (i >= 4 && i + 1 < frame.size() && frame[i] == 0xAA) reply.push_back(0x00);
        }
        pty.send(reply);
    });
    char data[2] = {0x10, 0x20};
    char replyData[3499];
    int replyLen = 0;
    EXPECT_EQ(
        send_command_wait_ack(handle, 3, 0x0104, 0, data, 2, nullptr, replyData, &replyLen, 2000),
        0);
    board.join();
    EXPECT_EQ(Bytes(replyData, replyData + replyLen), (Bytes{0xAA, 0x07}));
    close_device(handle);
}

TEST(SerialPortExchange, SilentLineGivesNothingReceivedAndAClosedPortReadsAsTimeout) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    Device* handle = nullptr;
    ASSERT_EQ(open_device_by_path(pty.devName().c_str(), &handle), 0);
    char replyData[64];
    int replyLen = 0;
    EXPECT_EQ(
        send_command_wait_ack(handle, 3, 0x0104, 0, nullptr, 0, nullptr, replyData, &replyLen, 100),
        2);  // the receive state machine's "nothing received"
    close_device(handle);
    SerialPort closed;
    unsigned char buf[16];
    int len = 0;
    EXPECT_EQ(closed.ReadBuffer(buf, &len, 10), 1);
}

}  // namespace
