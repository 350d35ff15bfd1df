#include "mechanism/kqDev.h"

#include <cstdio>

#include "core/ResultJson.h"

namespace {
constexpr int kNotImplemented = 1;
constexpr int kStateEvent = 4;
}  // namespace

kqDev::kqDev() : mInfo(std::make_unique<DeviceInfo>()) {}

kqDev::~kqDev() = default;

std::string kqDev::errcode2value(int) {
    return "";
}
int kqDev::_PowerOff(int) {
    return kNotImplemented;
}
int kqDev::open() {
    return kNotImplemented;
}
int kqDev::close() {
    return kNotImplemented;
}
int kqDev::analyzeFlash(void*, int) {
    return kNotImplemented;
}
int kqDev::analyzeFlash(const char*) {
    return kNotImplemented;
}
void kqDev::toGetStateJson(Json::Value& parts) {
    readStateJson(parts);
}
int kqDev::readStateJson(Json::Value&) {
    return kNotImplemented;
}
int kqDev::send_to_parts(const char*, char*) {
    return kNotImplemented;
}
int kqDev::toGetDevJsonOld(Json::Value&) {
    return kNotImplemented;
}
int kqDev::analyzeOptions(int, int, int, int, char*) {
    return kNotImplemented;
}
int kqDev::readConfigData(unsigned char*, int*) {
    return kNotImplemented;
}
int kqDev::_AcceptCard(unsigned char, int) {
    return kNotImplemented;
}
int kqDev::_EjectCard(unsigned char, int) {
    return kNotImplemented;
}
int kqDev::_toReaderPos(unsigned char) {
    return kNotImplemented;
}
int kqDev::_MotoRun(unsigned char, int) {
    return kNotImplemented;
}
int kqDev::_ReadFlash(unsigned char*, int, unsigned char*, int&) {
    return kNotImplemented;
}
int kqDev::_WriteFlash(unsigned char*, int, unsigned char*, int&) {
    return kNotImplemented;
}
int kqDev::_toGetSensors(unsigned char*) {
    return kNotImplemented;
}
int kqDev::_toGetSensorsRelative(unsigned char*) {
    return kNotImplemented;
}
int kqDev::_toSetPowerOff(int) {
    return kNotImplemented;
}
int kqDev::_toPrinterReady(unsigned char) {
    return kNotImplemented;
}
int kqDev::_toOCRPosition(unsigned char) {
    return kNotImplemented;
}
int kqDev::_toPrinterPos(unsigned char) {
    return kNotImplemented;
}
int kqDev::_toReaderBadPos(unsigned char) {
    return kNotImplemented;
}
int kqDev::_toOCRBadPos(unsigned char) {
    return kNotImplemented;
}
int kqDev::_toRollBackPrinter(unsigned char) {
    return kNotImplemented;
}
int kqDev::_toQRCodeBadPos(unsigned char) {
    return kNotImplemented;
}
int kqDev::_toQRCodeGoodPos(unsigned char) {
    return kNotImplemented;
}
int kqDev::_toDetainPos(unsigned char) {
    return kNotImplemented;
}
int kqDev::_toMotoRunStep(unsigned char, unsigned char) {
    return kNotImplemented;
}
int kqDev::_MotoStop(int) {
    return kNotImplemented;
}
int kqDev::_toTranfer(unsigned char) {
    return kNotImplemented;
}
int kqDev::_EncryptByHardware(unsigned char, unsigned char, unsigned char, unsigned char*,
                              unsigned char, unsigned char*, unsigned char*) {
    return kNotImplemented;
}

void kqDev::toGetDevJson(Json::Value& info) {
    info = mDevJson;
}

int kqDev::get_part_list(const char*, char* out) {
    std::printf("part_list:%zu\n", mParts.size());
    std::fflush(stdout);
    Json::Value list(Json::arrayValue);
    for (const auto& [id, name] : mParts) {
        Json::Value part;
        part["part_id"] = id;
        part["part_name"] = name;
        list.append(part);
    }
    return result_json_code(0, out, list, "");
}

std::string kqDev::partName(int id) const {
    auto it = mParts.find(id);
    return it == mParts.end() ? std::string() : it->second;
}

void kqDev::appendPart(Json::Value& parts, int id) const {
    Json::Value part;
    part["part_id"] = id;
    part["part_name"] = partName(id);
    part["part_has"] = true;
    parts.append(part);
}

void kqDev::recordCard(int part) {
    mCardAt.clear();
    addCard(part);
}

void kqDev::addCard(int part) {
    mCardAt[part] = true;
    Json::Value data;
    data["part_id"] = part;
    data["part_name"] = partName(part);
    data["part_has"] = true;
    _OnEvent(mListener, kStateEvent, "状态变更事件", data);
}
