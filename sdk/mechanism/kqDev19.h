// Board model 0x19: a mechanism with a transfer module.
#pragma once

#include "mechanism/kqDevTransfer.h"

class kqDev19 : public kqDevTransfer {
  public:
    int _AcceptCard(unsigned char mode, int timeoutMs) override;
    int _toGetSensorsRelative(unsigned char* out) override;
    int readStateJson(Json::Value& parts) override;

    // Year of the board: four characters of the device name from its third.
    int buildYear() const;
    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<kqDevMid00> _CreateObjectByName() { return std::make_unique<kqDev19>(); }
};
