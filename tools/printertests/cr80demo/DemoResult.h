#pragma once
// Result documents of the demo: {"msg":…,"result":code}. A code of the error table
// gets its table message followed by msg; any other code "失败：" followed by msg.
#include <json/json.h>

#include <map>
#include <string>

const std::map<int, std::string>& BaseCode();

// The document as text; at most about 600 bytes, as msg is cut to 254 bytes.
std::string resultDocument(int code, const char* msg);
// Writes the document with its NUL into out, which must hold 1,024 bytes.
int result_json_code(int code, char* out, const char* msg);

// 0 when text parses without any error, else -1.
int parseJson(const char* text, Json::Value& value);
// Compact (or styled) JSON text, raw UTF-8, keys in byte order.
std::string parseJson2str(const Json::Value& value, bool styled);
