#include "printer/RequestCheck.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "printer/PrinterModel.h"

namespace ksim::printer {

namespace {

constexpr size_t kHead = 8;  // code and time stamp
constexpr uint8_t kIap = 0x60;
constexpr uint8_t kImage = 0x59;
constexpr uint8_t kIapDownload = 0xEA;
constexpr size_t kIapData = 11;
constexpr size_t kIapDownloadMin = 3;  // sub-command, kind, sequence

// Data bytes of each command (before the zeros).
const std::map<uint8_t, size_t>& dataLengths() {
    static const std::map<uint8_t, size_t> table = {
        {0x51, 29},
        {0x53, 0},
        {0x54, 33},
        {0x55, 10},
        {0x56, 10},
        {0x57, 0},
        {0x5A, 0},
        {0x5B, 0},
        {0x5C, 0},
        {0x5D, 16},
        {0x5E, 4},
        {0x80, 0},
        {0x81, 0},
        {0xA0, 8},
        {0xA2, 2},
        {0xA4, 10},
        {kImage, kImageLead + kImageBytes},
    };
    return table;
}

bool isIapSub(uint8_t sub) {
    switch (sub) {
        case 0x61:
        case 0x62:
        case 0x63:
        case 0x64:
        case 0xFE:
        case 0xED:
        case 0x1D:
        case kIapDownload:
            return true;
        default:
            return false;
    }
}

std::string hex2(unsigned v) {
    char text[8];
    snprintf(text, sizeof text, "%02X", v & 0xFF);
    return text;
}

int bcd(uint8_t b) {
    return (b >> 4) * 10 + (b & 0x0F);
}

std::optional<std::string> timeStampProblem(const Bytes& p) {
    for (size_t i = 1; i < kHead; ++i) {
        if ((p[i] >> 4) > 9 || (p[i] & 0x0F) > 9) {
            return "time stamp byte " + std::to_string(i) + " (" + hex2(p[i]) + ") is not BCD";
        }
    }
    struct Field {
        const char* name;
        int low, high;
    };
    const Field fields[] = {{"century", 20, 20}, {"year", 0, 99}, {"month", 1, 12},
                            {"day", 1, 31},      {"hour", 0, 23}, {"minute", 0, 59},
                            {"second", 0, 59}};
    for (size_t i = 0; i < 7; ++i) {
        const int v = bcd(p[i + 1]);
        if (v < fields[i].low || v > fields[i].high) {
            return std::string("time stamp ") + fields[i].name + " " + std::to_string(v) +
                   " out of range";
        }
    }
    return std::nullopt;
}

RequestProblem malformed(std::string why) {
    return RequestProblem{kStatusMalformed, std::move(why)};
}

}  // namespace

std::optional<RequestProblem> checkRequest(const Bytes& p) {
    const uint8_t code = p[0];
    const bool iap = code == kIap;
    const auto known = dataLengths().find(code);
    if (!iap && known == dataLengths().end()) {
        return RequestProblem{kStatusUnknownCommand,
                              "command " + hex2(code) + " is not in the printer's command set"};
    }
    if (auto why = timeStampProblem(p)) return malformed(*why);

    const size_t after = p.size() - kHead;
    const size_t zeros = code == kImage ? 0 : kTrailingZeros;
    if (iap) {
        if (after < 1 + kTrailingZeros) {
            return malformed("IAP request of " + std::to_string(after) +
                             " bytes after the time stamp, at least 11 needed");
        }
        const uint8_t sub = p[kHead];
        if (!isIapSub(sub)) {
            return RequestProblem{kStatusUnknownCommand,
                                  "IAP sub-command " + hex2(sub) + " is not in the printer's set"};
        }
        const bool download = sub == kIapDownload;
        const size_t data = after - kTrailingZeros;
        if (download ? data < kIapDownloadMin : data != kIapData) {
            return malformed("IAP " + hex2(sub) + " takes " +
                             (download ? std::string("at least 3") : std::string("11")) +
                             " data bytes and 10 zero bytes, got " + std::to_string(after) +
                             " bytes after the time stamp");
        }
    } else if (after != known->second + zeros) {
        return malformed("command " + hex2(code) + " takes " + std::to_string(known->second) +
                         " data bytes" + (zeros ? " and 10 zero bytes" : "") + ", got " +
                         std::to_string(after) + " bytes after the time stamp");
    }
    if (zeros && std::any_of(p.end() - static_cast<long>(zeros), p.end(),
                             [](uint8_t b) { return b != 0; })) {
        return malformed("the 10 bytes after the command data are not all zero");
    }
    return std::nullopt;
}

}  // namespace ksim::printer
