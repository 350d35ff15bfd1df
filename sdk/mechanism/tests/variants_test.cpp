#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "ModelRig.h"
#include "mechanism/kqDev00.h"
#include "mechanism/kqDev01.h"
#include "mechanism/kqDev02.h"
#include "mechanism/kqDev88.h"
#include "mechanism/kqDevMid02.h"
#include "mechanism/kqDevMidCOM.h"

namespace {

template <class Map>
std::set<std::string> keys(const Map& map) {
    std::set<std::string> names;
    for (const auto& entry : map) names.insert(entry.first);
    return names;
}

TEST(Registry, ModelClassesAndTheirChecks) {
    EXPECT_EQ(keys(Registry<kqDevMid00>::class_set()),
              (std::set<std::string>{"kqDev00", "kqDev01", "kqDev02", "kqDev09", "kqDev19",
                                     "kqDev88", "kqDevMid00"}));
    EXPECT_EQ(keys(Registry<kqDevMid00>::func_set_static()),
              (std::set<std::string>{"kqDev00checkconnects", "kqDev01checkconnects",
                                     "kqDev02checkconnects", "kqDev09checkconnects",
                                     "kqDev19checkconnects", "kqDev88checkconnects",
                                     "kqDevMid00checkconnects"}));
    EXPECT_TRUE(Registry<kqDevMid00>::func_set().empty());
    EXPECT_EQ(keys(Registry<kqDevMid02>::class_set()), std::set<std::string>{"kqDevMid02"});
    EXPECT_EQ(keys(Registry<kqDevMidCOM>::class_set()), std::set<std::string>{"kqDevMidCOM"});
    EXPECT_TRUE(Registry<kqDevMidCOM>::func_set_static().empty());
}

TEST(Registry, StaticChecks) {
    AccessGuard access;
    access.bus = {{0x0483, 0x5742}, {0x0483, 0x5740}, {0x1d6b, 0x0002}, {0x0483, 0x5702}};
    struct Case {
        const char* name;
        int rc;
        const char* doc;  // null: the buffer stays as it was
    };
    const Case cases[] = {
        {"kqDev00checkconnects", 0, nullptr},
        {"kqDev01checkconnects", 1167, R"({"msg":"设备未连接","result":1167})"},
        {"kqDev02checkconnects", 1167, R"({"msg":"设备未连接","result":1167})"},
        {"kqDev09checkconnects", 1167, R"({"msg":"设备未连接","result":1167})"},
        {"kqDev19checkconnects", 1167, R"({"msg":"设备未连接","result":1167})"},
        {"kqDevMid00checkconnects", 0,
         R"({"data":["KQUSBDev_0x0483_0x5740","KQUSBDev_0x0483_0x5702"],"msg":"成功","result":0})"},
        {"kqDev88checkconnects", 0,
         R"({"data":["KQUSBDev_0x0483_0x5740","KQUSBDev_0x0483_0x5702"],"msg":"成功","result":0})"},
    };
    for (const Case& c : cases) {
        char out[512];
        std::strcpy(out, "untouched");
        EXPECT_EQ(Registry<kqDevMid00>::findStatic(c.name)("{}", out), c.rc) << c.name;
        EXPECT_STREQ(out, c.doc != nullptr ? c.doc : "untouched") << c.name;
    }
    char out[512] = "untouched";
    EXPECT_EQ(Registry<kqDevMid02>::findStatic("kqDevMid02checkconnects")("{}", out), -1);
    EXPECT_STREQ(out, "untouched");

    access.bus.clear();
    EXPECT_EQ(kqDevMid00::checkconnects("{}", out), 1167);
    EXPECT_STREQ(out, R"({"msg":"设备未连接","result":1167})");
    boardAccess().listUsb = [](std::vector<UsbId>&) { return false; };
    EXPECT_EQ(kqDev88::checkconnects("{}", out), 1167);
    EXPECT_STREQ(out, R"({"msg":"设备未连接无法列出UBS列表","result":1167})");
}

TEST(Registry, NoModelForCodesWithoutAClass) {
    for (const char* name : {"kqDev07", "kqDev70", "kqDev08", "kqDevFF"}) {
        EXPECT_EQ(Registry<kqDevMid00>::create(name), nullptr) << name;
    }
}

TEST(PartList, StationTablesInIdOrder) {
    kqDevMid00 standard;
    char out[4096];
    testing::internal::CaptureStdout();
    EXPECT_EQ(standard.get_part_list("ignored", out), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "part_list:10\n");
    Json::Value doc;
    Json::Reader().parse(out, doc);
    std::vector<int> ids;
    for (const Json::Value& part : doc["data"]) ids.push_back(part["part_id"].asInt());
    EXPECT_EQ(ids, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 10}));
    EXPECT_EQ(doc["data"][9]["part_name"].asString(), "准备打印位置");

    kqDevMid02 placeholder;
    testing::internal::CaptureStdout();
    EXPECT_EQ(placeholder.get_part_list("", out), 0);
    testing::internal::GetCapturedStdout();
    EXPECT_STREQ(out, R"({"data":[],"msg":"成功","result":0})");
}

