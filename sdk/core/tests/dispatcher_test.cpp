#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/VXDevice.h"
#include "mechanism/kqDev.h"

namespace {

// What the test connections and mechanisms saw.
struct Observed {
    int opens = 0;
    int destroyed = 0;
    int lastPowerWait = -1;
    bool refuseCheck = false;
    bool failOpen = false;
    bool failClose = false;
    Json::Value state = Json::Value(Json::objectValue);
    std::vector<std::string> asked;
    EventListener listenerAtOpen = nullptr;
};
Observed seen;

class FakeMechanism : public kqDev {
  public:
    int _PowerOff(int waitMs) override {
        seen.lastPowerWait = waitMs;
        return 0;
    }
    void toGetStateJson(Json::Value& state) override { state = seen.state; }
    void toGetDevJson(Json::Value& info) override { info = seen.state; }
    int get_part_list(const char*, char* out) override { return result_json_code(0, out, "parts"); }
    int send_to_parts(const char*, char* out) override { return result_json_code(22, out, ""); }
};

template <const char* Name>
class FakeConnection : public BaseDevice {
  public:
    ~FakeConnection() override { ++seen.destroyed; }
    int open_dev(const char*, char* out) override {
        ++seen.opens;
        seen.listenerAtOpen = mListener;
        if (seen.failOpen) return result_json_code(1167, out, "");
        return result_json_code(0, out, "");
    }
    int close_dev(const char*, char* out) override {
        return seen.failClose ? result_json_code(21, out, "") : 0;
    }
    int findObject(const char*, std::vector<kqDev*>& found) override {
        seen.asked.push_back(Name);
        found.push_back(&mechanism_);
        return 0;
    }
    static int checkconnects(const char*, char* out) {
        return seen.refuseCheck ? result_json_code(1167, out, "") : 0;
    }
    static std::unique_ptr<BaseDevice> _CreateObjectByName() {
        return std::make_unique<FakeConnection>();
    }

  private:
    FakeMechanism mechanism_;
};

constexpr char kTest[] = "TestConn";
constexpr char kOther[] = "ATestConn";
constexpr char kNoCheck[] = "NoCheckConn";
using TestConn = FakeConnection<kTest>;
using OtherConn = FakeConnection<kOther>;
using NoCheckConn = FakeConnection<kNoCheck>;

ClassRegistration<BaseDevice, TestConn> registerTest(kTest);
StaticRegistration<BaseDevice> registerTestCheck(kTest, "checkconnects", &TestConn::checkconnects);
ClassRegistration<BaseDevice, OtherConn> registerOther(kOther);
StaticRegistration<BaseDevice> registerOtherCheck(kOther, "checkconnects",
                                                  &OtherConn::checkconnects);
ClassRegistration<BaseDevice, NoCheckConn> registerNoCheck(kNoCheck);

int someListener(char*) {
    return 0;
}

class DispatcherTest : public ::testing::Test {
  protected:
    void SetUp() override { seen = Observed(); }

    std::string call(const std::string& args, int* code = nullptr) {
        std::vector<char> out(65536, 0);
        int r = device_.call_method(args.c_str(), out.data(), false);
        if (code) *code = r;
        return out.data();
    }

