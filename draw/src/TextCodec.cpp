// Text conversion between UTF-8, UTF-16LE and GB18030 with iconv.
#include <iconv.h>

#include <cstring>

#include "cardpaint.h"

extern "C" {

int convert_char_code(const char* to, const char* from, void* out, int outLength, const void* in,
                      int inLength) {
    if (out == nullptr || outLength < 0 || inLength < 0 || (in == nullptr && inLength > 0) ||
        to == nullptr || from == nullptr) {
        return -1;
    }
    std::memset(out, 0, static_cast<size_t>(outLength));
    iconv_t converter = iconv_open(to, from);
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return -1;
    }
    // iconv's interface takes a non-const input pointer but does not write through it.
    char* source = const_cast<char*>(static_cast<const char*>(in));
    size_t sourceLeft = static_cast<size_t>(inLength);
    char* target = static_cast<char*>(out);
    size_t targetLeft = static_cast<size_t>(outLength);
    size_t irreversible = iconv(converter, &source, &sourceLeft, &target, &targetLeft);
    if (irreversible != static_cast<size_t>(-1)) {
        // Ends a stateful output encoding in its initial state.
        const size_t flushed = iconv(converter, nullptr, nullptr, &target, &targetLeft);
        if (flushed == static_cast<size_t>(-1)) {
            irreversible = flushed;
        }
    }
    iconv_close(converter);
    if (irreversible != 0) {
        return -1;
    }
    return outLength - static_cast<int>(targetLeft);
}

int utf8_to_utf16(const void* in, int inLength, void* out, int outLength) {
    return convert_char_code("UTF-16LE", "UTF-8", out, outLength, in, inLength);
}

int utf16_to_utf8(const void* in, int inLength, void* out, int outLength) {
    return convert_char_code("UTF-8", "UTF-16LE", out, outLength, in, inLength);
}

int utf8ToAscii(void* out, int outLength, const void* in, int inLength) {
    return convert_char_code("GB18030", "UTF-8", out, outLength, in, inLength);
}

}  // extern "C"
