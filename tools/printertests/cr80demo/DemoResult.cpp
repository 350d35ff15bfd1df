#include "DemoResult.h"

#include <cstring>
#include <memory>

namespace {

constexpr size_t kMessageLimit = 254;

// Cut at a UTF-8 character boundary so the message stays valid text.
std::string cut(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t n = limit;
    while (n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80) --n;
    return text.substr(0, n);
}

}  // namespace

std::string resultDocument(int code, const char* msg) {
    const std::string caller = cut(msg ? msg : "", kMessageLimit);
    const auto& table = BaseCode();
    const auto it = table.find(code);
    Json::Value doc(Json::objectValue);
    doc["result"] = code;
    doc["msg"] =
        (it != table.end() ? cut(it->second, kMessageLimit) : std::string("失败：")) + caller;
    return parseJson2str(doc, false);
}

int result_json_code(int code, char* out, const char* msg) {
    const std::string text = resultDocument(code, msg);
    std::memcpy(out, text.c_str(), text.size() + 1);
    return code;
}

int parseJson(const char* text, Json::Value& value) {
    if (!text) return -1;
    Json::CharReaderBuilder builder;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    const bool ok = reader->parse(text, text + std::strlen(text), &value, &errors);
    return ok && errors.empty() ? 0 : -1;
}

std::string parseJson2str(const Json::Value& value, bool styled) {
    Json::StreamWriterBuilder builder;
    builder["emitUTF8"] = true;
    if (!styled) builder["indentation"] = "";
    return Json::writeString(builder, value);
}
