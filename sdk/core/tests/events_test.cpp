#include "core/Events.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> delivered;
int capture(char* doc) {
    delivered.push_back(doc);
    return 0;
}

class EventsTest : public ::testing::Test {
  protected:
    void SetUp() override { delivered.clear(); }
};

TEST_F(EventsTest, DocumentPerId) {
    struct Case {
        int id;
        const char* expected;
    };
    const Case cases[] = {
        {4,
         R"({"data":{"event_data":{"pos":2},"event_id":4,"event_msg":"状态变更事件","event_name":"状态事件"},"msg":"状态事件","result":0})"},
        {5,
         R"({"data":{"event_data":{"pos":2},"event_id":5,"event_msg":"状态变更事件","event_name":"状态事件"},"msg":"状态事件","result":0})"},
        {7,
         R"({"data":{"event_data":{"pos":2},"event_id":7,"event_msg":"状态变更事件","event_name":"UNKNOW"},"msg":"","result":0})"},
    };
    for (const Case& c : cases) {
        Json::Value data;
        data["pos"] = 2;
        _OnEvent(capture, c.id, "状态变更事件", data);
    }
    // An unknown id stays unknown when raised again.
    Json::Value data;
    data["pos"] = 2;
    _OnEvent(capture, 7, "状态变更事件", data);
    ASSERT_EQ(delivered.size(), 4u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(delivered[i], cases[i].expected);
    EXPECT_EQ(delivered[3], cases[2].expected);
}

TEST_F(EventsTest, TextDataIsParsedAndBadTextDropsTheEvent) {
    char message[] = "设备打开事件";
    char good[] = R"({"a":[1]})";
    char bad[] = "{oops";
    _OnEvent(capture, 1, message, good);
    _OnEvent(capture, 1, message, bad);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_NE(delivered[0].find(R"("event_data":{"a":[1]})"), std::string::npos);
}

TEST_F(EventsTest, NoListenerNoEffect) {
    Json::Value data;
    _OnEvent(nullptr, 4, "x", data);
    EXPECT_TRUE(delivered.empty());
}

TEST_F(EventsTest, LargeEventDataIsDeliveredWhole) {
    Json::Value data(std::string(20000, 'z'));
    _OnEvent(capture, 4, "x", data);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_GT(delivered[0].size(), 20000u);
}

}  // namespace
