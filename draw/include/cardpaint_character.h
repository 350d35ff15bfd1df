// Small stateless text helpers shipped with cardpaint. All text results are
// NUL-terminated and written into buffers the caller sizes.
#ifndef CARDPAINT_CHARACTER_H
#define CARDPAINT_CHARACTER_H

#include <string>
#include <vector>

namespace _character {

// Copy with ASCII letters case-mapped; other bytes (UTF-8 sequences) are kept as they are.
void lowerCase(char* out, const char* text);
void upperCase(char* out, const char* text);

// Replaces occurrences of from by to, left to right, resuming after each inserted text.
// count below 1 replaces all. An empty from leaves the text unchanged.
void CSreplace(std::string& text, std::string& from, std::string& to, int count);

// Hex text (spaces ignored) to bytes, at most 1024. An odd digit count stores 0 in
// *outLength and leaves out untouched. base is not used: digits are hexadecimal.
void ConvertStringToHex(const char* text, char* out, int* outLength);
void ConvertStringToByte(const char* text, int base, char* out, int* outLength);

// pad repeated (width - length of text) times, then text; at most 255 characters.
void padleft(const char* text, const char* pad, int width, char* out);
// Decimal text of value cut to size; nothing written for a null buffer or size 0.
char* my_itoa_buf(char* buffer, unsigned long size, int value);
// Two upper-case hex digits.
void ByteToHex(unsigned char value, char* out);

std::string trim_right(const std::string& text, const std::string& set);
std::string trim_left(const std::string& text, const std::string& set);
// Without leading and trailing spaces (0x20 only).
std::string trim(const std::string& text);

// Text of count bytes of data from start on: each byte two-digit hex (base 16) or decimal,
// separator after every group-th byte, all upper case, outer spaces trimmed; at most
// 10239 characters.
void ConvertByteToString(unsigned char* data, int start, int count, int base, const char* separator,
                         int group, char* out);
// ConvertByteToString with base 16 and a group of 1.
void ConvertHexToString(unsigned char* data, int start, int count, const char* separator,
                        char* out);

// The non-empty pieces of text between occurrences of delimiter. An empty delimiter gives
// the whole text as one piece.
std::vector<std::string> split(const std::string& text, std::string delimiter);

}  // namespace _character

#endif
