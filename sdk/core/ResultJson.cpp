#include "core/ResultJson.h"

#include <cstring>
#include <memory>
#include <sstream>

namespace {

// The message work area of the writers: table message and caller message
// share 255 bytes, the last one kept for the NUL.
constexpr size_t kMessageArea = 255;

// Longest prefix of text, at most limit bytes, that does not end inside a
// UTF-8 sequence (a cut character would make the document invalid UTF-8).
std::string cutUtf8(const std::string& text, size_t limit) {
    if (text.size() <= limit) return text;
    size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

std::string safeText(const char* text) {
    return text ? std::string(text) : std::string();
}

Json::Value textOrNull(const char* data) {
    return data ? Json::Value(data) : Json::Value();
}

// Sets "msg" to the table message followed by msg when the code is in the table.
void setTableMessage(Json::Value& doc, int code, const char* msg, bool boundedArea) {
    const auto& table = BaseCode();
    auto it = table.find(code);
    if (it == table.end()) return;
    std::string text = it->second + safeText(msg);
    doc["msg"] = boundedArea ? cutUtf8(text, kMessageArea - 1) : text;
}

int writeDocument(int code, char* out, const Json::Value& doc) {
    json2string(out, doc, false);
    return code;
}

Json::Value baseDocument(int code) {
    Json::Value doc(Json::objectValue);
    doc["result"] = code;
    return doc;
}

Json::Value uuidDocument(int code, int uuid, const char* suuid) {
    Json::Value doc = baseDocument(code);
    doc["uuid"] = uuid;
    doc["suuid"] = safeText(suuid);
    return doc;
}

}  // namespace

std::string json2string(const Json::Value& value) {
    // Building a writer means building its settings document: keep one per
    // thread, since every SDK call writes a document.
    thread_local std::unique_ptr<Json::StreamWriter> writer = [] {
        Json::StreamWriterBuilder builder;
        builder["emitUTF8"] = true;
        builder["indentation"] = "";
        return std::unique_ptr<Json::StreamWriter>(builder.newStreamWriter());
    }();
    std::ostringstream text;
    writer->write(value, &text);
    return text.str();
}

void json2string(char* out, Json::Value value, bool styled) {
    std::string text;
    if (styled) {
        Json::StreamWriterBuilder builder;
        builder["emitUTF8"] = true;
        text = Json::writeString(builder, value);
    } else {
        text = json2string(value);
    }
    std::memcpy(out, text.c_str(), text.size() + 1);
}

int result_json_code(int code, char* out, const char* msg) {
    Json::Value doc = baseDocument(code);
    setTableMessage(doc, code, msg, false);
    return writeDocument(code, out, doc);
}

int result_json_code(int code, char* out, char* data, const char* msg) {
    Json::Value doc = baseDocument(code);
    setTableMessage(doc, code, msg, false);
    doc["data"] = textOrNull(data);
    return writeDocument(code, out, doc);
}

int result_json_code(int code, char* out, Json::Value data, const char* msg) {
    Json::Value doc = baseDocument(code);
    setTableMessage(doc, code, msg, true);
    doc["data"] = std::move(data);
    return writeDocument(code, out, doc);
}

int result_json_code(int code, char* out, int uuid, const char* suuid, const char* msg) {
    Json::Value doc = uuidDocument(code, uuid, suuid);
    setTableMessage(doc, code, msg, false);
    return writeDocument(code, out, doc);
}

int result_json_code(int code, char* out, int uuid, const char* suuid, char* data,
                     const char* msg) {
    Json::Value doc = uuidDocument(code, uuid, suuid);
    setTableMessage(doc, code, msg, false);
    doc["data"] = textOrNull(data);
    return writeDocument(code, out, doc);
}

int result_json_code(int code, char* out, int uuid, const char* suuid, Json::Value data,
                     const char* msg) {
    Json::Value doc = uuidDocument(code, uuid, suuid);
    setTableMessage(doc, code, msg, false);
    doc["data"] = std::move(data);
    return writeDocument(code, out, doc);
}

int result_json(int code, char* out, const char* msg) {
    Json::Value doc = baseDocument(code);
    doc["msg"] = safeText(msg);
    return writeDocument(code, out, doc);
}

int result_json(int code, char* out, const char* msg, char* data) {
    Json::Value doc = baseDocument(code);
    doc["msg"] = safeText(msg);
    doc["data"] = textOrNull(data);
    return writeDocument(code, out, doc);
}

int result_json(int code, char* out, const char* msg, Json::Value data) {
    Json::Value doc = baseDocument(code);
    doc["msg"] = safeText(msg);
    doc["data"] = std::move(data);
    return writeDocument(code, out, doc);
}
