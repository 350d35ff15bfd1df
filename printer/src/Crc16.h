// CRC-16/XMODEM and the byte checksum of the printer frame.
#pragma once

unsigned short UpdateCRC16(unsigned short crc, unsigned char byte);
unsigned short Cal_CRC16(const unsigned char* data, unsigned len);
int Check_CRC16(unsigned expected, const unsigned char* data, unsigned len);
unsigned char CalcChecksum(const unsigned char* data, unsigned len);
