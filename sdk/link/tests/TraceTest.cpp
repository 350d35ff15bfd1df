// The per-object trace file, in a trace folder of this process's own (the
// default is the system's /var/log/kqlogs/); a fixed clock names the file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "link/TraceClock.h"
#include "link/tests/FakeBoard.h"

namespace {

namespace fs = std::filesystem;

const fs::path kTraceDir = fs::temp_directory_path() / ("kq-trace-" + std::to_string(getpid()));

int64_t gNowMs = 0;
int64_t fakeNow() {
    return gNowMs;
}

// 2001-02-03 04:05:06.007 UTC, which reads 12:05:06 in UTC+8.
constexpr int64_t kBaseMs = 981173106007LL;

class TraceFile : public testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(kTraceDir);
        Device::setTraceDirectory(kTraceDir.string() + "/");
        gNowMs = kBaseMs;
        devlink::setTraceClock(&fakeNow);
        fs::remove(file());
    }
    void TearDown() override {
        devlink::setTraceClock(nullptr);
        fs::remove(file());
        fs::remove_all(kTraceDir);
    }
    static fs::path file() { return kTraceDir / "1_kqdev_20010203_120506.log"; }
    static std::string content() {
        std::ifstream in(file(), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(TraceFile, LinesCarryTimeIntervalLengthTextAndBytes) {
    {
        linktest::FakeBoard board;
        const unsigned char bytes[] = {0xAA, 0x0B};
        board.Debug("[Raw R]", nullptr, bytes, 2);
        gNowMs += 500;
        board.Debug("  [R ERROR_COMMAND]:", "命令不符", bytes, 1);
        gNowMs += 60001;
        board.Debug("       [R_STATE ERROR]", "固件返回:5(0x5)", nullptr, 0);
    }
    EXPECT_EQ(content(),
              "[Raw R]:(2001-02-03 12:05:06 007)((间隔????? MS):数据长度  2, AA 0B \r\n"
              "  [R ERROR_COMMAND]::(2001-02-03 12:05:06 507)(间隔00500 MS):数据长度  1, "
              "命令不符, AA \r\n"
              "       [R_STATE ERROR]:(2001-02-03 12:06:06 508)((间隔????? MS):固件返回:5(0x5), "
              "\r\n");
}

TEST_F(TraceFile, StringLogIsCutTo256Characters) {
    {
        linktest::FakeBoard board;
        std::string text(300, 'x');
        board.DeviceStringLog(&text[0]);
        EXPECT_EQ(text.size(), 300u);
    }
    const std::string line = content();
    EXPECT_NE(line.find(std::string(256, 'x') + ", \r\n"), std::string::npos);
    EXPECT_EQ(line.find(std::string(257, 'x')), std::string::npos);
}

TEST_F(TraceFile, AnExchangeTracesTheReplyAndItsMismatches) {
    {
        linktest::FakeBoard board([](const linktest::Request& r) {
            return std::vector<linktest::Bytes>{
                linktest::replyFrame(r.packageNum + 1, r.cmdCode, 0, {}),
                linktest::replyFrame(r.packageNum, r.cmdCode, 0, {}, 0x01)};
        });
        char reply[64];
        int len = 0;
        signed char state = 0;
        EXPECT_EQ(board.SendCommandAndWaitRec(1, 0x0104, 0, nullptr, 0, nullptr, &state, reply,
                                              &len, 100),
                  236);
    }
    const std::string text = content();
    EXPECT_NE(text.find("[R ERROR_PACKAGE]:"), std::string::npos) << text;
    EXPECT_NE(text.find("包号不符, 02 00 00 00"), std::string::npos) << text;
    EXPECT_NE(text.find("[ERROR PACKAGE CRC]"), std::string::npos) << text;
}

TEST_F(TraceFile, NothingIsWrittenWhileTheFolderIsMissing) {
    fs::remove_all(kTraceDir);
    {
        linktest::FakeBoard board;
        board.Debug("[Raw R]", nullptr, nullptr, 0);
    }
    EXPECT_FALSE(fs::exists(kTraceDir));
    fs::create_directories(kTraceDir);
}

}  // namespace
