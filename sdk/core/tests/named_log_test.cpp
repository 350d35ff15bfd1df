#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "core/Process.h"
#include "core/ServiceLog.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class NamedLogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        initialization();
        base_ = fs::temp_directory_path() / ("kqlogs-" + std::to_string(getpid()));
        fs::create_directories(base_ / "a");
        fs::create_directories(base_ / "b");
    }
    void TearDown() override { fs::remove_all(base_); }
    fs::path base_;
};

TEST_F(NamedLogTest, NamedLogOpensOnceInTheFirstDirectory) {
    std::string first = (base_ / "a").string() + "/";
    std::string second = (base_ / "b").string() + "/";
    writeLog("first record", "DEBUG", "cam", first);
    writeLog("second record", "ERROR", "cam", second);

    std::string content = readAll(base_ / "a" / "cam.log");
    EXPECT_NE(content.find("DEBUG cam"), std::string::npos) << content;
    EXPECT_NE(content.find("first record"), std::string::npos);
    EXPECT_NE(content.find("second record"), std::string::npos) << "any level is written at DEBUG";
    EXPECT_FALSE(fs::exists(base_ / "b" / "cam.log"));
}

TEST_F(NamedLogTest, MissingDefaultDirectoryIsNotRetried) {
    fs::path defaultDir = fs::path(_DllDir) / "kqlogs" / "kq_server_logs";
    ASSERT_FALSE(fs::exists(defaultDir));
    writeLog("lost", "DEBUG", "retrytest", "");
    fs::create_directories(defaultDir);
    writeLog("still lost", "DEBUG", "retrytest", "");
    EXPECT_FALSE(fs::exists(defaultDir / "retrytest.log"));
    fs::remove_all(fs::path(_DllDir) / "kqlogs");
}

TEST_F(NamedLogTest, ServiceRecordWithoutAnyFileIsHarmless) {
    writeLog("to nowhere", "ERROR", "", "");
    SUCCEED();
}

}  // namespace
