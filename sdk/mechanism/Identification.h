// The identification sequence a board answers: six commands whose replies
// fill a DeviceInfo record.
#pragma once

#include "mechanism/DeviceInfo.h"

// Largest reply data the link delivers for one command.
constexpr int kReplyCapacity = 3500;

// Runs the sequence over port (a Device) with package number index. 0 on
// success; else the first failing exchange's result, kBadInfoMarker or
// kBadInfoChecksum.
int analyzeFlashNormal(void* port, int index, DeviceInfo* info);
