// The record of one opened printer: its port, identity, last self-check, erase
// rectangle and print parameters. Kiosk applications hold it as an opaque handle.
#pragma once

#include "UsbPort.h"
#include "base/UsbHandles.h"

struct kqCR80_Pram {
    char version[255] = {};
    char id[255] = {};
    char printerName[255] = {};
    char idExtra[255] = {};
    unsigned char isOutCard = 0;
    unsigned char status = 0;
    unsigned char cardPosition = 0;
    unsigned char lastPrintResult = 0;
    unsigned short lastPrintErrCode = 0;
    unsigned int totalPrintCnt = 0;
    unsigned int remainTimes = 0;
    unsigned int continueCnt = 0;
    unsigned int cleanCnt = 0;
    unsigned short eraseX0 = 0;
    unsigned short eraseX1 = 943;
    unsigned short eraseY0 = 0;
    unsigned short eraseY1 = 671;
    double eraseMm[4] = {0, 0, 80, 57};
    UsbPort* port = nullptr;  // borrowed from the link's port list; null once closed
    unsigned char para1Hi = 0;
    unsigned char para1Lo = 0;
    unsigned char para23 = 0;
    unsigned char para24 = 0;
    unsigned int para25to28 = 0;
    unsigned char para0 = 0;
    unsigned char para2to21[20] = {};
    unsigned char para22 = 0;
    unsigned char para29 = 0;
    unsigned char fastMode = 0;
    unsigned char infoDone = 0;

    // What reopening the printer after its port was closed needs.
    kqbase::UsbDeviceRef device;
    unsigned int savedSequence = 0;
};
