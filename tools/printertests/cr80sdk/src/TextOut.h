#pragma once
// Bounded copies into caller buffers, and the check of a serial-number argument.
#include <cstring>
#include <string>

#include "KQCR80Printer.h"

namespace kqcr80 {

// A serial number is a NUL-terminated text shorter than 256 bytes.
inline bool validSn(const char* sn) {
    return sn && std::memchr(sn, 0, 256) != nullptr && sn[0] != 0;
}

// Copies text and its NUL when they fit capacity; KQCR80_BAD_LENGTH otherwise.
inline int copyText(const std::string& text, char* out, long capacity) {
    if (!out || capacity <= 0) return KQCR80_BAD_ARGUMENT;
    if (text.size() + 1 > static_cast<unsigned long>(capacity)) return KQCR80_BAD_LENGTH;
    std::memcpy(out, text.c_str(), text.size() + 1);
    return KQCR80_OK;
}

}  // namespace kqcr80
