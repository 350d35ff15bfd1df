// BCD time stamps of the printer's packets and BCD/binary conversions.
#pragma once

unsigned char Char2Bcd(char value);
void Get_BCDTime7(long time, char* out);
void Get_CurBCDTime7(unsigned char* out);
void Get_BCDTime6(long time, char* out);
void Get_CurBCDTime6(char* out);
void GetSysTime_BCD(unsigned char* out);
void Bcd2Hex(unsigned char* src, unsigned char* dst, unsigned len);
void Hex2Bcd(unsigned char* src, unsigned char* dst, unsigned len);
