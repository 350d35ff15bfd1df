// devhttpd under kiosk-sim: each suite expects the boards its CTest entry gives
// kiosk-sim (see CMakeLists.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <set>

#include "ControlClient.h"
#include "Devhttpd.h"

namespace {

const char kSelect09[] = R"("device_type":9)";

std::vector<int> partIds(const Json::Value& state) {
    std::vector<int> ids;
    for (const Json::Value& mechanism : state["data"]) {
        for (const Json::Value& part : mechanism) ids.push_back(part["part_id"].asInt());
    }
    return ids;
}

bool place(kqtest::ControlClient& sim, int station, int board = 0) {
    Json::Value action;
    action["action"] = "place_card";
    action["board"] = board;
    action["station"] = station;
    return sim.request(action)["ok"].asBool();
}

int count(const std::vector<uint16_t>& commands, uint16_t command) {
    return static_cast<int>(std::count(commands.begin(), commands.end(), command));
}

class Service : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(sim.connected()) << "run under kiosk-sim --control";
        ASSERT_TRUE(service.Running());
    }
    kqtest::ControlClient sim;
    Devhttpd service;
};

using Board09 = Service;

TEST_F(Board09, OpenIdentifiesTheBoard) {
    EXPECT_EQ(service.Method("open_dev")["result"].asInt(), 1167);
    EXPECT_EQ(service.Method("open_dev", R"("device_type":0)")["result"].asInt(), 1167);

    const Json::Value opened = service.Method("open_dev", kSelect09);
    ASSERT_EQ(opened["result"].asInt(), 0) << opened;
    const Json::Value& ext = opened["data"]["KQUSBDev_0x0483_0x5740"]["DevExt"];
    ASSERT_EQ(ext.size(), 1u) << opened;
    const Json::Value& info = ext[0];
    // The simulator's default board: device id 12 34 56 78 9A BC DE.
    EXPECT_EQ(info["DevID"].asString(), "234567789ABCDE");
    EXPECT_EQ(info["SerialNumber"].asString(), "234567789ABCDE");
    EXPECT_EQ(info["deviceType_hex"].asString(), "09");
    EXPECT_EQ(info["deviceType_c"].asString(), "翻转");
    EXPECT_EQ(info["SER_CNT"].asInt(), 3);
    EXPECT_EQ(info["vid"].asInt(), 0);
    EXPECT_EQ(info["pid"].asInt(), 0);
    EXPECT_EQ(info["firmware"].asString(), "20180815");
    EXPECT_TRUE(info["connected"].asBool());
    EXPECT_EQ(info.size(), 21u);
    for (const char* key : {"Board", "pici", "PrinterID", "QRCodeGun"}) {
        EXPECT_TRUE(info[key].isString()) << key;
    }
    EXPECT_EQ(info["PrinterID"].asString(), "PRN00000001");
    EXPECT_EQ(info["QRCodeGun"].asString(), "QRC000000001");

    const Json::Value devInfo = service.Method("get_dev_info", kSelect09);
    EXPECT_EQ(devInfo["data"][0], info);

    const Json::Value parts = service.Method("get_part_list", kSelect09);
    std::vector<int> ids;
    for (const Json::Value& p : parts["data"]) ids.push_back(p["part_id"].asInt());
    EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));

    EXPECT_TRUE(partIds(service.Method("get_dev_state", kSelect09)).empty());

    sim.clearRequests();
    EXPECT_EQ(service.Method("poweroff_dev", kSelect09)["result"].asInt(), 0);
    EXPECT_EQ(service
                  .Method("poweroff_dev",
                          std::string(kSelect09) + R"(,"conditions":{"waittime":2500})")["result"]
                  .asInt(),
              0);
    std::vector<std::vector<uint8_t>> delays;
    for (const kqtest::SeenRequest& r : sim.requests()) {
        if (r.command == 0x0009) delays.push_back(r.data);
    }
    EXPECT_EQ(delays, (std::vector<std::vector<uint8_t>>{{0x01, 10}, {0x01, 25}}));

    EXPECT_EQ(service.Method("close_dev")["result"].asInt(), 0);
    EXPECT_EQ(service.Method("open_dev", kSelect09)["result"].asInt(), 0);
}

