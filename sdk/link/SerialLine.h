// Serial-line functions below SerialPort: open, configure, write and read a
// line through termios on a non-blocking descriptor.
#pragma once

// Opens /dev/<name> read-write, non-blocking, not as controlling terminal, and
// sets it to baud 8N1. Returns the descriptor, or 0 when the open failed.
int OpenSerial(char* name, int baud);
// Raw mode with the given speed (2400, 4800, 115200, else 9600), data bits
// (7, 8, else 5), parity ('N', 'E', '0' for odd) and stop bits: 0 or -1.
int set_serial(int fd, int speed, int bits, char parity, int stop);
void CloseSerial(int fd);
// One write: 0 when all len bytes were written, else -1.
int WriteBuffer2Serial(int fd, unsigned char* data, int len);
// Reads until exactly n bytes arrived (0) or timeout ms passed (-1).
int ReadBufferFromSerial(int fd, unsigned char* buf, int n, int timeout);
