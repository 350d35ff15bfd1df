#include "CardPrint.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "DemoLog.h"
#include "DemoResult.h"
#include "LibCR80SDK.h"

namespace {

constexpr int kCardWidth = 1016;
constexpr int kCardHeight = 648;
constexpr size_t kAddressCapacity = 255;  // the longest address drawn is 254 bytes
const char* const kFont = "./fonts/msyh.ttc";

// Members read only when they have the expected type, so odd requests cannot throw.
std::string text(const Json::Value& object, const char* key) {
    if (!object.isObject()) return {};
    const Json::Value& v = object[key];
    return v.isString() ? v.asString() : std::string();
}

bool flag(const Json::Value& object, const char* key, bool otherwise) {
    if (!object.isObject()) return otherwise;
    const Json::Value& v = object[key];
    return v.isBool() ? v.asBool() : otherwise;
}

int number(const Json::Value& object, const char* key, int otherwise) {
    if (!object.isObject()) return otherwise;
    const Json::Value& v = object[key];
    return v.isInt() ? v.asInt() : otherwise;
}

bool present(const Json::Value& object, const char* key) {
    return object.isObject() && object.isMember(key);
}

// The address cut to 254 bytes at a character boundary.
std::string boundedAddress(const std::string& address) {
    if (address.size() < kAddressCapacity) return address;
    size_t n = kAddressCapacity - 1;
    while (n > 0 && (static_cast<unsigned char>(address[n]) & 0xC0) == 0x80) --n;
    return address.substr(0, n);
}

int drawText(LibCR80SDK& sdk, const char* printer, const std::string& s, double x, double y) {
    return sdk.libCR80DrawText(printer, s.c_str(), 0, x, y, 0, 0);
}

int finish(int code, char* result) {
    return result_json_code(code, result, "");
}

}  // namespace

void DrawAddrLen(int maxWidth, const char* text, char* line1, char* line2) {
    const size_t length = std::strlen(text);
    size_t n1 = 0, n2 = 0;
    double total = 0;
    bool second = false;
    for (size_t i = 0; i < length;) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t bytes = 1;
        double width = 1;
        if (lead < 0x80) {
            width = 0.5;
        } else if ((lead & 0xE0) == 0xC0) {
            bytes = 2;
        } else if ((lead & 0xF0) == 0xE0) {
            bytes = 3;
        } else if ((lead & 0xF8) == 0xF0) {
            bytes = 4;
        } else if ((lead & 0xFC) == 0xF8) {
            bytes = 5;
        } else if ((lead & 0xFE) == 0xFC) {
            bytes = 6;
        }
        // A character cut short by the end of the text ends there.
        if (bytes > length - i) bytes = length - i;
        total += width;
        if (total > maxWidth - 1) second = true;
        if (second) {
            std::memcpy(line2 + n2, text + i, bytes);
            n2 += bytes;
        } else {
            std::memcpy(line1 + n1, text + i, bytes);
            n1 += bytes;
        }
        i += bytes;
    }
    line1[n1] = 0;
    line2[n2] = 0;
}

int DrawContents(const char* printer, Json::Value& cardData, double dx, double dy) {
    LibCR80SDK* sdk = firstSdk();
    if (!sdk) return -1;
    writeLog("cr80_print_gx begin");
    int rc = sdk->libCR80SetFont(printer, kFont, 30);
    if (rc != 0) return rc;
    const int x = static_cast<int>(dx) + 252;
    const int y = static_cast<int>(dy) + 480;
    const std::string address = boundedAddress(text(cardData, "residence_address"));
    if (address.size() <= 21) {
        rc = drawText(*sdk, printer, address, x, y);
    } else {
        char line1[kAddressCapacity] = {0};
        char line2[kAddressCapacity] = {0};
        DrawAddrLen(21, address.c_str(), line1, line2);
        rc = drawText(*sdk, printer, line1, x, y);
        rc = drawText(*sdk, printer, line2, x, 528);
    }
    const std::string authority = text(cardData, "authority1");
    rc = drawText(*sdk, printer, authority, x, 576);
    writeLog("绘制" + authority + " r=" + std::to_string(rc));
    const std::string date = text(cardData, "qzrq1");
    rc = drawText(*sdk, printer, date, x + 550, static_cast<int>(dy) + 576);
    writeLog("绘制" + date + " r=" + std::to_string(rc));
    writeLog("cr80_print_gx end");
    return rc;
}