TEST_F(Board09, CardThroughTheStations) {
    ASSERT_EQ(service.Method("open_dev", kSelect09)["result"].asInt(), 0);
    Json::Value insert;
    insert["action"] = "insert_card";
    ASSERT_TRUE(sim.request(insert)["ok"].asBool());
    EXPECT_EQ(partIds(service.Method("get_dev_state", kSelect09)), std::vector<int>{0});

    struct Step {
        const char* conditions;
        const char* msg;
        int card;
        std::vector<int> state;
    };
    const Step steps[] = {
        {R"({"target_id":2,"part_id":0})",
         "成功由[前入卡口工位]--->[读卡器工位]的工位操作成功",
         2,
         {1, 2}},
        {R"({"target_name":"中转位置"})", "成功由[]--->[中转位置]的工位操作成功", 11, {11}},
        {R"({"target_id":5,"part_id":11})",
         "成功由[中转位置]--->[打印机工位]的工位操作成功",
         5,
         {}},
        {R"({"target_id":2})", "成功由[]--->[读卡器工位]的工位操作成功", 2, {1, 2}},
        {R"({"target_id":8})", "成功由[]--->[存卡位置]的工位操作成功", 8, {}},
    };
    for (const Step& s : steps) {
        const Json::Value reply = service.Call(
            R"({"funccode":"send_to_parts","object_name":"KQUSBDevice","device_type":9,"conditions":)" +
            std::string(s.conditions) + "}");
        EXPECT_EQ(reply["result"].asInt(), 0) << s.conditions << reply;
        EXPECT_EQ(reply["msg"].asString(), s.msg) << s.conditions;
        EXPECT_EQ(sim.mechanism()["card"].asInt(), s.card) << s.conditions;
        EXPECT_EQ(partIds(service.Method("get_dev_state", kSelect09)), s.state) << s.conditions;
    }
    EXPECT_EQ(sim.mechanism()["detained"].asInt(), 1);
}

TEST_F(Board09, RequestErrors) {
    ASSERT_EQ(service.Method("open_dev", kSelect09)["result"].asInt(), 0);
    struct Case {
        const char* body;
        int result;
        const char* msg;
    };
    const Case cases[] = {
        {R"({"funccode":"send_to_parts","device_type":9,"conditions":{"target_id":12}})", 13,
         "无效数据传入的目标工位信息未查到"},
        {R"({"funccode":"send_to_parts","device_type":9,"conditions":{"target_id":2,"part_id":42}})",
         13, "无效数据传入的起始工位信息未查到"},
        {R"({"funccode":"send_to_parts","device_type":9,"conditions":{"target_id":9}})", 13,
         "无效数据由[]--->[读卡位置和中转之间]的工位操作失败"},
        {R"({"funccode":"send_to_parts","device_type":9})", 13,
         "无效数据传入的内容不存在conditions"},
        {R"({"funccode":"send_to_parts", "device_type":9, "conditions":)", 13, "无效数据"},
    };
    sim.clearRequests();
    for (const Case& c : cases) {
        const Json::Value reply = service.Call(c.body);
        EXPECT_EQ(reply["result"].asInt(), c.result) << c.body;
        EXPECT_EQ(reply["msg"].asString(), c.msg) << c.body;
    }
    EXPECT_TRUE(sim.commands().empty());
}

