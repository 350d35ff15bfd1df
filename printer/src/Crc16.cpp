#include "Crc16.h"

#include <array>

namespace {
constexpr unsigned short kPoly = 0x1021;

// Direct-form table: one lookup per byte instead of eight shifts, same result as
// the augmented bit loop of UpdateCRC16.
constexpr std::array<unsigned short, 256> makeTable() {
    std::array<unsigned short, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned short crc = static_cast<unsigned short>(i << 8);
        for (int bit = 0; bit < 8; ++bit) {
            crc = static_cast<unsigned short>((crc & 0x8000) ? (crc << 1) ^ kPoly : crc << 1);
        }
        table[i] = crc;
    }
    return table;
}
constexpr std::array<unsigned short, 256> kTable = makeTable();
}  // namespace

// Augmented form: the message bit enters at the bottom; the caller finishes with two
// zero bytes to obtain the CRC.
unsigned short UpdateCRC16(unsigned short crc, unsigned char byte) {
    for (int bit = 0; bit < 8; ++bit) {
        const bool top = (crc & 0x8000) != 0;
        crc = static_cast<unsigned short>((crc << 1) | ((byte >> 7) & 1));
        byte = static_cast<unsigned char>(byte << 1);
        if (top) crc ^= kPoly;
    }
    return crc;
}

unsigned short Cal_CRC16(const unsigned char* data, unsigned len) {
    unsigned short crc = 0;
    for (unsigned i = 0; i < len; ++i) {
        crc = static_cast<unsigned short>((crc << 8) ^ kTable[((crc >> 8) ^ data[i]) & 0xFF]);
    }
    return crc;
}

int Check_CRC16(unsigned expected, const unsigned char* data, unsigned len) {
    return (expected & 0xFFFF) == Cal_CRC16(data, len) ? 0 : 1;
}

unsigned char CalcChecksum(const unsigned char* data, unsigned len) {
    unsigned sum = 0;
    for (unsigned i = 0; i < len; ++i) sum += data[i];
    return static_cast<unsigned char>(sum & 0xFF);
}
