// The console's connection and model tables: what the menus offer and what
// the requests carry as "object_name" and "device_type".
#pragma once

#include <string>

namespace devconsole {

constexpr int kConnectionCount = 4;
constexpr int kModelCount = 13;
// The model index before any model is chosen: an empty name, "device_type" -1.
constexpr int kNoModel = -1;
// The high-speed card-making machine, whose cycle keys run the printer batch.
constexpr int kHighSpeedModel = 7;

struct ModelEntry {
    const char* code;
    const char* name;
    int deviceType;
};

// "AUTO", "COMDevice", "KQUSBDevice", "DSPrinterAsDevice"; empty out of range.
std::string connectionText(int index);
// The entry of index, or null out of range.
const ModelEntry* modelEntry(int index);
// The shown name; empty for kNoModel and out of range.
std::string modelName(int index);
// The request's "device_type"; -1 for kNoModel and out of range.
int modelDeviceType(int index);

}  // namespace devconsole
