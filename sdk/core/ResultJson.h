// Result documents: the compact JSON text every SDK method writes into the
// caller's buffer, with the process-wide error table.
#pragma once

#include <json/json.h>

#include <map>
#include <string>

// The 49-entry error table, code to Chinese message.
const std::map<int, std::string>& BaseCode();

// "result", and "msg" (table message + msg) when the code is in the table.
int result_json_code(int code, char* out, const char* msg);
int result_json_code(int code, char* out, char* data, const char* msg);
int result_json_code(int code, char* out, Json::Value data, const char* msg);
int result_json_code(int code, char* out, int uuid, const char* suuid, const char* msg);
int result_json_code(int code, char* out, int uuid, const char* suuid, char* data, const char* msg);
int result_json_code(int code, char* out, int uuid, const char* suuid, Json::Value data,
                     const char* msg);

// "result" and "msg" = msg unchanged, whatever the code.
int result_json(int code, char* out, const char* msg);
int result_json(int code, char* out, const char* msg, char* data);
int result_json(int code, char* out, const char* msg, Json::Value data);

// Serialises value into out (compact unless styled), raw UTF-8, keys in byte order.
void json2string(char* out, Json::Value value, bool styled);

// The same text as a string, for callers that size their own buffers.
std::string json2string(const Json::Value& value);
