// Runs the C host program against libdevsdk.so as a separate process, the
// way a kiosk application loads the SDK.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct HostRun {
    std::vector<std::string> lines;
    int status = -1;
};

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

HostRun runHost(const fs::path& cwd, const std::vector<std::string>& args) {
    std::string cmd = "cd " + quote(cwd.string()) + " && " + quote(SDK_HOST);
    for (const auto& a : args) cmd += " " + quote(a);
    HostRun run;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return run;
    char line[65536];
    while (fgets(line, sizeof(line), p)) {
        std::string s = line;
        if (!s.empty() && s.back() == '\n') s.pop_back();
        run.lines.push_back(s);
    }
    run.status = pclose(p);
    return run;
}

class SdkHostTest : public ::testing::Test {
  protected:
    void SetUp() override {
        cwd_ = fs::temp_directory_path() /
               ("sdkhost-" + std::to_string(getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(cwd_);
        fs::create_directories(cwd_);
    }
    void TearDown() override { fs::remove_all(cwd_); }
    fs::path cwd_;
};

TEST_F(SdkHostTest, RegistersBeforeMainAndAnswersThroughTheExportedFunctions) {
    HostRun run = runHost(cwd_, {R"({"funccode":"heart_beat"})", "{}", "abc", "--null", "--objects",
                                 R"({"funccode":"open_dev","object_name":"KQNoSuchDevice"})",
                                 "--reinit", R"({"funccode":"heart_beat"})"});
    ASSERT_EQ(run.status, 0);
    const std::vector<std::string> expected = {
        "Register:12531",
        "Register:VXDeviceVXDevice",
        "Register funcs:open_dev",
        "Register funcs:close_dev",
        "Register funcs:clean_dev",
        "Register funcs:get_dev_state",
        "Register funcs:poweroff_dev",
        "Register funcs:send_to_parts",
        "Register funcs:get_dev_info",
        "Register funcs:get_part_list",
        "Register funcs:add_filter_dev",
        "Register funcs:heart_beat",
        "main",
        "init\t0",
        "0\t{\"msg\":\"成功\",\"result\":0}",
        "1\t{\"msg\":\"函数不正确\",\"result\":1}",
        "13\t{\"msg\":\"无效数据\",\"result\":13}",
        "1900\t{\"msg\":\"无效对象\",\"result\":1900}",
        "0\t{\"data\":null,\"msg\":\"成功\",\"result\":0}",
        "13\t{\"msg\":\"无效数据传入Json数据无效，对象列表种不存在指定对象类型\",\"result\":13}",
        "0\t",
        "0\t{\"msg\":\"成功\",\"result\":0}",
        "release\t0",
    };
    EXPECT_EQ(run.lines, expected);
}

std::string readAll(const fs::path& p) {
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Registration picks the service log before main, when the program's folder
// is not yet known: the root "/kqlogs/kq_server_logs/" when it exists, else
// the working directory's entry of that name written with backslashes.
TEST_F(SdkHostTest, ServiceLogGoesToTheWorkingDirectoryEntryWhenItExists) {
    if (fs::exists("/kqlogs/kq_server_logs"))
        GTEST_SKIP() << "the root log folder takes precedence";
    const std::string entry = "\\home\\kqlogs\\kq_server_logs\\";
    fs::create_directory(cwd_ / entry);
    HostRun run = runHost(cwd_, {R"({"funccode":"heart_beat"})"});
    ASSERT_EQ(run.status, 0);
    fs::path log = cwd_ / (entry + "VXDevice.log");
    EXPECT_EQ(run.lines.at(2), log.filename().string()) << "the chosen file is printed";
    std::string content = readAll(log);
    for (const char* record : {"DEBUG RollingFile", "initialization", "initSDK",
                               "call_method argsJson{\"funccode\":\"heart_beat\"}", "releaseSDK"}) {
        EXPECT_NE(content.find(record), std::string::npos) << record << "\n" << content;
    }
}

TEST_F(SdkHostTest, NoLogFolderNoFile) {
    if (fs::exists("/kqlogs/kq_server_logs")) GTEST_SKIP() << "the root log folder exists here";
    HostRun run = runHost(cwd_, {R"({"funccode":"heart_beat"})"});
    ASSERT_EQ(run.status, 0);
    EXPECT_TRUE(fs::is_empty(cwd_));
    EXPECT_EQ(run.lines.at(2), "Register funcs:open_dev") << "no log path printed";
}

TEST_F(SdkHostTest, ServiceLogAtTheRootFolder) {
    if (geteuid() != 0 || fs::exists("/kqlogs")) GTEST_SKIP() << "needs root and a free /kqlogs";
    fs::create_directories("/kqlogs/kq_server_logs");
    HostRun run = runHost(cwd_, {R"({"funccode":"heart_beat"})"});
    std::string content = readAll("/kqlogs/kq_server_logs/VXDevice.log");
    fs::remove_all("/kqlogs");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.lines.at(2), "/kqlogs/kq_server_logs/VXDevice.log");
    EXPECT_NE(content.find("initSDK"), std::string::npos) << content;
}

}  // namespace