TEST_F(Board09, ModuleFirmwareResetsAfterTheAccept) {
    ASSERT_EQ(service.Method("open_dev", kSelect09)["result"].asInt(), 0);
    ASSERT_TRUE(place(sim, 0));
    sim.clearRequests();
    const Json::Value reply = service.Method(
        "send_to_parts", std::string(kSelect09) + R"(,"conditions":{"target_id":2})");
    EXPECT_EQ(reply["result"].asInt(), 0);
    // The reader move reads the sensors, then feeds in with the module and
    // resets it on the accept's own thread.
    EXPECT_EQ(sim.commands(), (std::vector<uint16_t>{0x1002, 0x4003, 0x400D, 0x400A}));
    EXPECT_EQ(sim.mechanism()["module_ready"].asBool(), true);
}

using Board09Old = Service;

TEST_F(Board09Old, NoModuleCommandsBefore20180815) {
    ASSERT_EQ(service.Method("open_dev", kSelect09)["result"].asInt(), 0);
    ASSERT_TRUE(place(sim, 0));
    sim.clearRequests();
    for (int target : {2, 11, 5, 2, 0}) {
        const Json::Value reply = service.Method(
            "send_to_parts", std::string(kSelect09) + R"(,"conditions":{"target_id":)" +
                                 std::to_string(target) + "}}");
        EXPECT_EQ(reply["result"].asInt(), 0) << target << reply;
    }
    const std::vector<uint16_t> commands = sim.commands();
    EXPECT_EQ(count(commands, 0x400D), 0);
    EXPECT_EQ(count(commands, 0x400A), 0);
    EXPECT_GT(count(commands, 0x4001), 0);
    EXPECT_EQ(sim.mechanism()["card"].asInt(), 0);
}

using Board19 = Service;

TEST_F(Board19, BuiltIn2019FeedsPlainAndTurnsByOcr) {
    const std::string select = R"("device_type":25)";
    ASSERT_EQ(service.Method("open_dev", select)["result"].asInt(), 0);
    ASSERT_TRUE(place(sim, 2));
    sim.clearRequests();
    EXPECT_EQ(service.Method("send_to_parts", select + R"(,"conditions":{"target_id":2})")["result"]
                  .asInt(),
              0);
    const std::vector<uint16_t> fed = sim.commands();
    EXPECT_EQ(count(fed, 0x4001), 1);
    EXPECT_EQ(count(fed, 0x400D), 0);
    EXPECT_EQ(count(fed, 0x400A), 0);

    sim.clearRequests();
    EXPECT_EQ(service
                  .Method("send_to_parts",
                          select + R"(,"conditions":{"target_id":4,"accept_side_ocr":2})")["result"]
                  .asInt(),
              0);
    std::vector<uint8_t> positions;
    for (const kqtest::SeenRequest& r : sim.requests()) {
        if (r.command == 0x4009) positions.push_back(r.data.at(0));
    }
    // The module is reset first (not ready yet), turned to 3 for OCR value 2, and back.
    EXPECT_EQ(positions, (std::vector<uint8_t>{3, 0}));
    const Json::Value mechanism = sim.mechanism();
    EXPECT_EQ(mechanism["card"].asInt(), 11);
    EXPECT_EQ(mechanism["card_side"].asInt(), 3);
    EXPECT_EQ(partIds(service.Method("get_dev_state", select)), std::vector<int>{11});
}

TEST_F(Board19, PrinterMoveThatFailsRecordsThePrePrintStation) {
    const std::string select = R"("device_type":25)";
    ASSERT_EQ(service.Method("open_dev", select)["result"].asInt(), 0);
    ASSERT_TRUE(place(sim, 4));
    Json::Value refuse;
    refuse["action"] = "reply";
    refuse["cmd"] = "0x4002";
    refuse["state"] = 7;
    ASSERT_TRUE(sim.request(refuse)["ok"].asBool());
    const Json::Value reply =
        service.Method("send_to_parts", select + R"(,"conditions":{"target_id":5})");
    EXPECT_EQ(reply["result"].asInt(), 7);
    EXPECT_EQ(sim.mechanism()["card"].asInt(), 4);
    EXPECT_EQ(partIds(service.Method("get_dev_state", select)), std::vector<int>{4});
}

