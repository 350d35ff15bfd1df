// Text helpers of the logger unit: hex text, integer text, replace, trim, split.
#pragma once

#include <string>
#include <vector>

void convert_bytes_2_hexstr(const char* data, int count, char* out, int outChars);
int convert_hexstr_bytes(std::string hex, char* out, int outBytes);
int convert_hexstr_bytes(const char* hex, char* out, int outBytes);
std::string inttohex(int value, int width);
std::string inttostr(int value);
std::string replace_all(std::string text, const std::string& from, const std::string& to);
std::string trim(std::string& text);
std::vector<std::string> split(std::string text, std::string delimiter);
