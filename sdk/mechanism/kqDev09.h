// Board model 0x09: a mechanism with a transfer module.
#pragma once

#include "mechanism/kqDevTransfer.h"

class kqDev09 : public kqDevTransfer {
  public:
    int _AcceptCard(unsigned char mode, int timeoutMs) override;
    int _toGetSensorsRelative(unsigned char* out) override;
    int readStateJson(Json::Value& parts) override;

    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<kqDevMid00> _CreateObjectByName() { return std::make_unique<kqDev09>(); }
};