using EncipheredBlock = Service;

TEST_F(EncipheredBlock, SameDocumentAsAPlainBlock) {
    const Json::Value opened = service.Method("open_dev", kSelect09);
    ASSERT_EQ(opened["result"].asInt(), 0) << opened;
    const Json::Value& info = opened["data"]["KQUSBDev_0x0483_0x5740"]["DevExt"][0];
    // Device id 01 23 45 67 89 AB CD, sent enciphered.
    EXPECT_EQ(info["DevID"].asString(), "1234566789ABCD");
    EXPECT_EQ(info["PrinterID"].asString(), "PRN00000001");
}

using BadBlocks = Service;

TEST_F(BadBlocks, BoardsWithBadBlocksAreSkipped) {
    EXPECT_EQ(service.Method("open_dev", kSelect09)["result"].asInt(), 1167);
    sim.clearRequests();
    // Neither board stayed claimed: both answer a new open's identification.
    EXPECT_EQ(service.Method("open_dev", kSelect09)["result"].asInt(), 1167);
    const std::vector<kqtest::SeenRequest> seen = sim.requests();
    std::set<std::string> asked;
    for (const kqtest::SeenRequest& r : seen) {
        if (r.command == 0x1008) asked.insert(r.device);
    }
    EXPECT_EQ(asked, (std::set<std::string>{"board0", "board1"}));
}

using Board5704 = Service;

TEST_F(Board5704, RequestedModelWithoutProbe) {
    const Json::Value opened = service.Method("open_dev", R"("device_type":136)");
    ASSERT_EQ(opened["result"].asInt(), 0) << opened;
    const Json::Value& info = opened["data"]["KQUSBDev_0x0483_0x5704"]["DevExt"][0];
    EXPECT_EQ(info["deviceType_hex"].asString(), "88");
    EXPECT_EQ(count(sim.commands(), 0x3001), 1);  // the model's own identification only
    const Json::Value parts = service.Method("get_part_list", R"("device_type":136)");
    EXPECT_EQ(parts["data"].size(), 10u);
}

using Models = Service;

// For every station the card can be at, the model's state document names it.
TEST_F(Models, StateNamesTheCardStation) {
    Json::Value status;
    status["action"] = "status";
    const std::string settings = sim.request(status)["devices"][0]["settings"].asString();
    const int model = static_cast<int>(std::strtol(settings.substr(0, 2).c_str(), nullptr, 16));
    const std::string select = R"("device_type":)" + std::to_string(model);
    ASSERT_EQ(service.Method("open_dev", select)["result"].asInt(), 0);

    std::vector<int> stations = {0, 2, 4};
    if (model == 0x09) stations = {0, 2, 3, 4, 9, 11};
    if (model == 0x19) stations = {0, 2, 4, 9, 11};
    for (int station : stations) {
        ASSERT_TRUE(place(sim, station));
        const std::vector<int> ids = partIds(service.Method("get_dev_state", select));
        EXPECT_NE(std::find(ids.begin(), ids.end(), station), ids.end())
            << "model " << model << " station " << station;
    }
    for (int outside : {5, 8, -1}) {
        ASSERT_TRUE(place(sim, outside));
        EXPECT_TRUE(partIds(service.Method("get_dev_state", select)).empty()) << outside;
    }
}

using Feeding = Service;

TEST_F(Feeding, CardInsertedIsTakenInAfterSomePolls) {
    const std::string select = R"("device_type":0)";
    ASSERT_EQ(service.Method("open_dev", select)["result"].asInt(), 0);
    Json::Value insert;
    insert["action"] = "insert_card";
    ASSERT_TRUE(sim.request(insert)["ok"].asBool());
    sim.clearRequests();
    const Json::Value reply =
        service.Method("send_to_parts", select + R"(,"conditions":{"target_id":2})");
    EXPECT_EQ(reply["result"].asInt(), 0) << reply;
    const std::vector<uint16_t> commands = sim.commands();
    // Sensor reads until the card had travelled in (800 ms at speed 1).
    EXPECT_GE(count(commands, 0x1002), 2);
    EXPECT_LT(count(commands, 0x1002), 300);
    EXPECT_EQ(sim.mechanism()["card"].asInt(), 2);
}