    VXDevice device_;
};

TEST_F(DispatcherTest, CallRouting) {
    struct Case {
        const char* args;
        int code;
        const char* doc;
    };
    const Case cases[] = {
        {R"({"funccode":"heart_beat"})", 0, R"({"msg":"成功","result":0})"},
        {R"({"funccode":"heart_beat","async":true})", 0, R"({"msg":"成功","result":0})"},
        {"{}", 1, R"({"msg":"函数不正确","result":1})"},
        {R"({"funccode":"no_such"})", 1, R"({"msg":"函数不正确","result":1})"},
        {R"({"funccode":["heart_beat"]})", 1, R"({"msg":"函数不正确","result":1})"},
        {"abc", 13, R"({"msg":"无效数据","result":13})"},
        {"", 13, R"({"msg":"无效数据","result":13})"},
    };
    for (const Case& c : cases) {
        int code = -99;
        EXPECT_EQ(call(c.args, &code), c.doc) << c.args;
        EXPECT_EQ(code, c.code) << c.args;
    }
}

TEST_F(DispatcherTest, OpenFailures) {
    struct Case {
        const char* args;
        const char* doc;
    };
    const Case cases[] = {
        {R"({"funccode":"open_dev"})",
         R"({"msg":"无效数据传入Json数据无效，不存在指定对象类型传参","result":13})"},
        {R"({"funccode":"open_dev","object_name":"KQNoSuchDevice"})",
         R"({"msg":"无效数据传入Json数据无效，对象列表种不存在指定对象类型","result":13})"},
        {R"({"funccode":"open_dev","object_name":"NoCheckConn"})",
         R"({"msg":"无效数据传入Json数据无效，不存在连接检测函数","result":13})"},
    };
    for (const Case& c : cases) EXPECT_EQ(call(c.args), c.doc) << c.args;
    std::vector<char> out(256);
    EXPECT_EQ(device_.open_dev("{", out.data()), 13);
    EXPECT_STREQ(out.data(), R"({"msg":"无效数据传入Json数据无效，无法转换","result":13})");
    EXPECT_EQ(seen.opens, 0);
}

TEST_F(DispatcherTest, OpenTwiceSaysItExists) {
    const std::string open = R"({"funccode":"open_dev","object_name":"TestConn"})";
    EXPECT_EQ(call(open), R"({"msg":"成功","result":0})");
    EXPECT_EQ(call(open), R"({"msg":"成功已存在","result":0})");
    EXPECT_EQ(seen.opens, 1);
}

TEST_F(DispatcherTest, RefusedCheckOrFailedOpenLeavesNothingOpen) {
    const std::string open = R"({"funccode":"open_dev","object_name":"TestConn"})";
    seen.refuseCheck = true;
    int code = 0;
    EXPECT_EQ(call(open, &code), R"({"msg":"设备未连接","result":1167})");
    EXPECT_EQ(code, 1167);
    EXPECT_EQ(seen.opens, 0);

    seen.refuseCheck = false;
    seen.failOpen = true;
    call(open, &code);
    EXPECT_EQ(code, 1167);
    EXPECT_EQ(seen.destroyed, 1) << "the failed connection is discarded";

    seen.failOpen = false;
    EXPECT_EQ(call(open), R"({"msg":"成功","result":0})") << "a later open starts afresh";
}

TEST_F(DispatcherTest, CloseCases) {
    EXPECT_EQ(call(R"({"funccode":"close_dev","object_name":"TestConn"})"),
              R"({"msg":"成功","result":0})")
        << "a name that is not open closes successfully";
    EXPECT_EQ(call(R"({"funccode":"close_dev"})"),
              R"({"msg":"无效数据没有传入对象名称object_name","result":13})");

    call(R"({"funccode":"open_dev","object_name":"TestConn"})");
    seen.failClose = true;
    int code = 0;
    call(R"({"funccode":"close_dev","object_name":"TestConn"})", &code);
    EXPECT_EQ(code, 21);
    EXPECT_EQ(seen.destroyed, 0) << "a failed close keeps the connection";

    seen.failClose = false;
    EXPECT_EQ(call(R"({"funccode":"close_dev","object_name":"TestConn"})"),
              R"({"msg":"成功","result":0})");
    EXPECT_EQ(seen.destroyed, 1);
    call(R"({"funccode":"open_dev","object_name":"TestConn"})");
    EXPECT_EQ(seen.opens, 2) << "after closing, open opens again";
}

TEST_F(DispatcherTest, PowerOffWaitTime) {
    struct Case {
        const char* args;
        int wait;
    };
    const Case cases[] = {
        {R"({"funccode":"poweroff_dev","object_name":"TestConn"})", 1000},
        {R"({"funccode":"poweroff_dev","object_name":"TestConn","conditions":{}})", 1000},
        {R"({"funccode":"poweroff_dev","object_name":"TestConn","conditions":{"waittime":300}})",
         300},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(call(c.args), R"({"msg":"成功","result":0})");
        EXPECT_EQ(seen.lastPowerWait, c.wait) << c.args;
    }
}

TEST_F(DispatcherTest, NothingFound) {
    struct Case {
        const char* funccode;
        const char* doc;
    };
    const Case cases[] = {
        {"get_dev_state", R"({"msg":"设备未连接","result":1167})"},
        {"get_dev_info", R"({"msg":"设备未连接","result":1167})"},
        {"poweroff_dev", R"({"msg":"无效数据","result":13})"},
        {"send_to_parts", R"({"msg":"无效数据","result":13})"},
        {"get_part_list", R"({"msg":"无效数据","result":13})"},
    };
    for (const Case& c : cases) {
        std::string args =
            std::string(R"({"object_name":"KQNoSuchDevice","funccode":")") + c.funccode + "\"}";
        EXPECT_EQ(call(args), c.doc) << c.funccode;
    }
}

TEST_F(DispatcherTest, StateDocumentsAndAutomaticOpen) {
    const std::string state = R"({"funccode":"get_dev_state","object_name":"TestConn"})";
    EXPECT_EQ(call(state), R"({"msg":"成功","result":0})") << "empty states give no data";
    EXPECT_EQ(seen.opens, 1) << "the first request opened the connection it names";
    EXPECT_EQ(call(R"({"funccode":"get_dev_info","object_name":"TestConn"})"),
              R"({"data":null,"msg":"成功","result":0})");

    seen.state["pos"] = "front";
    EXPECT_EQ(call(state), R"({"data":[{"pos":"front"}],"msg":"成功","result":0})");
    EXPECT_EQ(call(R"({"funccode":"get_part_list","object_name":"TestConn"})"),
              R"({"msg":"成功parts","result":0})");
    int code = 0;
    call(R"({"funccode":"send_to_parts","object_name":"TestConn"})", &code);
    EXPECT_EQ(code, 22);
}

TEST_F(DispatcherTest, WithoutObjectNameEveryConnectionIsAskedInKeyOrder) {
    call(R"({"funccode":"open_dev","object_name":"TestConn"})");
    call(R"({"funccode":"open_dev","object_name":"ATestConn"})");
    seen.state["x"] = 1;
    EXPECT_EQ(call(R"({"funccode":"get_dev_state"})"),
              R"({"data":[{"x":1},{"x":1}],"msg":"成功","result":0})");
    EXPECT_EQ(seen.asked, (std::vector<std::string>{"ATestConn", "TestConn"}));
}

TEST_F(DispatcherTest, CleanAndFilterWriteNoDocument) {
    std::vector<char> out(64, 'k');
    out.back() = '\0';
    EXPECT_EQ(device_.clean_dev("{}", out.data()), 3);
    EXPECT_EQ(device_.add_filter_dev(R"({"FilterLst":["a",7,{"o":1},null]})", out.data()), 0);
    EXPECT_EQ(out[0], 'k');
    EXPECT_EQ(device_.filters(), (std::vector<std::string>{"a", "7", ""}));
    EXPECT_EQ(device_.add_filter_dev("not json", out.data()), 0);
}

TEST_F(DispatcherTest, ListenerReachesConnections) {
    device_._add_event_listener(someListener);
    call(R"({"funccode":"open_dev","object_name":"TestConn"})");
    EXPECT_EQ(seen.listenerAtOpen, &someListener);
}

}  // namespace
