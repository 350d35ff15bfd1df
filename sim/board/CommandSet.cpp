#include "board/CommandSet.h"

#include <cstdio>
#include <map>

namespace ksim::board {

namespace {

using Ranges = std::vector<std::pair<size_t, size_t>>;

// Commands whose mode byte may be left out use the mode of the last 4003.
const std::map<uint16_t, LengthRule>& rules() {
    static const std::map<uint16_t, LengthRule> table = {
        {0x0009, {Ranges{{2, 2}}}},          // power off: 01, tenths of a second
        {0x0104, {Ranges{{0, 1}}}},          // device name
        {0x0105, {Ranges{{0, 1}}}},          // firmware date
        {0x0106, {Ranges{{0, 1}}}},          // second firmware identifier
        {0x0211, {Ranges{{0, 255}}}},        // card APDU (the card judges it)
        {0x0302, {Ranges{{0, 0}}}},          // clear
        {0x0311, {Ranges{{0, 255}}}},        // card APDU, second reader
        {0x0601, {Ranges{{2, 2}}}},          // address probe
        {0x1002, {Ranges{{0, 1}, {3, 3}}}},  // sensor read; 00 a b: motor step
        {0x1003, {Ranges{{1, 1}}}},          // motor run
        {0x1004, {Ranges{{1, 1}}}},          // motor stop
        {0x1008, {Ranges{{0, 8}}}},          // flash read
        {0x1009, {Ranges{{1, 255}}}},        // flash write
        {0x100B, {Ranges{{0, 0}}}},          // device type
        {0x100F, {Ranges{{3, 255}}}},        // cipher unit: 00 b c data
        {0x3001, {Ranges{{0, 0}}}},          // new firmware
        {0x4001, {Ranges{{0, 1}}}},          // feed in
        {0x4002, {Ranges{{0, 1}}}},          // feed out
        {0x4003, {Ranges{{1, 1}}}},          // set the mode
        {0x4004, {Ranges{{0, 1}}}},          // feed out stop
        {0x4006, {Ranges{{0, 1}}}},          // detain
        {0x4008, {Ranges{{1, 1}}}},          // through the transfer module
        {0x4009, {Ranges{{1, 1}}}},          // transfer module position
        {0x400A, {Ranges{{0, 0}}}},          // transfer module reset
        {0x400D, {Ranges{{0, 1}}}},          // feed in with the transfer module
    };
    return table;
}

std::string bytesText(size_t n) {
    return n == 1 ? "1 byte" : std::to_string(n) + " bytes";
}

}  // namespace

bool LengthRule::accepts(size_t length) const {
    for (const auto& [low, high] : ranges) {
        if (length >= low && length <= high) return true;
    }
    return false;
}

std::string LengthRule::text() const {
    std::string out;
    for (size_t i = 0; i < ranges.size(); ++i) {
        const auto& [low, high] = ranges[i];
        const bool last = i + 1 == ranges.size();
        if (i > 0) out += last ? " or " : ", ";
        if (low == high) {
            out += last ? bytesText(low) : std::to_string(low);
        } else {
            out += std::to_string(low) + " to " + std::to_string(high) + " bytes";
        }
    }
    return out;
}

const LengthRule* lengthRule(uint16_t command) {
    auto it = rules().find(command);
    return it == rules().end() ? nullptr : &it->second;
}

std::string commandSetHelp() {
    std::string out;
    for (const auto& [code, rule] : rules()) {
        char name[8];
        snprintf(name, sizeof name, "%04X", code);
        if (!out.empty()) out += "; ";
        out += std::string(name) + " " + rule.text();
    }
    return out + ".";
}

}  // namespace ksim::board
