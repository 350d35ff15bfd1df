// Board model 0x88: the long mechanism with a printer-side sensor.
#pragma once

#include "mechanism/kqDevMid00.h"

class kqDev88 : public kqDevMid00 {
  public:
    int _EjectCard(unsigned char mode, int timeoutMs) override;

    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<kqDevMid00> _CreateObjectByName() { return std::make_unique<kqDev88>(); }
};
