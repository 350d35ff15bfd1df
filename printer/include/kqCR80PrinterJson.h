// JSON text helpers exported by the printer driver (C++ callers only).
#pragma once

#include <json/json.h>

// 0, or -1 when `text` is not a JSON document.
int parseJson(const char* text, Json::Value& value);
// Writes `value` into `out` (which must hold it): compact unless `indented`.
int parseJson2str(char* out, Json::Value& value, bool indented);
