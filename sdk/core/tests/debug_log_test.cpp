#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/DebugLog.h"

namespace fs = std::filesystem;

namespace {

// 2024-01-31 20:30:00.042 UTC, which is 2024-02-01 04:30:00 in UTC+8.
void fixedClock(std::time_t* seconds, int* millis) {
    *seconds = 1706733000;
    *millis = 42;
}

class DebugLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("kqrfid-" + std::to_string(getpid()));
        fs::remove_all(dir_);
        kqlog::resetDebugLog();
        kqlog::setDebugClock(fixedClock);
        kqlog::setDebugDirectory(dir_.string() + "/");
    }
    void TearDown() override {
        kqlog::resetDebugLog();
        kqlog::setDebugClock(nullptr);
        kqlog::setDebugDirectory("/var/log/kqrfid/");
        fs::remove_all(dir_);
    }
    std::string readAll(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
    fs::path dir_;
};

TEST_F(DebugLogTest, NothingWithoutItsDirectory) {
    unsigned char data[] = {1};
    global_debug("DLL", "abc", data, 1);
    EXPECT_FALSE(fs::exists(dir_));
}

TEST_F(DebugLogTest, LineLayoutAndFileNameInUtc8WithDateCarried) {
    fs::create_directories(dir_);
    unsigned char data[] = {0x01, 0xAB};
    global_debug("DLL", "abc", data, 2);
    global_debug("DLL", nullptr, nullptr, 0);

    fs::path file = dir_ / "0_kqdev_20240201_043000.log";
    ASSERT_TRUE(fs::exists(file));
    EXPECT_EQ(readAll(file),
              "DLL:(2024-02-01 04:30:00 0042),数据长度  2: 01 AB ,abc\r\n"
              "DLL:(2024-02-01 04:30:00 0042)\r\n");
}

TEST_F(DebugLogTest, VeryLongLineStaysWithinItsArea) {
    fs::create_directories(dir_);
    std::string text(10000, 'y');
    global_debug("DLL", text.c_str(), nullptr, 0);
    std::string content = readAll(dir_ / "0_kqdev_20240201_043000.log");
    EXPECT_LE(content.size(), 4096u);
    EXPECT_EQ(content.substr(content.size() - 2), "\r\n");
}

TEST(Utc8StampTest, CarriesDayMonthAndYear) {
    struct Case {
        std::time_t utc;
        kqlog::LocalStamp expected;
    };
    const Case cases[] = {
        {1706733000, {2024, 2, 1, 4, 30, 0, 0}},  // 2024-01-31 20:30 UTC
        {1704038400, {2024, 1, 1, 0, 0, 0, 0}},   // 2023-12-31 16:00 UTC
        {1709150400, {2024, 2, 29, 4, 0, 0, 0}},  // 2024-02-28 20:00 UTC, leap day
        {0, {1970, 1, 1, 8, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        kqlog::LocalStamp s = kqlog::utc8Stamp(c.utc, 0);
        EXPECT_EQ(s.year, c.expected.year) << c.utc;
        EXPECT_EQ(s.month, c.expected.month) << c.utc;
        EXPECT_EQ(s.day, c.expected.day) << c.utc;
        EXPECT_EQ(s.hour, c.expected.hour) << c.utc;
    }
}

}  // namespace
