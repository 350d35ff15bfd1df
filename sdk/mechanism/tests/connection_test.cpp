#include <gtest/gtest.h>

#include <vector>

#include "FakeBoard.h"
#include "core/VXDevice.h"
#include "link/COMDevice.h"
#include "link/KQUSBDevice.h"
#include "mechanism/kqDev09.h"
#include "mechanism/kqDev88.h"

namespace {

struct Opened {
    int rc;
    Json::Value doc;
};

Opened open(KQUSBDevice& connection, const char* args) {
    std::vector<char> out(1 << 16, 0);
    Opened result{connection.open_dev(args, out.data()), Json::Value()};
    Json::Reader().parse(out.data(), result.doc);
    return result;
}

class Connection : public ::testing::Test {
  protected:
    void SetUp() override {
        board.deviceType = 0x09;
        access.bus = {{0x1d6b, 0x0002}, {0x0483, 0x5742}, {0x0483, 0x5740}};
        EventLog::documents().clear();
    }
    BoardState board;
    AccessGuard access{&board};
};

TEST_F(Connection, OpensAnIdentifiedBoard) {
    KQUSBDevice connection;
    connection.addEventLister(EventLog::listener);
    const Opened r = open(connection, R"({"object_name":"KQUSBDevice","device_type":9})");
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.doc["msg"].asString(), "成功");
    const Json::Value& data = r.doc["data"];
    ASSERT_EQ(data.getMemberNames(), std::vector<std::string>{"KQUSBDev_0x0483_0x5740"});
    const Json::Value& ext = data["KQUSBDev_0x0483_0x5740"]["DevExt"];
    ASSERT_EQ(ext.size(), 1u);
    EXPECT_EQ(ext[0]["DevID"].asString(), "234567789ABCDE");
    EXPECT_EQ(ext[0]["deviceType_hex"].asString(), "09");
    EXPECT_EQ(ext[0]["vid"].asInt(), 0);
    EXPECT_EQ(access.opens, 1);

    ASSERT_EQ(EventLog::documents().size(), 1u);
    Json::Value event;
    Json::Reader().parse(EventLog::documents()[0], event);
    EXPECT_EQ(event["data"]["event_id"].asInt(), 1);
    EXPECT_EQ(event["data"]["event_msg"].asString(), "设备打开事件");
    EXPECT_EQ(event["data"]["event_data"], ext[0]);

    std::vector<kqDev*> found;
    ASSERT_EQ(connection.findObject("{}", found), 1);
    ASSERT_NE(dynamic_cast<kqDev09*>(found[0]), nullptr);
    EXPECT_EQ(found[0]->info().vid, 0x0483);
    EXPECT_EQ(found[0]->info().pid, 0x5740);

    char out[64] = "untouched";
    EXPECT_EQ(connection.close_dev("{}", out), 0);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(board.livePorts, 0);
    found.clear();
    EXPECT_EQ(connection.findObject("{}", found), 0);
}

TEST_F(Connection, NothingOpenedLeavesNoPortClaimed) {
    struct Case {
        const char* what;
        const char* args;
        std::function<void(BoardState&)> setup;
        int rc;
    };
    const Case cases[] = {
        {"no device_type", R"({"object_name":"KQUSBDevice"})", [](BoardState&) {}, 1167},
        {"other model code", R"({"device_type":0})", [](BoardState&) {}, 1167},
        {"bad marker", R"({"device_type":9})", [](BoardState& b) { b.block[63] = 0; }, 1167},
        {"bad checksum", R"({"device_type":9})", [](BoardState& b) { b.block[0] ^= 1; }, 1167},
        {"no model class", R"({"device_type":7})", [](BoardState& b) { b.deviceType = 7; }, 1167},
        {"not json", "{", [](BoardState&) {}, 13},
    };
    for (const Case& c : cases) {
        BoardState local;
        local.deviceType = 0x09;
        c.setup(local);
        AccessGuard guard(&local);
        guard.bus = access.bus;
        KQUSBDevice connection;
        EXPECT_EQ(open(connection, c.args).rc, c.rc) << c.what;
        EXPECT_EQ(local.livePorts, 0) << c.what;
        std::vector<kqDev*> found;
        EXPECT_EQ(connection.findObject("{}", found), 0) << c.what;
    }
}

TEST_F(Connection, UnaskedBoardTakesTheRequestedModel) {
    board.deviceType = 0x88;
    access.bus = {{0x0483, 0x5704}};
    KQUSBDevice connection;
    const Opened r = open(connection, R"({"device_type":136})");
    ASSERT_EQ(r.rc, 0);
    std::vector<kqDev*> found;
    ASSERT_EQ(connection.findObject("{}", found), 1);
    EXPECT_NE(dynamic_cast<kqDev88*>(found[0]), nullptr);
    EXPECT_EQ(board.commands().front(), 0x3001);  // only the model's own analysis asks
    EXPECT_EQ(board.count(0x3001), 1);
}

