#include <gtest/gtest.h>

#include <functional>

#include "Console.h"
#include "FakeMachine.h"
#include "TestDoubles.h"

namespace devconsole_test {
namespace {

using devconsole::Console;
using devconsole::ConsoleState;

const char* const kFirstScreen =
    "\n*-------------------------------------------------------*\n"
    "*            机构 Demo(AUTO )                                *\n"
    "*                                                       *\n"
    "*    1:打开连接的所有机构(自动) (无论什么机构)                                *\n"
    "*    2:打开连接的首个COM口机构(自动)               \t\t\t*\n"
    "*    3:打开连接的KQUSB的机构(自动) （长短模块、批签机、高速制证机等）                     "
    "           *\n"
    "*    4:打开连接的DS打印机做机构(自动) ()                                *\n"
    "*    0:退出程序                                           *\n"
    "*-------------------------------------------------------*\n"
    "     请输入(0-9):";

const char* const kPrompt = "     请输入(0-9):";

size_t count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

class ConsoleMenus : public ::testing::Test {
  protected:
    void SetUp() override {
        scenario() = MachineScenario{};
        scenario().deviceType = 61442;
        scenario().stations = standardStations(10);
    }

    int run(const std::string& keys, const std::function<void(ConsoleState&)>& prepare = {}) {
        TextKeys source(keys);
        out.str("");
        Console console(channel, source, out, timing, log);
        if (prepare) prepare(console.state());
        const int rc = console.run();
        state = console.state();
        return rc;
    }

    static std::function<void(ConsoleState&)> at(int menu, int model, std::string devId = "") {
        return [=](ConsoleState& s) {
            s.connIndex = 3;
            s.modelIndex = model;
            s.menu = menu;
            s.devId = devId;
        };
    }

