#include "core/BaseRefer.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/AsciiCase.h"

namespace _baseRefer {

namespace {

const char kB64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned char kPadMark = 200;
constexpr unsigned char kInvalid = 255;

constexpr size_t kPadLeftArea = 256;
constexpr size_t kByteTextArea = 10240;
constexpr int kMaxHexBytes = 1024;

// Decoding table indexed by the low seven bits of a character.
const unsigned char* kq_from_b64() {
    static unsigned char table[128];
    static bool filled = [] {
        std::memset(table, kInvalid, sizeof(table));
        for (int i = 0; i < 64; ++i) table[static_cast<unsigned char>(kB64Digits[i])] = i;
        table[static_cast<unsigned char>('=')] = kPadMark;
        return true;
    }();
    (void)filled;
    return table;
}

// Copies text into out, cut to the capacity of a fixed work area.
void copyBounded(const std::string& text, size_t area, char* out) {
    size_t n = text.size() < area - 1 ? text.size() : area - 1;
    std::memcpy(out, text.data(), n);
    out[n] = '\0';
}

// The byte in hex (upper case) or decimal, at least two digits.
std::string padTwo(bool hex, unsigned char value) {
    char text[8];
    if (hex) {
        std::snprintf(text, sizeof(text), "%X", value);
    } else {
        std::snprintf(text, sizeof(text), "%d", value);
    }
    std::string s = text;
    if (s.size() < 2) s.insert(0, 2 - s.size(), '0');
    return s;
}

}  // namespace

void kq_base64_encode(const unsigned char* data, int length, char* out) {
    int o = 0;
    for (int i = 0; i < length; i += 3) {
        unsigned int chunk = data[i] << 16;
        if (i + 1 < length) chunk |= data[i + 1] << 8;
        if (i + 2 < length) chunk |= data[i + 2];
        out[o++] = kB64Digits[(chunk >> 18) & 0x3F];
        out[o++] = kB64Digits[(chunk >> 12) & 0x3F];
        out[o++] = i + 1 < length ? kB64Digits[(chunk >> 6) & 0x3F] : '=';
        out[o++] = i + 2 < length ? kB64Digits[chunk & 0x3F] : '=';
    }
    out[o] = '\0';
}

int kq_base64_decode(const unsigned char* text, int length, char* out, int* outLength) {
    const unsigned char* table = kq_from_b64();
    int consumed = 0;
    int written = 0;
    while (length - consumed >= 4) {
        unsigned char v[4];
        bool valid = true;
        for (int k = 0; k < 4; ++k) {
            v[k] = table[text[consumed + k] & 0x7F];
            if (v[k] == kInvalid) valid = false;
        }
        if (!valid) break;
        consumed += 4;
        if (v[0] == kPadMark || v[1] == kPadMark) break;
        out[written++] = static_cast<char>((v[0] << 2) | (v[1] >> 4));
        if (v[2] == kPadMark) break;
        out[written++] = static_cast<char>(((v[1] & 0x0F) << 4) | (v[2] >> 2));
        if (v[3] == kPadMark) break;
        out[written++] = static_cast<char>(((v[2] & 0x03) << 6) | v[3]);
    }
    out[written] = '\0';
    if (outLength) *outLength = written;
    return consumed;
}

int getXOR(unsigned char* data, int length) {
    int n = length < 2 ? 2 : length;
    unsigned char x = 0;
    for (int i = 0; i < n; ++i) x ^= data[i];
    return x;
}

void lowerCase(char* out, const char* text) {
    kqbase::mapAsciiCase(out, text, false);
}

void upperCase(char* out, const char* text) {
    kqbase::mapAsciiCase(out, text, true);
}

void CSreplace(std::string& text, std::string& from, std::string& to, int count) {
    if (from.empty()) return;
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
    for (const char* p = text; *p; ++p) {
        if (*p != ' ') digits += *p;
    }
    if (digits.size() % 2 != 0) {
        *outLength = 0;
        return;
    }
    int n = 0;
    for (size_t i = 0; i < digits.size() && n < kMaxHexBytes; i += 2) {
        char pair[3] = {digits[i], digits[i + 1], '\0'};
        out[n++] = static_cast<char>(std::strtol(pair, nullptr, 16));
    }
    *outLength = n;
}

void ConvertStringToByte(const char* text, int /*base*/, char* out, int* outLength) {
    ConvertStringToHex(text, out, outLength);
}

void padleft(const char* text, const char* pad, int width, char* out) {
    std::string result;
    int missing = width - static_cast<int>(std::strlen(text));
    for (int i = 0; i < missing && result.size() < kPadLeftArea; ++i) result += pad;
    result += text;
    copyBounded(result, kPadLeftArea, out);
}

char* my_itoa_buf(char* buffer, unsigned long size, int value) {
    static char empty[1] = {'\0'};
    if (buffer == nullptr || size == 0) return empty;
    std::snprintf(buffer, size, "%d", value);
    return buffer;
}

void ByteToHex(unsigned char value, char* out) {
    static const char digits[] = "0123456789ABCDEF";
    out[0] = digits[value >> 4];
    out[1] = digits[value & 0x0F];
    out[2] = '\0';
}

std::string trim_right(const std::string& text, const std::string& set) {
    size_t last = text.find_last_not_of(set);
    return last == std::string::npos ? std::string() : text.substr(0, last + 1);
}

std::string trim_left(const std::string& text, const std::string& set) {
    size_t first = text.find_first_not_of(set);
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
        text += padTwo(base == 16, data[start + i]);
        if (counter == group) {
            text += separator;
            counter = 1;
        } else {
            ++counter;
        }
    }
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    copyBounded(trim(text), kByteTextArea, out);
}

void ConvertHexToString(unsigned char* data, int start, int count, const char* separator,
                        char* out) {
    ConvertByteToString(data, start, count, 16, separator, 1, out);
}

std::vector<std::string> split(const std::string& text, std::string delimiter) {
    std::vector<std::string> pieces;
    if (delimiter.empty()) {
        if (!text.empty()) pieces.push_back(text);
        return pieces;
    }
    size_t start = 0;
    size_t pos;
    while ((pos = text.find(delimiter, start)) != std::string::npos) {
        pieces.push_back(text.substr(start, pos - start));
        start = pos + delimiter.size();
    }
    if (start < text.size()) pieces.push_back(text.substr(start));
    return pieces;
}

pthread_t kq_start_thread(void* (*function)(void*), void* argument) {
    pthread_t thread{};
    if (pthread_create(&thread, nullptr, function, argument) == 0) pthread_detach(thread);
    return thread;
}

}  // namespace _baseRefer
