// The real devconsole on a pseudo-terminal, under kiosk-sim where it needs a
// mechanism: keys typed, the screen read back, the simulator asked where the
// card is.
#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "ControlClient.h"
#include "PtyProgram.h"

namespace {

const char* const kPrompt = "请输入(0-9):";
const char* const kDeviceId = "1234566789ABCD";  // what the board's id bytes read as

std::string scratch(const std::string& name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir != nullptr ? dir : "/tmp") + "/devconsole-" + name + "-" +
           std::to_string(getpid()) + ".sock";
}

// Polls the simulator until the board's card is at station (bounded).
bool cardReaches(kqtest::ControlClient& sim, int station, int timeoutMs = 30000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
        const Json::Value at = sim.card();
        if (at.isInt() && at.asInt() == station) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

// The positions of texts in output, each searched after the previous one.
bool inOrder(const std::string& output, size_t from, const std::vector<std::string>& texts) {
    for (const std::string& t : texts) {
        from = output.find(t, from);
        if (from == std::string::npos) return false;
        from += t.size();
    }
    return true;
}

class ConsoleUnderSim : public ::testing::Test {
  protected:
    void SetUp() override {
        socketPath = scratch(::testing::UnitTest::GetInstance()->current_test_info()->name());
        unlink(socketPath.c_str());
        console = std::make_unique<kqtest::PtyProgram>(
            std::vector<std::string>{KSIM_BIN, "--control", socketPath, "--speed", "0", "--board",
                                     "09,card=0,devid=0123456789ABCD", "--", DEVCONSOLE_BIN});
        ASSERT_TRUE(console->started());
        sim = std::make_unique<kqtest::ControlClient>(socketPath);
        ASSERT_TRUE(sim->connected());
    }
    void TearDown() override {
        sim.reset();
        console.reset();
        unlink(socketPath.c_str());
    }

    // Types key and waits for the next screen's prompt.
    void press(const std::string& key) {
        console->type(key);
        ASSERT_TRUE(console->expect(kPrompt)) << console->output();
    }

    // Opens the flipping board from the USB menu, ending on the device list.
    void openFlippingBoard() {
        ASSERT_TRUE(console->expect(kPrompt));
        press("3");
        console->type("5");
        ASSERT_TRUE(console->expect("open KQUSBDevice [ 4] [翻转模块(360)09款] Return:0"));
        ASSERT_TRUE(console->expect("*            机构 Demo(KQUSBDevice翻转模块(360)09款 )"));
        ASSERT_TRUE(console->expect(std::string("][") + kDeviceId + "]机构进行操作"));
        ASSERT_TRUE(console->expect(kPrompt));
    }

    void exitConsole() {
        console->type("0");
        EXPECT_TRUE(console->expect("Exit"));
        EXPECT_EQ(console->wait(), 1);
    }

    std::string socketPath;
    std::unique_ptr<kqtest::PtyProgram> console;
    std::unique_ptr<kqtest::ControlClient> sim;
};

TEST_F(ConsoleUnderSim, MenusOpenTheBoardAndMoveTheCardToTheReader) {
    ASSERT_TRUE(console->expect("*            机构 Demo(AUTO )                                *"));
    openFlippingBoard();
    press("2");
    EXPECT_NE(console->output().find(std::string("类型[翻转模块(360)09款]    [") + kDeviceId + "]"),
              std::string::npos);
    console->type("1");
    ASSERT_TRUE(console->expect("尝试到达工位[2] [读卡器工位]"));
    ASSERT_TRUE(console->expect(kPrompt));
    // The number shown in front of the reader station.
    const std::string screen = console->output();
    const size_t entry = screen.find(":尝试到达工位[2] [");
    ASSERT_TRUE(entry != std::string::npos && entry > 0);
    const std::string number(1, screen[entry - 1]);
    EXPECT_EQ(sim->card().asInt(), 0);

    console->type(number);
    ASSERT_TRUE(console->expect("read_reader Return:0"));
    EXPECT_TRUE(console->expect("--->[读卡器工位]的工位操作成功"));
    EXPECT_TRUE(cardReaches(*sim, 2));
    ASSERT_TRUE(console->expect(kPrompt));
    exitConsole();
}

TEST_F(ConsoleUnderSim, TwoStationCyclesEndAtTheRejectAndTheFinishedStation) {
    openFlippingBoard();
    press("1");  // all devices: an empty "DevID"
    const std::vector<std::string> legs = {
        "由[前入卡口工位]--->[方向识别工位]的工位操作成功",
        "由[方向识别工位]--->[读卡器工位]的工位操作成功",
        "由[读卡器工位]--->[准备打印位置]的工位操作成功",
        "由[准备打印位置]--->[打印机工位]的工位操作成功",
        "由[打印前工位]--->[二维码识别工位]的工位操作成功",
    };
    for (const char* last : {"由[二维码识别工位]--->[废品卡工位]的工位操作成功",
                             "由[二维码识别工位]--->[成品卡工位]的工位操作成功"}) {
        const size_t from = console->output().size();
        console->type("3");
        ASSERT_TRUE(console->expect("操作第[1]次 成功1次 失败0次", 60000)) << console->output();
        std::vector<std::string> expected = legs;
        expected.push_back(last);
        EXPECT_TRUE(inOrder(console->output(), from, expected)) << console->output().substr(from);
        ASSERT_TRUE(console->expect(kPrompt));
        // Out at the front slot either way.
        EXPECT_TRUE(cardReaches(*sim, 0));
    }
    exitConsole();
}

// The terminal's settings after each way out, with no mechanism needed.
TEST(ConsoleTerminal, SettingsComeBackHoweverTheConsoleEnds) {
    struct Case {
        const char* name;
        const char* keys;  // typed after reaching the USB menu
        int signal;        // sent instead when not 0
        int status;
    };
    const Case cases[] = {
        {"key 0", "0", 0, 1},
        {"Ctrl-C", "\x03", 0, 128 + SIGINT},
        {"SIGTERM", "", SIGTERM, 128 + SIGTERM},
    };
    for (const Case& c : cases) {
        kqtest::PtyProgram console({DEVCONSOLE_BIN});
        ASSERT_TRUE(console.started());
        ASSERT_TRUE(console.expect(kPrompt)) << c.name;
        const termios keys = console.settings();
        EXPECT_EQ(keys.c_lflag & (ICANON | ECHO), 0u) << c.name;
        EXPECT_NE(console.initialSettings().c_lflag & (ICANON | ECHO), 0u) << c.name;
        console.type("3");
        ASSERT_TRUE(console.expect("*            机构 Demo(KQUSBDevice )")) << c.name;
        ASSERT_TRUE(console.expect(kPrompt)) << c.name;
        if (c.signal != 0) {
            kill(console.pid(), c.signal);
        } else {
            console.type(c.keys);
        }
        EXPECT_EQ(console.wait(), c.status) << c.name;
        const termios after = console.settings();
        const termios& before = console.initialSettings();
        EXPECT_EQ(after.c_lflag, before.c_lflag) << c.name;
        EXPECT_EQ(after.c_iflag, before.c_iflag) << c.name;
        EXPECT_EQ(after.c_oflag, before.c_oflag) << c.name;
        EXPECT_EQ(std::memcmp(after.c_cc, before.c_cc, sizeof(before.c_cc)), 0) << c.name;
    }
}

TEST(ConsoleTerminal, PipedKeysEndCleanlyAtTheEndOfInput) {
    struct Case {
        const char* keys;
        int status;
        const char* last;
    };
    const Case cases[] = {{"", 0, kPrompt}, {"x9", 0, kPrompt}, {"30", 1, "Exit\n"}};
    const std::string file = scratch("piped") + ".out";
    for (const Case& c : cases) {
        const std::string command =
            std::string("printf '") + c.keys + "' | " DEVCONSOLE_BIN " > " + file + " 2>/dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << c.keys;
        EXPECT_EQ(WEXITSTATUS(status), c.status) << c.keys;
        FILE* f = std::fopen(file.c_str(), "rb");
        ASSERT_NE(f, nullptr);
        std::string text;
        char buf[4096];
        for (size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
        std::fclose(f);
        const std::string last = c.last;
        ASSERT_GE(text.size(), last.size()) << c.keys;
        EXPECT_EQ(text.substr(text.size() - last.size()), last) << c.keys;
    }
    unlink(file.c_str());
}

}  // namespace