TEST(Variants, AcceptWhenTheCardIsAlreadyInside) {
    struct Case {
        const char* what;
        std::function<int(BoardState&)> run;
        std::vector<short> commands;
    };
    const Case cases[] = {
        {"00 mode 1",
         [](BoardState& b) {
             ModelRig<kqDev00> rig;
             rig.board.sensors = b.sensors;
             const int rc = rig.model._AcceptCard(1, 5);
             b.sent = rig.board.sent;
             return rc;
         },
         {0x1002}},
        {"01 mode 0",
         [](BoardState& b) {
             ModelRig<kqDev01> rig;
             rig.board.sensors = b.sensors;
             const int rc = rig.model._AcceptCard(0, 5);
             b.sent = rig.board.sent;
             return rc;
         },
         {0x1002}},
        {"01 mode 1 feeds all the same",
         [](BoardState& b) {
             ModelRig<kqDev01> rig;
             rig.board.sensors = b.sensors;
             const int rc = rig.model._AcceptCard(1, 5);
             b.sent = rig.board.sent;
             return rc;
         },
         {0x1002, 0x4003, 0x4001, 0x1002}},
    };
    for (const Case& c : cases) {
        BoardState board;
        board.sensors[1] = 1;
        EXPECT_EQ(c.run(board), 0) << c.what;
        EXPECT_EQ(board.commands(), c.commands) << c.what;
    }
}

TEST(Variants, Model02SwapsTheInnerSensors) {
    ModelRig<kqDev02> rig(0x02);
    rig.board.sensors = {1, 0, 1};
    unsigned char relative[kSensorBytes] = {};
    ASSERT_EQ(rig.model._toGetSensorsRelative(relative), 0);
    EXPECT_EQ(relative[0], 1);
    EXPECT_EQ(relative[1], 1);
    EXPECT_EQ(relative[2], 0);

    // Feeding in therefore waits for the raw sensor 2.
    rig.board.sensors = {0, 0, 0};
    rig.board.afterCommand = [&](const Sent& s) {
        if (s.command == 0x4001) rig.board.sensors[2] = 1;
    };
    EXPECT_EQ(rig.model._AcceptCard(0, 100), 0);
    EXPECT_EQ(rig.board.count(0x1002), 2);
}

TEST(Variants, Model88EjectRetriesABadCheckByte) {
    ModelRig<kqDev88> rig(0x88);
    rig.board.sensors = {0, 1, 0};
    rig.board.queue(0x4002, Answer{236, 0, {}});
    rig.board.afterCommand = [&](const Sent& s) {
        if (s.command == 0x4002) rig.board.sensors = {1, 0, 0};
    };
    EXPECT_EQ(rig.model._EjectCard(1, 100), 0);
    EXPECT_EQ(rig.board.commands(), (std::vector<short>{0x1002, 0x4003, 0x4002, 0x4002, 0x1002}));
    EXPECT_TRUE(rig.board.sent[2].data.empty());
    EXPECT_EQ(rig.access.sleeps.front(), 20);
}

TEST(Variants, Model88BringsAPrinterSideCardBackFirst) {
    ModelRig<kqDev88> rig(0x88);
    rig.board.sensors = {0, 0, 1};
    rig.board.afterCommand = [&](const Sent& s) {
        if (s.command == 0x4001) rig.board.sensors = {0, 1, 0};
        if (s.command == 0x4002) rig.board.sensors = {1, 0, 0};
    };
    EXPECT_EQ(rig.model._EjectCard(1, 100), 0);
    EXPECT_EQ(rig.board.commands(),
              (std::vector<short>{0x1002, 0x4003, 0x4001, 0x1002, 0x4003, 0x4002, 0x1002}));
    EXPECT_EQ(rig.board.sent[1].data, Bytes{1});
    EXPECT_EQ(rig.eventParts(), std::vector<int>{3});

    // Printer-side card that never leaves it: the eject waits out its polls.
    ModelRig<kqDev88> stuck(0x88);
    stuck.board.sensors = {0, 1, 1};
    EXPECT_EQ(stuck.model._EjectCard(0, 100), 258);
    EXPECT_EQ(stuck.board.commands().back(), 0x4004);
}

TEST(Placeholders, AnswerMinusOne) {
    kqDevMid02 mid02;
    kqDevMidCOM serial;
    char out[256] = "untouched";
    EXPECT_EQ(mid02.send_to_parts("{}", out), -1);
    EXPECT_STREQ(out, "untouched");
    EXPECT_EQ(mid02._AcceptCard(0, 0), -1);
    EXPECT_EQ(mid02.open(), 1);
    EXPECT_EQ(mid02._PowerOff(1000), 1);
    Json::Value parts;
    EXPECT_EQ(mid02.readStateJson(parts), -1);
    EXPECT_EQ(serial.readStateJson(parts), -1);
    EXPECT_TRUE(parts.isNull());
    EXPECT_EQ(serial.open(), -1);
    EXPECT_EQ(serial.close(), -1);
    Json::Value doc;
    EXPECT_EQ(serial.toGetDevJsonOld(doc), -1);
    kqDev base;
    EXPECT_EQ(base.toGetDevJsonOld(doc), 1);
    EXPECT_EQ(base.errcode2value(0), "");
}

}  // namespace
