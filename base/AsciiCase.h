// Case mapping of text that may hold UTF-8: only ASCII letters change.
#pragma once

namespace kqbase {

// Copies text into out (which must hold it) with A-Z mapped to a-z, or a-z to A-Z when
// upper is set. Other bytes are copied as they are: the platform's wide-character
// mapping would change bytes inside UTF-8 sequences under a UTF-8 locale.
void mapAsciiCase(char* out, const char* text, bool upper);

}  // namespace kqbase
