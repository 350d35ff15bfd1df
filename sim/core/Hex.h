#pragma once
// Hex text helpers shared by the log, the command line and the control socket.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ksim {

using Bytes = std::vector<uint8_t>;

// "AA BB 05": upper-case pairs separated by single spaces.
std::string toHex(const uint8_t* data, size_t len);
inline std::string toHex(const Bytes& b) {
    return toHex(b.data(), b.size());
}

// Accepts pairs of hex digits with optional spaces, ':' or '-' between bytes.
std::optional<Bytes> parseHex(const std::string& text);

// Decimal, or hex with a 0x prefix, within [0, max].
std::optional<unsigned long> parseNumber(const std::string& text, unsigned long max);

// Hex with or without a 0x prefix, within [0, max].
std::optional<unsigned long> parseHexNumber(const std::string& text, unsigned long max);

}  // namespace ksim
