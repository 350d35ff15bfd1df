#include "BcdTime.h"

#include <ctime>

namespace {
std::tm localParts(long time) {
    std::time_t t = static_cast<std::time_t>(time);
    std::tm parts{};
    localtime_r(&t, &parts);
    return parts;
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
