#include "core/Hex.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace ksim {

std::string toHex(const uint8_t* data, size_t len) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(len * 3);
    for (size_t i = 0; i < len; ++i) {
        if (i) out += ' ';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0F];
    }
    return out;
}

static int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::optional<Bytes> parseHex(const std::string& text) {
    Bytes out;
    int high = -1;
    for (char c : text) {
        if (c == ' ' || c == ':' || c == '-') {
            if (high >= 0) return std::nullopt;
            continue;
        }
        int d = hexDigit(c);
        if (d < 0) return std::nullopt;
        if (high < 0) {
            high = d;
        } else {
            out.push_back(static_cast<uint8_t>(high << 4 | d));
            high = -1;
        }
    }
    if (high >= 0) return std::nullopt;
    return out;
}

static std::optional<unsigned long> parseIn(const std::string& digits, int base,
                                            unsigned long max) {
    if (digits.empty() || !std::isxdigit(static_cast<unsigned char>(digits[0]))) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    unsigned long v = std::strtoul(digits.c_str(), &end, base);
    if (errno != 0 || *end != '\0' || v > max) return std::nullopt;
    return v;
}

static bool hasHexPrefix(const std::string& text) {
    return text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
}

std::optional<unsigned long> parseNumber(const std::string& text, unsigned long max) {
    if (hasHexPrefix(text)) return parseIn(text.substr(2), 16, max);
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0]))) return std::nullopt;
    return parseIn(text, 10, max);
}

std::optional<unsigned long> parseHexNumber(const std::string& text, unsigned long max) {
    return parseIn(hasHexPrefix(text) ? text.substr(2) : text, 16, max);
}

}  // namespace ksim