TEST_F(Feeding, NoCardTimesOutAfterThreeHundredPolls) {
    const std::string select = R"("device_type":0)";
    ASSERT_EQ(service.Method("open_dev", select)["result"].asInt(), 0);
    ASSERT_TRUE(place(sim, -1));
    sim.clearRequests();
    const Json::Value reply =
        service.Method("send_to_parts", select + R"(,"conditions":{"target_id":2})");
    EXPECT_EQ(reply["result"].asInt(), 258);
    EXPECT_EQ(reply["msg"].asString(), "等待操作超时由[]--->[读卡器工位]的工位操作失败");
    const std::vector<uint16_t> commands = sim.commands();
    // The model 00 looks once before it feeds, then polls 300 times.
    EXPECT_EQ(count(commands, 0x1002), 301);
    EXPECT_EQ(commands.back(), 0x4001);
}

class Reconnect : public Service {
  protected:
    // Arms a fault on the detain command 0x4006, moves the card there, and
    // checks that one reopen and one repetition made the request succeed.
    void expectOneReopenAfter(const char* kind, int ms) {
        const std::string select = R"("device_type":0)";
        ASSERT_EQ(service.Method("open_dev", select)["result"].asInt(), 0);
        ASSERT_TRUE(place(sim, 2));
        Json::Value fault;
        fault["action"] = "fault";
        fault["kind"] = kind;
        fault["cmd"] = "0x4006";
        if (ms >= 0) fault["ms"] = ms;
        ASSERT_TRUE(sim.request(fault)["ok"].asBool());
        sim.clearRequests();
        const Json::Value reply =
            service.Method("send_to_parts", select + R"(,"conditions":{"target_id":8})");
        EXPECT_EQ(reply["result"].asInt(), 0) << reply;
        EXPECT_EQ(count(sim.commands(), 0x4006), 2);
        EXPECT_EQ(sim.mechanism()["card"].asInt(), 8);
        EXPECT_EQ(service.Method("get_part_list", select)["result"].asInt(), 0);
    }
};

// A board that does not answer once is opened again and asked again; the
// exchange waits out its 15 s timeout first.
TEST_F(Reconnect, LostReplyCostsOneReopen) {
    expectOneReopenAfter("no_reply", -1);
}

// The cable pulled during a command and put straight back: the exchange fails
// at once, the model opens the board again and repeats the command.
TEST_F(Reconnect, CableGlitchCostsOneReopen) {
    expectOneReopenAfter("unplug", 0);
}

TEST_F(Reconnect, PulledForGoodFailsAndTheServiceGoesOn) {
    const std::string select = R"("device_type":0)";
    ASSERT_EQ(service.Method("open_dev", select)["result"].asInt(), 0);
    Json::Value pull;
    pull["action"] = "fault";
    pull["kind"] = "unplug";
    pull["cmd"] = "0x4006";
    ASSERT_TRUE(sim.request(pull)["ok"].asBool());
    const Json::Value reply =
        service.Method("send_to_parts", select + R"(,"conditions":{"target_id":8})");
    // The reopen finds no board (1348), or finds it still listed while it goes
    // and fails to open it (-1).
    const int result = reply["result"].asInt();
    EXPECT_TRUE(result == 1348 || result == -1) << reply;
    if (result == 1348) {
        EXPECT_EQ(reply["msg"].asString(), "无效类由[]--->[存卡位置]的工位操作失败");
    }
    EXPECT_EQ(service.Method("heart_beat")["result"].asInt(), 0);
    EXPECT_EQ(service.Method("get_part_list", select)["result"].asInt(), 0);
}

}  // namespace