    devconsole::SdkChannel channel{sharedSdk()};
    std::ostringstream out;
    FakeTiming timing;
    RecordingLog log;
    ConsoleState state;
};

TEST_F(ConsoleMenus, FirstScreenThenKeyZeroExits) {
    EXPECT_EQ(run("0"), 1);
    EXPECT_EQ(out.str(), std::string(kFirstScreen) + "Exit\n");
}

TEST_F(ConsoleMenus, EndOfInputEndsTheRunCleanly) {
    EXPECT_EQ(run(""), 0);
    EXPECT_EQ(out.str(), kFirstScreen);
}

TEST_F(ConsoleMenus, UnknownKeyKeepsTheMenuAndALineEndShowsNoScreen) {
    EXPECT_EQ(run("x\n"), 0);
    EXPECT_EQ(count(out.str(), "请选择\n"), 2u);
    EXPECT_EQ(count(out.str(), kPrompt), 2u);
    EXPECT_EQ(state.menu, 0);
}

TEST_F(ConsoleMenus, OpeningThePrinterConnectionListsItsDevice) {
    EXPECT_EQ(run("41"), 0);
    const std::string text = out.str();
    EXPECT_NE(text.find("open DSPrinterAsDevice [ B] [ DS打印机款F002 ] Return:0\n"),
              std::string::npos);
    EXPECT_NE(text.find("*            机构 Demo(DSPrinterAsDevice DS打印机款F002  )"),
              std::string::npos);
    EXPECT_NE(text.find("*    1:全部进行                *\n"
                        "*    2:尝试[F002][高速][FAKE0000000001]机构进行操作"
                        "                                       *\n"
                        "*    9:上一页                                    *\n"),
              std::string::npos);
    EXPECT_EQ(state.menu, 4);
    EXPECT_EQ(state.modelIndex, 11);
    ASSERT_FALSE(scenario().requests.empty());
    const Json::Value& info = scenario().requests.back();
    EXPECT_EQ(info["funccode"].asString(), "get_dev_info");
    EXPECT_EQ(info["object_name"].asString(), "DSPrinterAsDevice");
    EXPECT_EQ(info["device_type"].asInt(), 61442);
    EXPECT_FALSE(info["async"].asBool());
}

TEST_F(ConsoleMenus, AllDevicesSelectionReachesTheDevice) {
    // "1" selects all devices: an empty "DevID", which selects by model.
    scenario().occupied = {2};
    EXPECT_EQ(run("4115"), 0);
    EXPECT_EQ(scenario().requests.back()["conditions"]["DevID"].asString(), "");
    EXPECT_NE(out.str().find("read_reader Return:0\n{\"data\":[[{\"part_has\":true,\"part_id\":2"),
              std::string::npos);
}

TEST_F(ConsoleMenus, FailedOpeningKeepsTheMenu) {
    // No serial mechanism class offers a check, so the serial connection never opens.
    EXPECT_EQ(run("22"), 0);
    EXPECT_NE(out.str().find("open COMDevice [ 9] [批签机FF款] Return:1167\n"), std::string::npos);
    EXPECT_EQ(state.menu, 1);
    EXPECT_EQ(state.modelIndex, -1);
}

TEST_F(ConsoleMenus, FailedDeviceListingEndsTheScreenWithoutPrompt) {
    // "AUTO" names no connection class, so nothing is found.
    EXPECT_EQ(run("1"), 0);
    const std::string text = out.str();
    const std::string failed =
        "read_reader Return:1167\n{\"msg\":\"设备未连接\",\"result\":1167}\n";
    ASSERT_GE(text.size(), failed.size());
    EXPECT_EQ(text.substr(text.size() - failed.size()), failed);
    EXPECT_EQ(state.menu, 4);
}

TEST_F(ConsoleMenus, DeviceListSelection) {
    scenario().devIds = {"A0000000000001", "B0000000000002", "C0000000000003"};
    struct Case {
        const char* key;
        int rc;
        const char* devId;
    };
    const Case cases[] = {
        {"1", 0, ""},
        {"2", 0, "A0000000000001"},
        {"3", 0, "B0000000000002"},
        {"4", 0, "C0000000000003"},
        {"9", 0, "KEPT"},
        {"5", 1, "KEPT"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(run(c.key, at(4, -1, "KEPT")), c.rc) << c.key;
        EXPECT_EQ(state.devId, c.devId) << c.key;
        EXPECT_EQ(state.menu, c.rc == 0 ? 5 : 4) << c.key;
    }
    EXPECT_NE(out.str().find("*    4:尝试[F002][高速][C0000000000003]"), std::string::npos);
}

TEST_F(ConsoleMenus, StationPages) {
    EXPECT_EQ(run("", at(6, 11)), 0);
    EXPECT_EQ(state.stations, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_NE(
        out.str().find("*    0:退出程序                                           *\n"
                       "*    1:尝试到达工位[0] [工位0]                                      *\n"),
        std::string::npos);
    EXPECT_NE(
        out.str().find("*    8:尝试到达工位[7] [工位7]                                      *\n"
                       "*    9:下 一页                                       *\n"),
        std::string::npos);

    // Page 2 goes on with the tenth station, as number 1.
    EXPECT_EQ(run("9", at(6, 11)), 0);
    EXPECT_EQ(state.stations, (std::vector<int>{9}));
    EXPECT_NE(
        out.str().find("*    0:上一页                                           *\n"
                       "*    1:尝试到达工位[9] [工位9]                                      *\n"
                       "*    9:下 一页"),
        std::string::npos);
    EXPECT_EQ(run("92", at(6, 11)), 1);
    EXPECT_EQ(run("99", at(6, 11)), 0);
    EXPECT_EQ(state.menu, 6);
    EXPECT_TRUE(scenario().moves.empty());
}

TEST_F(ConsoleMenus, TargetPageMovesAtOnce) {
    scenario().devIds = {"A0000000000001", "B0000000000002"};
    EXPECT_EQ(run("3", at(6, 11, "A0000000000001")), 0);
    ASSERT_EQ(scenario().moves.size(), 1u);
    Json::Value expected;
    expected["DevID"] = "A0000000000001";
    expected["target_id"] = 2;
    EXPECT_EQ(scenario().moves[0].conditions, expected);
    EXPECT_EQ(state.menu, 6);
}

TEST_F(ConsoleMenus, HighSpeedMachineAsksForTheStartStation) {
    scenario().deviceType = 128;
    EXPECT_EQ(run("3", at(6, 7)), 0);
    EXPECT_EQ(state.menu, 8);
    EXPECT_TRUE(scenario().moves.empty());
    EXPECT_NE(out.str().find("*    2:尝试由工位发出[1] [工位1]"), std::string::npos);

    EXPECT_EQ(run("32", at(6, 7)), 0);
    ASSERT_EQ(scenario().moves.size(), 1u);
    EXPECT_EQ(scenario().legs()[0], std::make_pair(1, 2));

    // Start page 2 and back: 9 to page 2, 9 to page 1, then 9 and 0 to the target page.
    EXPECT_EQ(run("391", at(6, 7)), 0);
    EXPECT_EQ(scenario().legs()[1], std::make_pair(9, 2));
    EXPECT_EQ(run("3990", at(6, 7)), 1);
    EXPECT_EQ(run("390", at(6, 7)), 0);
    EXPECT_EQ(state.menu, 6);
}

TEST_F(ConsoleMenus, RequestThatDoesNotFitItsBufferIsNotSent) {
    EXPECT_EQ(run("5", at(5, 11, std::string(2000, 'A'))), 0);
    EXPECT_TRUE(scenario().requests.empty());
    EXPECT_NE(out.str().find("read_reader Return:13\n\n"), std::string::npos);
}

TEST_F(ConsoleMenus, PowerOffAndState) {
    scenario().occupied = {4};
    EXPECT_EQ(run("45", at(5, 11)), 0);
    EXPECT_EQ(scenario().powerOffs, 1);
    EXPECT_NE(out.str().find("read_reader Return:0\n{\"msg\":\"成功\",\"result\":0}\n"),
              std::string::npos);
    EXPECT_NE(out.str().find("\"part_id\":4"), std::string::npos);
}

}  // namespace
}  // namespace devconsole_test
