#include "mechanism/kqDevMidCOM.h"

#include "core/ServiceLog.h"

namespace {
ClassRegistration<kqDevMidCOM, kqDevMidCOM> registerClass("kqDevMidCOM");
constexpr int kPlaceholder = -1;
}  // namespace

int kqDevMidCOM::open() {
    return kPlaceholder;
}
int kqDevMidCOM::close() {
    return kPlaceholder;
}

int kqDevMidCOM::readStateJson(Json::Value& parts) {
    writeLog("kqDevMidCOM toGetStateJson");
    for (const auto& [id, held] : mCardAt) {
        if (held) appendPart(parts, id);
    }
    unsigned char sensors[kSensorBytes] = {};
    return _toGetSensors(sensors);
}
int kqDevMidCOM::analyzeFlash(void*, int) {
    return kPlaceholder;
}
int kqDevMidCOM::analyzeFlash(const char*) {
    return kPlaceholder;
}
int kqDevMidCOM::toGetDevJsonOld(Json::Value&) {
    return kPlaceholder;
}
int kqDevMidCOM::send_to_parts(const char*, char*) {
    return kPlaceholder;
}
int kqDevMidCOM::analyzeOptions(int, int, int, int, char*) {
    return kPlaceholder;
}
int kqDevMidCOM::readConfigData(unsigned char*, int*) {
    return kPlaceholder;
}
int kqDevMidCOM::_AcceptCard(unsigned char, int) {
    return kPlaceholder;
}
int kqDevMidCOM::_EjectCard(unsigned char, int) {
    return kPlaceholder;
}
int kqDevMidCOM::_toReaderPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_MotoRun(unsigned char, int) {
    return kPlaceholder;
}
int kqDevMidCOM::_ReadFlash(unsigned char*, int, unsigned char*, int&) {
    return kPlaceholder;
}
int kqDevMidCOM::_WriteFlash(unsigned char*, int, unsigned char*, int&) {
    return kPlaceholder;
}
int kqDevMidCOM::_toGetSensors(unsigned char*) {
    return kPlaceholder;
}
int kqDevMidCOM::_toGetSensorsRelative(unsigned char*) {
    return kPlaceholder;
}
int kqDevMidCOM::_toSetPowerOff(int) {
    return kPlaceholder;
}
int kqDevMidCOM::_toPrinterReady(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_toOCRPosition(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_toPrinterPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_toReaderBadPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_toOCRBadPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_toRollBackPrinter(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_toQRCodeBadPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_toQRCodeGoodPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_toDetainPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_toMotoRunStep(unsigned char, unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_MotoStop(int) {
    return kPlaceholder;
}
int kqDevMidCOM::_toTranfer(unsigned char) {
    return kPlaceholder;
}
int kqDevMidCOM::_EncryptByHardware(unsigned char, unsigned char, unsigned char, unsigned char*,
                                    unsigned char, unsigned char*, unsigned char*) {
    return kPlaceholder;
}