TEST_F(Connection, FindObjectCriteria) {
    BoardState second;
    second.deviceType = 0x19;
    second.block = plainBlock({0x01, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11}, "P2", "Q2");
    access.bus = {{0x0483, 0x5740}, {0x0483, 0x5741}};
    access.boardsByPid[0x5741] = &second;
    KQUSBDevice connection;
    // Each board gets the model of its own code; each group answers with the
    // objects the request selects.
    const Opened r = open(connection, R"({"device_type":9})");
    ASSERT_EQ(r.rc, 0);
    EXPECT_EQ(r.doc["data"]["KQUSBDev_0x0483_0x5741"]["DevExt"][0]["deviceType"].asInt(), 9);

    struct Case {
        const char* args;
        std::vector<unsigned int> types;
    };
    const Case cases[] = {
        {"{}", {0x09, 0x19}},
        {"not json", {0x09, 0x19}},
        {R"({"device_type":25})", {0x19}},
        {R"({"deviceType":9,"device_type":25})", {0x19}},
        {R"({"conditions":{"DevID":"11111111111111"},"device_type":9})", {0x19}},
        {R"({"conditions":{"DevID":"nothing"}})", {}},
        // An empty text is no criterion: the selection falls through.
        {R"({"conditions":{"DevID":""},"device_type":25})", {0x19}},
        {R"({"conditions":{"DevID":""}})", {0x09, 0x19}},
        {R"({"conditions":{"DevID":""},"deviceType_hex":"","deviceType_c":""})", {0x09, 0x19}},
        {R"({"deviceType_hex":"19"})", {0x19}},
        {R"({"deviceType_c":"翻转"})", {0x09}},
        {R"({"deviceType_c":"翻"})", {}},
    };
    for (const Case& c : cases) {
        std::vector<kqDev*> found;
        connection.findObject(c.args, found);
        std::vector<unsigned int> types;
        for (kqDev* model : found) types.push_back(model->info().deviceType);
        EXPECT_EQ(types, c.types) << c.args;
    }
    EXPECT_EQ(board.livePorts, 1);
    EXPECT_EQ(second.livePorts, 1);
}

TEST_F(Connection, DispatcherDrivesTheModels) {
    board.sensors = {0, 0, 0, 0, 1, 0, 0, 1};
    VXDevice sdk;
    sdk._add_event_listener(EventLog::listener);
    std::vector<char> out(1 << 16, 0);
    auto call = [&](const std::string& args) {
        std::fill(out.begin(), out.end(), 0);
        const int rc = sdk.call_method(args.c_str(), out.data(), false);
        Json::Value doc;
        Json::Reader().parse(out.data(), doc);
        return std::make_pair(rc, doc);
    };
    const std::string select = R"("object_name":"KQUSBDevice","device_type":9)";
    auto opened = call(R"({"funccode":"open_dev",)" + select + "}");
    ASSERT_EQ(opened.first, 0);
    EXPECT_EQ(EventLog::documents().size(), 1u);

    auto state = call(R"({"funccode":"get_dev_state",)" + select + "}");
    EXPECT_EQ(state.first, 0);
    ASSERT_EQ(state.second["data"][0].size(), 1u);
    EXPECT_EQ(state.second["data"][0][0]["part_id"].asInt(), 9);

    testing::internal::CaptureStdout();
    auto parts = call(R"({"funccode":"get_part_list",)" + select + "}");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(parts.second["data"].size(), 12u);

    board.sent.clear();
    auto power =
        call(R"({"funccode":"poweroff_dev",)" + select + R"(,"conditions":{"waittime":2500}})");
    EXPECT_EQ(power.first, 0);
    ASSERT_EQ(board.sent.size(), 1u);
    EXPECT_EQ(board.sent[0].data, (Bytes{0x01, 25}));

    board.sensors = {1, 0, 0};
    auto moved =
        call(R"({"funccode":"send_to_parts",)" + select + R"(,"conditions":{"target_id":11}})");
    EXPECT_EQ(moved.first, 0);
    EXPECT_EQ(moved.second["msg"].asString(), "成功由[]--->[中转位置]的工位操作成功");
    EXPECT_EQ(EventLog::documents().size(), 3u);

    auto closed = call(R"({"funccode":"close_dev","object_name":"KQUSBDevice"})");
    EXPECT_EQ(closed.first, 0);
    EXPECT_EQ(board.livePorts, 0);
}

TEST(SerialConnection, HasNoSerialModelsToOpen) {
    char out[256];
    EXPECT_EQ(COMDevice::checkconnects("{}", out), 1167);
    COMDevice connection;
    EXPECT_EQ(connection.open_dev("{}", out), 1167);
    EXPECT_EQ(connection.open_dev(R"({"device_type":9})", out), 1);
    EXPECT_EQ(connection.close_dev("{}", out), 1);
    std::vector<kqDev*> found;
    EXPECT_EQ(connection.findObject("{}", found), 0);
}

}  // namespace
