#include "board/BoardConfig.h"

#include <cctype>
#include <sstream>

namespace ksim::board {

std::optional<BoardConfig> parseBoardSettings(const std::string& settings, std::string* error) {
    BoardConfig c;
    std::stringstream in(settings);
    std::string item;
    bool first = true;
    while (std::getline(in, item, ',')) {
        if (first) {
            first = false;
            auto type = parseHexNumber(item, 0xFF);
            if (!type) {
                *error = "board type '" + item + "' is not a hex code 00..FF";
                return std::nullopt;
            }
            c.deviceType = static_cast<uint8_t>(*type);
            continue;
        }
        auto eq = item.find('=');
        std::string key = item.substr(0, eq);
        std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
        if (key == "enc" && eq == std::string::npos) {
            c.enciphered = true;
        } else if (key == "pid") {
            auto v = parseNumber(value, 0xFFFF);
            if (!v || (*v != 0x5740 && *v != 0x5741 && *v != 0x5704)) {
                *error = "pid '" + value + "': expected 0x5740, 0x5741 or 0x5704";
                return std::nullopt;
            }
            c.productId = static_cast<uint16_t>(*v);
        } else if (key == "addr") {
            auto v = parseNumber(value, 99);
            if (!v) {
                *error = "addr '" + value + "': expected a number 0..99";
                return std::nullopt;
            }
            c.address = static_cast<uint8_t>(*v);
        } else if (key == "fw") {
            bool digits = value.size() == 8;
            for (char ch : value) digits = digits && std::isdigit(static_cast<unsigned char>(ch));
            if (!digits) {
                *error = "fw '" + value + "': expected YYYYMMDD";
                return std::nullopt;
            }
            c.firmware = value;
        } else if (key == "name") {
            if (value.empty() || value.size() > 200) {
                *error = "name must be 1 to 200 characters";
                return std::nullopt;
            }
            c.name = value;
        } else if (key == "devid") {
            auto v = parseHex(value);
            if (!v || v->size() != 7) {
                *error = "devid '" + value + "': expected 14 hex digits";
                return std::nullopt;
            }
            c.deviceId = *v;
        } else {
            *error = "unknown board setting '" + item + "'";
            return std::nullopt;
        }
    }
    if (first) {
        *error = "empty board settings";
        return std::nullopt;
    }
    return c;
}

std::string describe(const BoardConfig& c) {
    char buf[64];
    snprintf(buf, sizeof buf, "%02X,pid=0x%04X,addr=%u,fw=", c.deviceType, c.productId, c.address);
    std::string out = buf + c.firmware + ",name=" + c.name + ",devid=";
    for (uint8_t b : c.deviceId) {
        snprintf(buf, sizeof buf, "%02X", b);
        out += buf;
    }
    if (c.enciphered) out += ",enc";
    return out;
}

}  // namespace ksim::board
