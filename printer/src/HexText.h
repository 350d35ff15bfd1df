// Hex text of byte strings, two digits a byte, and ASCII case mapping in place.
#pragma once

void Asc2Hex(unsigned char* out, char* text, unsigned count);
void Hex2Asc(char* out, unsigned char* data, unsigned len);
void StrToLower(char* text);
void StrToUpper(char* text);
