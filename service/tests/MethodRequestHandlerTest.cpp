#include <gtest/gtest.h>

#include <cstring>

#include "FakeWeb.h"
#include "MethodRequestHandler.h"
#include "devsdk.h"

namespace {

std::string ReplyHead(size_t length) {
    return "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
           std::to_string(length) +
           "\r\nAccess-Control-Allow-Headers:X-CSRF-Token,X-Requested-With,Accept,Authorization,"
           "X-PINGOTHER,Content-Type\r\nAccess-Control-Allow-Origin:  "
           "*\r\nAccess-Control-Allow-Methods: GET,PUT,POST,DELETE,PATCH,OPTIONS\r\nCache-Control: "
           "no-store, must-revalidate\r\nPragma: no-cache\r\nExpires: 0\r\n\r\n";
}

class MethodHandler : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(lib_init_sdk(&device), 0); }
    void TearDown() override { lib_release_sdk(device); }

    lib_dev* device = nullptr;
};

TEST_F(MethodHandler, AnswersTheResultDocumentWhateverTheMethod) {
    MethodRequestHandler handler("/api/call_method/open_dev", device);
    struct Case {
        const char* method;
        const char* body;
        std::string document;
    } cases[] = {
        {"POST", "{\"funccode\":\"heart_beat\"}", "{\"msg\":\"成功\",\"result\":0}"},
        {"POST", "{}", "{\"msg\":\"函数不正确\",\"result\":1}"},
        {"POST", "not json", "{\"msg\":\"无效数据\",\"result\":13}"},
        {"GET", "", "{\"msg\":\"无效数据\",\"result\":13}"},
        {"OPTIONS", "", "{\"msg\":\"无效数据\",\"result\":13}"},
    };
    for (const Case& c : cases) {
        FakeRequest request;
        request.method = c.method;
        request.body = c.body;
        FakeResponse response;
        handler.HandleHttpRequest(request, response);
        EXPECT_EQ(response.sent, ReplyHead(c.document.size()) + c.document) << c.body;
    }
}

TEST_F(MethodHandler, WebSocketTwinSendsOnlyTheDocument) {
    MethodWSRequestHandler handler("/ws", device);
    FakeRequest request;
    request.body = "{\"funccode\":\"heart_beat\"}";
    FakeResponse response;
    handler.HandleHttpRequest(request, response);
    EXPECT_EQ(response.sent, "{\"msg\":\"成功\",\"result\":0}");
}

// When the result buffer cannot be had the client still gets a document.
class NoMemoryHandler : public MethodRequestHandler {
  public:
    using MethodRequestHandler::MethodRequestHandler;

  protected:
    ResultBuffer AllocateResultBuffer() override { return nullptr; }
};

TEST_F(MethodHandler, MissingResultBufferAnswersAnErrorDocument) {
    NoMemoryHandler handler("/api/call_method/heart_beat", device);
    FakeRequest request;
    request.body = "{\"funccode\":\"heart_beat\"}";
    FakeResponse response;
    handler.HandleHttpRequest(request, response);
    const std::string document = "{\"msg\":\"超出了最大值\",\"result\":4336}";
    EXPECT_EQ(response.sent, ReplyHead(document.size()) + document);
}

}  // namespace

namespace {

// Writes documents of chosen sizes, or nothing, in place of the SDK.
class ScriptedHandler : public MethodRequestHandler {
  public:
    ScriptedHandler() : MethodRequestHandler("/api/call_method/x", nullptr) {}
    size_t nextLength = 0;

  protected:
    int Call(const char*, char* out, bool) override {
        std::memset(out, 'd', nextLength);
        if (nextLength > 0) out[nextLength] = '\0';
        return 0;
    }
};

// The buffer is reused between calls: after any document it must read as
// zero again, or a method that writes nothing would answer the old text.
TEST(MethodHandlerBuffer, EveryCallStartsFromAZeroFilledBuffer) {
    ScriptedHandler handler;
    for (size_t length : {size_t{27}, size_t{0}, size_t{300000}, size_t{0}, size_t{70000},
                          size_t{65535}, size_t{0}, kResultBufferSize - 1, size_t{0}}) {
        handler.nextLength = length;
        FakeRequest request;
        FakeResponse response;
        handler.HandleHttpRequest(request, response);
        const std::string head = ReplyHead(length);
        ASSERT_EQ(response.sent.size(), head.size() + length) << length;
        EXPECT_EQ(response.sent.compare(0, head.size(), head), 0) << length;
        EXPECT_EQ(response.sent.find_first_not_of('d', head.size()), std::string::npos) << length;
    }
}

// Only texts the SDK itself reads as heart_beat are answered beside device calls.
TEST(HeartBeatRecognition, AgreesWithTheDispatcher) {
    const struct {
        std::string body;
        bool heartBeat;
    } cases[] = {
        {"{\"funccode\":\"heart_beat\"}", true},
        {" { \"funccode\" : \"heart_beat\", \"object_name\": \"KQUSBDevice\" } ", true},
        {"{\"funccode\":\"heart_beat\",\"funccode\":\"send_to_parts\"}", false},
        {"{\"funccode\":\"send_to_parts\",\"note\":\"heart_beat\"}", false},
        {"{\"funccode\":[\"heart_beat\"]}", false},
        {"{\"funccode\":\"heart_beat\"", false},
        {"[\"heart_beat\"]", false},
        {std::string("{\"funccode\":\"open_dev\"}\0{\"funccode\":\"heart_beat\"}", 49), false},
        {std::string("{\"funccode\":\"heart_beat\"}\0garbage", 33), true},
        {"{\"funccode\":\"\\u0068eart_beat\"}", false},
        {std::string(5000, '[') + "\"heart_beat\"" + std::string(5000, ']'), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NamesHeartBeat(c.body), c.heartBeat) << c.body.substr(0, 80);
}

TEST_F(MethodHandler, HeartBeatBesideDeviceCallsAnswersLikeTheSdk) {
    MethodRequestHandler handler("/api/call_method/send_to_parts", device);
    FakeRequest request;
    request.body = "{\"funccode\":\"heart_beat\",\"object_name\":\"KQUSBDevice\"}";
    FakeResponse quick, queued;
    ASSERT_TRUE(handler.AnswerWithoutDevice(request, quick));
    handler.HandleHttpRequest(request, queued);
    EXPECT_EQ(quick.sent, queued.sent);
    request.body = "{\"funccode\":\"get_dev_state\"}";
    FakeResponse none;
    EXPECT_FALSE(handler.AnswerWithoutDevice(request, none));
    EXPECT_EQ(none.sent, "");
}

}  // namespace
