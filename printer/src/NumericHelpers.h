// BCD time stamps and hex/BCD conversions used by the printer packets.
#pragma once

unsigned char Char2Bcd(char value);
void Get_BCDTime7(long time, char* out);
void Get_CurBCDTime7(unsigned char* out);
void Get_BCDTime6(long time, char* out);
void Get_CurBCDTime6(char* out);
void GetSysTime_BCD(unsigned char* out);
void Bcd2Hex(unsigned char* src, unsigned char* dst, unsigned len);
void Hex2Bcd(unsigned char* src, unsigned char* dst, unsigned len);
void Asc2Hex(unsigned char* out, char* text, unsigned count);
void Hex2Asc(char* out, unsigned char* data, unsigned len);
void StrToLower(char* text);
void StrToUpper(char* text);
