#pragma once
// What a simulated mechanism board is: its identity on the bus and the answers of
// its identification commands. Parsed from the command line's board SETTINGS:
//   TYPE[,pid=0x5740|0x5741|0x5704][,addr=N][,fw=YYYYMMDD][,name=TEXT][,devid=14HEX][,enc]
// TYPE is the device-type code in hex (00, 01, 02, 09, 19, 88 ...).
#include <cstdint>
#include <optional>
#include <string>

#include "core/Hex.h"

namespace ksim::board {

struct BoardConfig {
    uint8_t deviceType = 0x09;
    uint16_t vendorId = 0x0483;
    uint16_t productId = 0x5740;
    uint8_t address = 1;  // answer to the address probe
    std::string firmware = "20200101";
    std::string name = "SIM-BOARD";
    Bytes deviceId = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE};
    bool enciphered = false;  // information block sent triple-DES enciphered
    std::string printerId = "PRN00000001";
    std::string qrReaderId = "QRC000000001";
    Bytes firmware32 = {0x01, 0x00, 0x00, 0x00};
};

std::optional<BoardConfig> parseBoardSettings(const std::string& settings, std::string* error);

// The settings text that parseBoardSettings reads back into the same settings.
std::string describe(const BoardConfig& config);

}  // namespace ksim::board
