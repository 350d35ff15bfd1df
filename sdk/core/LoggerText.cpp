#include "core/LoggerText.h"

#include <cstdio>
#include <cstring>

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

// Converts hex digit pairs of text[0, length) into out; a lone last digit
// becomes the high half of a final byte.
int hexToBytes(const char* text, size_t length, char* out, int outBytes) {
    if (length == 0 || outBytes <= 0) return 0;
    int written = 0;
    for (size_t i = 0; i < length && written < outBytes; i += 2) {
        int high = hexValue(text[i]);
        int low = i + 1 < length ? hexValue(text[i + 1]) : 0;
        out[written++] = static_cast<char>((high << 4) | low);
    }
    return written;
}

}  // namespace

void convert_bytes_2_hexstr(const char* data, int count, char* out, int outChars) {
    static const char digits[] = "0123456789ABCDEF";
    int written = 0;
    for (int i = 0; i < count && written + 2 <= outChars; ++i) {
        unsigned char byte = static_cast<unsigned char>(data[i]);
        out[written++] = digits[byte >> 4];
        out[written++] = digits[byte & 0x0F];
    }
    out[written] = '\0';
}

int convert_hexstr_bytes(std::string hex, char* out, int outBytes) {
    return hexToBytes(hex.data(), hex.size(), out, outBytes);
}

int convert_hexstr_bytes(const char* hex, char* out, int outBytes) {
    if (hex == nullptr) return 0;
    return hexToBytes(hex, std::strlen(hex), out, outBytes);
}

std::string inttohex(int value, int width) {
    char text[64];
    std::snprintf(text, sizeof(text), "%.*X", width, static_cast<unsigned int>(value));
    return text;
}

std::string inttostr(int value) {
    return std::to_string(value);
}

std::string replace_all(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    // A replacement that contains from would be found again forever: resume
    // after it instead of from the start.
    bool resumeAfter = to.find(from) != std::string::npos;
    size_t pos = text.find(from);
    while (pos != std::string::npos) {
        text.replace(pos, from.size(), to);
        pos = text.find(from, resumeAfter ? pos + to.size() : 0);
    }
    return text;
}

std::string trim(std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    size_t last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

std::vector<std::string> split(std::string text, std::string delimiter) {
    std::vector<std::string> pieces;
    if (delimiter.empty()) {
        pieces.push_back(text);
        return pieces;
    }
    text += delimiter;
    size_t start = 0;
    size_t pos;
    while ((pos = text.find(delimiter, start)) != std::string::npos) {
        pieces.push_back(text.substr(start, pos - start));
        start = pos + delimiter.size();
    }
    return pieces;
}
