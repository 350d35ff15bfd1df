#include "mechanism/DeviceInfo.h"

#include <cstring>
#include <map>
#include <utility>

namespace {

const char kModelText[] = "VXKM300";

struct Model {
    const char* name;
    int count;
};

const std::map<unsigned int, Model>& modelTable() {
    static const std::map<unsigned int, Model> table = {
        {0x00, {"短款(旧)_连体传感", 2}},
        {0x01, {"短款(新)_分体传感", 2}},
        {0x02, {"短款(2019新)_分体传感", 3}},
        {0x07, {"旋转", 3}},
        {0x08, {"长款", 2}},
        {0x09, {"翻转", 3}},
        {0x19, {"新翻转(新)_水平翻转", 3}},
        {0x70, {"新旋转", 3}},
        {0x88, {"长款(新)_增加打印机传感", 3}},
        {0xFF, {"批量签注机构", 3}},
        {0xF002, {"DS短模块式", 1}},
        {0xF003, {"大型制证一体机", 3}},
    };
    return table;
}

}  // namespace

DeviceInfo::DeviceInfo() {
    std::memset(path, 0, sizeof(path));
    std::memset(firmware, 0, sizeof(firmware));
    std::memset(deviceType_hex, 0, sizeof(deviceType_hex));
    std::memset(deviceType_c, 0, sizeof(deviceType_c));
    std::memset(deviceName, 0, sizeof(deviceName));
    std::memset(firmware32, 0, sizeof(firmware32));
    std::memset(pici, 0, sizeof(pici));
    std::memset(DevID, 0, sizeof(DevID));
    std::memset(SerialNumber, 0, sizeof(SerialNumber));
    std::memset(PrinterID, 0, sizeof(PrinterID));
    std::memset(QRCodeGun, 0, sizeof(QRCodeGun));
    std::memset(Board, 0, sizeof(Board));
    setInfoText(device, kModelText);
}

void setInfoText(InfoText& field, const char* text, size_t len) {
    std::memset(field, 0, sizeof(field));
    if (text == nullptr) return;
    const size_t limit = len < sizeof(field) - 1 ? len : sizeof(field) - 1;
    size_t n = 0;
    while (n < limit && text[n] != '\0') ++n;
    std::memcpy(field, text, n);
}

void setInfoText(InfoText& field, const std::string& text) {
    setInfoText(field, text.data(), text.size());
}

const char* DevDM2MC(unsigned int code, int* count) {
    auto it = modelTable().find(code);
    if (it == modelTable().end()) return "未知";
    if (count != nullptr) *count = it->second.count;
    return it->second.name;
}

void devInfo2json(Json::Value& out, DeviceInfo* info) {
    out["vid"] = info->vid;
    out["pid"] = info->pid;
    out["index"] = info->index;
    out["handle"] = info->handle != nullptr;
    out["connected"] = true;
    out["firmware"] = info->firmware;
    out["newFirmware"] = info->newFirmware;
    out["device"] = info->device;
    out["deviceType"] = info->deviceType;
    out["deviceType_hex"] = info->deviceType_hex;
    out["deviceType_c"] = info->deviceType_c;
    out["SER_CNT"] = info->SER_CNT;
    out["deviceName"] = info->deviceName;
    out["firmware32"] = info->firmware32;
    out["pici"] = info->pici;
    out["DevID"] = info->DevID;
    out["SerialNumber"] = info->SerialNumber;
    out["PrinterID"] = info->PrinterID;
    out["QRCodeGun"] = info->QRCodeGun;
    out["MarkValue"] = static_cast<int>(info->MarkValue);
    out["Board"] = info->Board;
}
