#include "AsciiCase.h"

namespace kqbase {

void mapAsciiCase(char* out, const char* text, bool upper) {
    for (; *text != '\0'; ++text, ++out) {
        const char c = *text;
        if (upper && c >= 'a' && c <= 'z') {
            *out = static_cast<char>(c - 'a' + 'A');
        } else if (!upper && c >= 'A' && c <= 'Z') {
            *out = static_cast<char>(c - 'A' + 'a');
        } else {
            *out = c;
        }
    }
    *out = '\0';
}

}  // namespace kqbase
