#include "ConsoleTables.h"

namespace devconsole {

namespace {

const char* const kConnections[kConnectionCount] = {"AUTO", "COMDevice", "KQUSBDevice",
                                                    "DSPrinterAsDevice"};

const ModelEntry kModels[kModelCount] = {
    {"AUTO", "AUTO", -1},
    {"00", "短模块(单签机)00款", 0},
    {"01", "短模块(单签机)01款", 1},
    {"02", "长模块02款", 2},
    {"09", "翻转模块(360)09款", 9},
    {"19", "翻转模块(固定翻转) 19款 ", 25},
    {"70", "直角翻转模块70款", 112},
    {"80", "高速制证机80款", 128},
    {"88", "长模块88款", 136},
    {"FF", "批签机FF款", 255},
    {"F001", " F001 ", 61441},
    {"F002", " DS打印机款F002 ", 61442},
    {"F003", "大型制证机F003", 61443},
};

}  // namespace

std::string connectionText(int index) {
    return index >= 0 && index < kConnectionCount ? kConnections[index] : "";
}

const ModelEntry* modelEntry(int index) {
    return index >= 0 && index < kModelCount ? &kModels[index] : nullptr;
}

std::string modelName(int index) {
    const ModelEntry* entry = modelEntry(index);
    return entry != nullptr ? entry->name : "";
}

int modelDeviceType(int index) {
    const ModelEntry* entry = modelEntry(index);
    return entry != nullptr ? entry->deviceType : -1;
}

}  // namespace devconsole
