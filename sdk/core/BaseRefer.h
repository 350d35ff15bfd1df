// Small stateless byte and text helpers shared by the SDK.
#pragma once

#include <pthread.h>

#include <string>
#include <vector>

namespace _baseRefer {

void kq_base64_encode(const unsigned char* data, int length, char* out);
int kq_base64_decode(const unsigned char* text, int length, char* out, int* outLength);
int getXOR(unsigned char* data, int length);
void lowerCase(char* out, const char* text);
void upperCase(char* out, const char* text);
void CSreplace(std::string& text, std::string& from, std::string& to, int count);
void ConvertStringToHex(const char* text, char* out, int* outLength);
void ConvertStringToByte(const char* text, int base, char* out, int* outLength);
void padleft(const char* text, const char* pad, int width, char* out);
char* my_itoa_buf(char* buffer, unsigned long size, int value);
void ByteToHex(unsigned char value, char* out);
std::string trim_right(const std::string& text, const std::string& set);
std::string trim_left(const std::string& text, const std::string& set);
std::string trim(const std::string& text);
void ConvertByteToString(unsigned char* data, int start, int count, int base, const char* separator,
                         int group, char* out);
void ConvertHexToString(unsigned char* data, int start, int count, const char* separator,
                        char* out);
std::vector<std::string> split(const std::string& text, std::string delimiter);
pthread_t kq_start_thread(void* (*function)(void*), void* argument);

}  // namespace _baseRefer
