// Board model 0x02: its inner-track sensors are the other way round.
#pragma once

#include "mechanism/kqDevMid00.h"

class kqDev02 : public kqDevMid00 {
  public:
    int _toGetSensorsRelative(unsigned char* out) override;

    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<kqDevMid00> _CreateObjectByName() { return std::make_unique<kqDev02>(); }
};
