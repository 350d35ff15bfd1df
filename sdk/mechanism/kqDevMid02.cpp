#include "mechanism/kqDevMid02.h"

namespace {
ClassRegistration<kqDevMid02, kqDevMid02> registerClass("kqDevMid02");
StaticRegistration<kqDevMid02> registerCheck("kqDevMid02", "checkconnects",
                                             &kqDevMid02::checkconnects);
constexpr int kPlaceholder = -1;
}  // namespace

int kqDevMid02::readStateJson(Json::Value&) {
    return kPlaceholder;
}
int kqDevMid02::analyzeFlash(void*, int) {
    return kPlaceholder;
}
int kqDevMid02::analyzeFlash(const char*) {
    return kPlaceholder;
}
int kqDevMid02::toGetDevJsonOld(Json::Value&) {
    return kPlaceholder;
}
int kqDevMid02::send_to_parts(const char*, char*) {
    return kPlaceholder;
}
int kqDevMid02::analyzeOptions(int, int, int, int, char*) {
    return kPlaceholder;
}
int kqDevMid02::readConfigData(unsigned char*, int*) {
    return kPlaceholder;
}
int kqDevMid02::_AcceptCard(unsigned char, int) {
    return kPlaceholder;
}
int kqDevMid02::_EjectCard(unsigned char, int) {
    return kPlaceholder;
}
int kqDevMid02::_toReaderPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_MotoRun(unsigned char, int) {
    return kPlaceholder;
}
int kqDevMid02::_ReadFlash(unsigned char*, int, unsigned char*, int&) {
    return kPlaceholder;
}
int kqDevMid02::_WriteFlash(unsigned char*, int, unsigned char*, int&) {
    return kPlaceholder;
}
int kqDevMid02::_toGetSensors(unsigned char*) {
    return kPlaceholder;
}
int kqDevMid02::_toGetSensorsRelative(unsigned char*) {
    return kPlaceholder;
}
int kqDevMid02::_toSetPowerOff(int) {
    return kPlaceholder;
}
int kqDevMid02::_toPrinterReady(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_toOCRPosition(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_toPrinterPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_toReaderBadPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_toOCRBadPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_toRollBackPrinter(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_toQRCodeBadPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_toQRCodeGoodPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_toDetainPos(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_toMotoRunStep(unsigned char, unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_MotoStop(int) {
    return kPlaceholder;
}
int kqDevMid02::_toTranfer(unsigned char) {
    return kPlaceholder;
}
int kqDevMid02::_EncryptByHardware(unsigned char, unsigned char, unsigned char, unsigned char*,
                                   unsigned char, unsigned char*, unsigned char*) {
    return kPlaceholder;
}
int kqDevMid02::checkconnects(const char*, char*) {
    return kPlaceholder;
}
