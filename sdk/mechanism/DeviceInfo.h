// The identification record of one mechanism board and its JSON document.
#pragma once

#include <json/json.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Every text field holds at most kInfoTextCapacity - 1 characters and a NUL.
constexpr size_t kInfoTextCapacity = 255;
using InfoText = char[kInfoTextCapacity];

struct DeviceInfo {
    DeviceInfo();

    int32_t vid = 0;
    int32_t pid = 0;
    InfoText path;
    void* handle = nullptr;  // port the board was identified through, not owned
    int32_t index = 0;
    InfoText firmware;
    bool newFirmware = false;
    InfoText device;
    uint32_t deviceType = 0;
    InfoText deviceType_hex;
    InfoText deviceType_c;
    int32_t SER_CNT = 0;
    InfoText deviceName;
    InfoText firmware32;
    InfoText pici;
    InfoText DevID;
    InfoText SerialNumber;
    InfoText PrinterID;
    InfoText QRCodeGun;
    uint8_t MarkValue = 0;
    InfoText Board;
};

// Zero-fills field, then copies the bytes of text up to its first NUL, at most
// len bytes and never more than the field holds.
void setInfoText(InfoText& field, const char* text, size_t len);
void setInfoText(InfoText& field, const std::string& text);

// Model name of a device-type code; stores the code's count through count,
// which stays untouched for a code outside the table.
const char* DevDM2MC(unsigned int code, int* count);

// Sets the members of the device-information document from info.
void devInfo2json(Json::Value& out, DeviceInfo* info);
