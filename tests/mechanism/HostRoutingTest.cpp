// A host program with the SDK inside, its listener installed through the
// dispatcher, driving one simulated board: every target of send_to_parts.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "ControlClient.h"
#include "devsdk.h"

namespace {

std::vector<Json::Value>& events() {
    static std::vector<Json::Value> list;
    return list;
}

int listener(char* document) {
    Json::Value event;
    Json::Reader().parse(document, event);
    events().push_back(event);
    return 0;
}

class Host {
  public:
    Host() {
        EXPECT_EQ(lib_init_sdk(&mSdk), 0);
        EXPECT_EQ(add_event_listener(listener), 0);
    }
    ~Host() { lib_release_sdk(mSdk); }
    Json::Value Call(const std::string& body, int* rc = nullptr) {
        std::vector<char> out(1 << 20, 0);
        const int code = lib_call_method(mSdk, false, body.c_str(), out.data());
        if (rc != nullptr) *rc = code;
        Json::Value doc;
        Json::Reader().parse(out.data(), doc);
        return doc;
    }

  private:
    lib_dev* mSdk = nullptr;
};

int boardModel(kqtest::ControlClient& sim) {
    Json::Value action;
    action["action"] = "status";
    const std::string settings = sim.request(action)["devices"][0]["settings"].asString();
    return static_cast<int>(std::strtol(settings.substr(0, 2).c_str(), nullptr, 16));
}

struct Expected {
    int code;
    std::vector<int> events;
    int card;  // where the simulated card ends up
};

// What each target does to a card waiting at the front slot.
std::map<int, Expected> expectedFor(int model) {
    const bool transfer = model == 0x09 || model == 0x19;
    const int track = model == 0x02 ? 4 : 2;
    std::map<int, Expected> table = {
        {0, {0, {}, 0}},   {1, {0, {1}, track}}, {2, {0, {2}, track}}, {3, {0, {3}, track}},
        {4, {0, {10}, 0}}, {5, {0, {4, 5}, 5}},  {6, {0, {}, 0}},      {7, {0, {}, 0}},
        {8, {0, {8}, 8}},  {9, {13, {}, 0}},     {10, {0, {10}, 0}},   {11, {13, {}, 0}},
    };
    if (transfer) {
        // The 19 reads its slot sensor apart from s0, so its transfer feeds in first.
        const std::vector<int> ready =
            model == 0x19 ? std::vector<int>{2, 11, 10} : std::vector<int>{11, 10};
        std::vector<int> printer = ready;
        printer.push_back(5);
        table[4] = {0, ready, 11};
        table[10] = {0, ready, 11};
        table[11] = {0, ready, 11};
        table[5] = {0, printer, 5};
    }
    return table;
}

TEST(HostRouting, EveryTargetFromTheSlot) {
    kqtest::ControlClient sim;
    ASSERT_TRUE(sim.connected());
    const int model = boardModel(sim);
    const std::string select =
        R"("object_name":"KQUSBDevice","device_type":)" + std::to_string(model);
    Host host;
    int rc = -1;
    Json::Value opened = host.Call(R"({"funccode":"open_dev",)" + select + "}", &rc);
    ASSERT_EQ(rc, 0) << opened;
    ASSERT_EQ(events().size(), 1u);
    EXPECT_EQ(events()[0]["data"]["event_id"].asInt(), 1);
    EXPECT_EQ(events()[0]["data"]["event_msg"].asString(), "设备打开事件");

    Json::Value parts = host.Call(R"({"funccode":"get_part_list",)" + select + "}");
    std::map<int, std::string> names;
    for (const Json::Value& p : parts["data"])
        names[p["part_id"].asInt()] = p["part_name"].asString();

    for (const auto& [target, expected] : expectedFor(model)) {
        SCOPED_TRACE("model " + std::to_string(model) + " target " + std::to_string(target));
        Json::Value place;
        place["action"] = "place_card";
        place["station"] = 0;
        ASSERT_TRUE(sim.request(place)["ok"].asBool());
        events().clear();
        const Json::Value reply =
            host.Call(R"({"funccode":"send_to_parts",)" + select +
                          R"(,"conditions":{"target_id":)" + std::to_string(target) + "}}",
                      &rc);
        EXPECT_EQ(rc, expected.code);
        const std::string route = names.count(target) == 0
                                      ? std::string("传入的目标工位信息未查到")
                                      : "由[]--->[" + names[target] + "]的工位操作" +
                                            (expected.code == 0 ? "成功" : "失败");
        EXPECT_EQ(reply["msg"].asString(), (expected.code == 0 ? "成功" : "无效数据") + route);
        std::vector<int> seen;
        for (const Json::Value& e : events()) {
            EXPECT_EQ(e["data"]["event_id"].asInt(), 4);
            EXPECT_EQ(e["data"]["event_name"].asString(), "状态事件");
            seen.push_back(e["data"]["event_data"]["part_id"].asInt());
        }
        EXPECT_EQ(seen, expected.events);
        EXPECT_EQ(sim.mechanism()["card"].asInt(), expected.card);
    }
    host.Call(R"({"funccode":"close_dev","object_name":"KQUSBDevice"})", &rc);
    EXPECT_EQ(rc, 0);
}

}  // namespace
