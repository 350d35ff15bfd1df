// A serially attached mechanism: every device operation answers -1; its state
// document lists the recorded card position.
#pragma once

#include <memory>

#include "core/Registry.h"
#include "mechanism/kqDev.h"

class kqDevMidCOM : public kqDev {
  public:
    int open() override;
    int close() override;
    int readStateJson(Json::Value& parts) override;
    int analyzeFlash(void* port, int index) override;
    int analyzeFlash(const char* name) override;
    int toGetDevJsonOld(Json::Value& out) override;
    int send_to_parts(const char* argsJson, char* out) override;
    int analyzeOptions(int fromPart, int targetPart, int acceptSide, int acceptSideOcr,
                       char* out) override;
    int readConfigData(unsigned char* out, int* outLen) override;
    int _AcceptCard(unsigned char mode, int timeoutMs) override;
    int _EjectCard(unsigned char mode, int timeoutMs) override;
    int _toReaderPos(unsigned char mode) override;
    int _MotoRun(unsigned char mode, int timeoutMs) override;
    int _ReadFlash(unsigned char* param, int paramLen, unsigned char* out, int& outLen) override;
    int _WriteFlash(unsigned char* param, int paramLen, unsigned char* out, int& outLen) override;
    int _toGetSensors(unsigned char* out) override;
    int _toGetSensorsRelative(unsigned char* out) override;
    int _toSetPowerOff(int waitMs) override;
    int _toPrinterReady(unsigned char side) override;
    int _toOCRPosition(unsigned char mode) override;
    int _toPrinterPos(unsigned char side) override;
    int _toReaderBadPos(unsigned char mode) override;
    int _toOCRBadPos(unsigned char mode) override;
    int _toRollBackPrinter(unsigned char mode) override;
    int _toQRCodeBadPos(unsigned char mode) override;
    int _toQRCodeGoodPos(unsigned char mode) override;
    int _toDetainPos(unsigned char mode) override;
    int _toMotoRunStep(unsigned char a, unsigned char b) override;
    int _MotoStop(int timeoutMs) override;
    int _toTranfer(unsigned char side) override;
    int _EncryptByHardware(unsigned char a, unsigned char b, unsigned char c, unsigned char* data,
                           unsigned char len, unsigned char* out, unsigned char* outLen) override;

    static std::unique_ptr<kqDevMidCOM> _CreateObjectByName() {
        return std::make_unique<kqDevMidCOM>();
    }
};