int libDrawCR80Image(const char* printer, const char* request, char* result) {
    writeLog("print_by_json begin");
    Json::Value doc;
    if (parseJson(request, doc) != 0) return finish(-1, result);
    if (!present(doc, "conditions") || !doc["conditions"].isObject())
        return result_json_code(13, result, "不存在conditions");
    const Json::Value& conditions = doc["conditions"];
    const Json::Value& settings = conditions["PrintSettings"];
    // "isDebug" has no effect.
    const bool rotate = flag(settings, "isRotate180", false);
    const bool exportFile = flag(settings, "export_file", false);
    const int width = number(settings, "width", kCardWidth);
    const int height = number(settings, "height", kCardHeight);
    const bool monochrome = flag(settings, "nMonoChroMode", false);

    // The last of these that is present names the card type.
    std::string cardType;
    if (present(settings, "CardType")) cardType = text(settings, "CardType");
    for (const char* key : {"CardType", "cardType", "card_type"})
        if (present(conditions, key)) cardType = text(conditions, key);
    if (cardType.empty()) return result_json_code(13, result, "不存在cardType");

    LibCR80SDK* sdk = firstSdk();
    if (!sdk) return finish(1114, result);
    int rc = sdk->libCR80PrepareCanvas(printer, 0, monochrome ? 1 : 0);
    if (rc != 0) return finish(rc, result);
    sdk->libCR80SetPreviewImg(printer, 0, rotate ? 180 : 0, 0, 0, 0.0f);

    std::string model = text(conditions, "DevID");
    if (cardType == "JZZGD") {
        model = "TRC44";
    } else if (cardType == "JZZGX") {
        model = "TRC45";
        sdk->libCR80SetEraseRect(printer, 0, 0, 574, 198);
    } else if (cardType == "WZWGRFWK") {
        model = "FRC4504";
    } else if (cardType == "JZZHN") {
        model = "TRC46";
    }

    const Json::Value& registered = conditions["RegisterData"];
    Json::Value cardData = registered.isArray() && !registered.empty() ? registered[0] : conditions;
    writeLog("cr80_print[" + model + "]");
    const int dx = (width - kCardWidth) / 2;
    const int dy = (height - kCardHeight) / 2;
    rc = DrawContents(printer, cardData, dx, dy);
    if (rc == 0) {
        const int drawn = 0;
        writeLog("draw_graphics_size[" + model + "]");
        writeLog("draw_graphics_to_arrays[" + model + "][" + std::to_string(drawn) + "]");
        int size = 0;
        rc = sdk->libCR80CommitCanvas(printer, nullptr, &size);
        if (rc == 0 && size <= 0) rc = -1;
        if (rc == 0) {
            std::vector<char> data(static_cast<size_t>(size), 0);
            rc = sdk->libCR80CommitCanvas(printer, data.data(), &size);
            if (rc == 0 && exportFile) {
                char path[1024] = {0};
                int pathLength = 0;
                rc = sdk->libCR80GetPreviewImg(printer, data.data(), path, &pathLength);
            }
            const int printSize = std::min(size, static_cast<int>(data.size()));
            if (rc == 0) rc = sdk->libCR80PrintDraw(printer, data.data(), printSize, 0, 0);
        }
    }
    sdk->libCR80ClearCanvas(printer);
    return finish(rc, result);
}
