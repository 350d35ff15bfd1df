#include "HexText.h"

#include "base/AsciiCase.h"

namespace {
unsigned char hexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned char>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned char>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned char>(c - 'A' + 10);
    return 0;
}
}  // namespace

void Asc2Hex(unsigned char* out, char* text, unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
        out[i] =
            static_cast<unsigned char>((hexValue(text[2 * i]) << 4) | hexValue(text[2 * i + 1]));
    }
}

void Hex2Asc(char* out, unsigned char* data, unsigned len) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (unsigned i = 0; i < len; ++i) {
        out[2 * i] = kDigits[data[i] >> 4];
        out[2 * i + 1] = kDigits[data[i] & 0x0F];
    }
}

void StrToLower(char* text) {
    kqbase::mapAsciiCase(text, text, false);
}

void StrToUpper(char* text) {
    kqbase::mapAsciiCase(text, text, true);
}
