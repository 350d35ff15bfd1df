#include <cstring>
#include <memory>
#include <sstream>
#include <string>

#include "kqCR80PrinterJson.h"

int parseJson(const char* text, Json::Value& value) {
    if (!text) return -1;
    try {
        Json::CharReaderBuilder builder;
        std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        std::string errors;
        const char* end = text + std::strlen(text);
        if (!reader->parse(text, end, &value, &errors) || !errors.empty()) return -1;
        return 0;
    } catch (...) {
        return -1;
    }
}

int parseJson2str(char* out, Json::Value& value, bool indented) {
    if (!out) return -1;
    try {
        Json::StreamWriterBuilder writer;
        writer["emitUTF8"] = true;
        if (!indented) writer["indentation"] = "";
        const std::string text = Json::writeString(writer, value);
        std::memcpy(out, text.c_str(), text.size() + 1);
        return 0;
    } catch (...) {
        return -1;
    }
}
