#include "NumericHelpers.h"

#include <ctime>

namespace {
std::tm localParts(long time) {
    std::time_t t = static_cast<std::time_t>(time);
    std::tm parts{};
    localtime_r(&t, &parts);
    return parts;
}

unsigned char hexValue(char c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned char>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned char>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned char>(c - 'A' + 10);
    return 0;
}
}  // namespace

unsigned char Char2Bcd(char value) {
    const unsigned v = static_cast<unsigned char>(value) % 100;
    return static_cast<unsigned char>(((v / 10) << 4) | (v % 10));
}

void Get_BCDTime7(long time, char* out) {
    const std::tm t = localParts(time);
    const int year = t.tm_year + 1900;
    const int fields[7] = {year / 100, year % 100, t.tm_mon + 1, t.tm_mday,
                           t.tm_hour,  t.tm_min,   t.tm_sec};
    for (int i = 0; i < 7; ++i) out[i] = static_cast<char>(Char2Bcd(static_cast<char>(fields[i])));
}

void Get_CurBCDTime7(unsigned char* out) {
    Get_BCDTime7(static_cast<long>(std::time(nullptr)), reinterpret_cast<char*>(out));
}

void Get_BCDTime6(long time, char* out) {
    const std::tm t = localParts(time);
    const int fields[6] = {
        t.tm_year + 1900 - 2000, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
    for (int i = 0; i < 6; ++i) out[i] = static_cast<char>(Char2Bcd(static_cast<char>(fields[i])));
}

void Get_CurBCDTime6(char* out) {
    Get_BCDTime6(static_cast<long>(std::time(nullptr)), out);
}

void GetSysTime_BCD(unsigned char* out) {
    Get_CurBCDTime7(out);
}

void Bcd2Hex(unsigned char* src, unsigned char* dst, unsigned len) {
    for (unsigned i = 0; i < len; ++i) {
        dst[i] = static_cast<unsigned char>((src[i] >> 4) * 10 + (src[i] & 0x0F));
    }
}

void Hex2Bcd(unsigned char* src, unsigned char* dst, unsigned len) {
    for (unsigned i = 0; i < len; ++i) dst[i] = Char2Bcd(static_cast<char>(src[i]));
}

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
    for (; *text; ++text) {
        if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
    }
}

void StrToUpper(char* text) {
    for (; *text; ++text) {
        if (*text >= 'a' && *text <= 'z') *text = static_cast<char>(*text - 'a' + 'A');
    }
}
