// Board model 0x01: as model 0x00, but any mode other than 0 always feeds in.
#pragma once

#include "mechanism/kqDevMid00.h"

class kqDev01 : public kqDevMid00 {
  public:
    int _AcceptCard(unsigned char mode, int timeoutMs) override;

    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<kqDevMid00> _CreateObjectByName() { return std::make_unique<kqDev01>(); }
};
