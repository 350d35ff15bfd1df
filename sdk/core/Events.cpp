#include "core/Events.h"

#include <vector>

#include "core/Process.h"
#include "core/ResultJson.h"

namespace {
// Room the event document is given; larger documents get a buffer that fits.
constexpr size_t kEventBuffer = 10240;
}  // namespace

const std::map<int, std::string>& event_topic() {
    static const std::map<int, std::string> topics = {
        {1, "打开事件"}, {2, "关闭事件"}, {3, "清洁事件"},           {4, "状态事件"},
        {5, "状态事件"}, {6, "USB事件"},  {240, "函数结果异步回调"},
    };
    return topics;
}

void _OnEvent(EventListener listener, int eventId, const char* message, Json::Value& data) {
    if (listener == nullptr) return;
    auto it = event_topic().find(eventId);
    const bool known = it != event_topic().end();

    Json::Value event(Json::objectValue);
    event["event_id"] = eventId;
    event["event_name"] = known ? it->second : "UNKNOW";
    event["event_msg"] = message ? message : "";
    event["event_data"] = data;

    Json::Value doc(Json::objectValue);
    doc["result"] = 0;
    doc["msg"] = known ? it->second : "";
    doc["data"] = event;
    std::string text = json2string(doc);
    std::vector<char> buffer(text.size() + 1 > kEventBuffer ? text.size() + 1 : kEventBuffer, 0);
    text.copy(buffer.data(), text.size());
    listener(buffer.data());
}

void _OnEvent(EventListener listener, int eventId, char* message, Json::Value& data) {
    _OnEvent(listener, eventId, static_cast<const char*>(message), data);
}

void _OnEvent(EventListener listener, int eventId, char* message, char* dataText) {
    if (listener == nullptr) return;
    Json::Value data;
    if (convertString2json(dataText, data) != 0) return;
    _OnEvent(listener, eventId, static_cast<const char*>(message), data);
}
