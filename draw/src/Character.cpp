#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/AsciiCase.h"
#include "cardpaint_character.h"

namespace _character {
namespace {

constexpr size_t kPadArea = 256;
constexpr size_t kByteTextArea = 10240;
constexpr size_t kHexBytes = 1024;

// Copies text into out, cut so that text and its NUL fit in capacity bytes.
void copyBounded(const std::string& text, char* out, size_t capacity) {
    const size_t n = text.size() < capacity ? text.size() : capacity - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

}  // namespace

void lowerCase(char* out, const char* text) {
    kqbase::mapAsciiCase(out, text, false);
}

void upperCase(char* out, const char* text) {
    kqbase::mapAsciiCase(out, text, true);
}

void CSreplace(std::string& text, std::string& from, std::string& to, int count) {
    if (from.empty()) {
        return;
    }
    int done = 0;
    size_t pos = text.find(from);
    while (pos != std::string::npos && (count < 1 || done < count)) {
        text.replace(pos, from.size(), to);
        ++done;
        pos = text.find(from, pos + to.size());
    }
}

void ConvertStringToHex(const char* text, char* out, int* outLength) {
    std::string digits;
    for (const char* p = text; *p != '\0'; ++p) {
        if (*p != ' ') {
            digits.push_back(*p);
        }
    }
    if (digits.size() % 2 != 0) {
        *outLength = 0;
        return;
    }
    size_t pairs = digits.size() / 2;
    if (pairs > kHexBytes) {
        pairs = kHexBytes;
    }
    for (size_t i = 0; i < pairs; ++i) {
        const char pair[3] = {digits[2 * i], digits[2 * i + 1], '\0'};
        out[i] = static_cast<char>(std::strtol(pair, nullptr, 16));
    }
    *outLength = static_cast<int>(pairs);
}

void ConvertStringToByte(const char* text, int /*base*/, char* out, int* outLength) {
    ConvertStringToHex(text, out, outLength);
}

void padleft(const char* text, const char* pad, int width, char* out) {
    std::string result;
    const size_t length = std::strlen(text);
    if (width > 0 && length < static_cast<size_t>(width) && pad[0] != '\0') {
        for (size_t i = length; i < static_cast<size_t>(width) && result.size() < kPadArea; ++i) {
            result += pad;
        }
    }
    result += text;
    copyBounded(result, out, kPadArea);
}

char* my_itoa_buf(char* buffer, unsigned long size, int value) {
    if (buffer == nullptr || size == 0) {
        static char empty[1] = {'\0'};
        return empty;
    }
    std::snprintf(buffer, size, "%d", value);
    return buffer;
}

void ByteToHex(unsigned char value, char* out) {
    std::snprintf(out, 3, "%02X", value);
}

std::string trim_right(const std::string& text, const std::string& set) {
    const size_t last = text.find_last_not_of(set);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string trim_left(const std::string& text, const std::string& set) {
    const size_t first = text.find_first_not_of(set);
    return first == std::string::npos ? std::string() : text.substr(first);
}

std::string trim(const std::string& text) {
    return trim_left(trim_right(text, " "), " ");
}

void ConvertByteToString(unsigned char* data, int start, int count, int base, const char* separator,
                         int group, char* out) {
    std::string text;
    int counter = 1;
    for (int i = 0; i < count && text.size() < kByteTextArea; ++i) {
        char digits[8];
        std::snprintf(digits, sizeof digits, base == 16 ? "%02X" : "%02d", data[start + i]);
        text += digits;
        if (counter == group) {
            text += separator;
            counter = 1;
        } else {
            ++counter;
        }
    }
    char upper[kByteTextArea];
    copyBounded(text, upper, sizeof upper);
    upperCase(upper, upper);
    copyBounded(trim(upper), out, kByteTextArea);
}

void ConvertHexToString(unsigned char* data, int start, int count, const char* separator,
                        char* out) {
    ConvertByteToString(data, start, count, 16, separator, 1, out);
}

std::vector<std::string> split(const std::string& text, std::string delimiter) {
    std::vector<std::string> pieces;
    if (delimiter.empty()) {
        if (!text.empty()) {
            pieces.push_back(text);
        }
        return pieces;
    }
    size_t begin = 0;
    for (size_t pos = text.find(delimiter); pos != std::string::npos;
         pos = text.find(delimiter, begin)) {
        if (pos > begin) {
            pieces.push_back(text.substr(begin, pos - begin));
        }
        begin = pos + delimiter.size();
    }
    if (begin < text.size()) {
        pieces.push_back(text.substr(begin));
    }
    return pieces;
}

}  // namespace _character
