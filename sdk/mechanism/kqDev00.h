// Board model 0x00: takes a card in only when none is inside.
#pragma once

#include "mechanism/kqDevMid00.h"

class kqDev00 : public kqDevMid00 {
  public:
    int _AcceptCard(unsigned char mode, int timeoutMs) override;

    static int checkconnects(const char* argsJson, char* out);
    static std::unique_ptr<kqDevMid00> _CreateObjectByName() { return std::make_unique<kqDev00>(); }
};
