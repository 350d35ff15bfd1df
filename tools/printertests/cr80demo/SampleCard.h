#pragma once
// The sample print request: a residence permit with made-up texts and the built-in
// photo.
#include <json/json.h>

// The sample portrait, a base64-encoded JPEG of 34,672 characters.
extern const char photo_jpg[];

void hn_data(const char* serialNumber, int width, int height, bool rotate, bool exportFile,
             Json::Value& out);
