#include "link/BaseDevice.h"

#include "core/ResultJson.h"

namespace {
ClassRegistration<BaseDevice, BaseDevice> registerClass("BaseDevice");
StaticRegistration<BaseDevice> registerCheck("BaseDevice", "checkconnects",
                                             &BaseDevice::checkconnects);
}  // namespace

int BaseDevice::open_dev(const char*, char* out) {
    return result_json_code(1, out, "");
}

int BaseDevice::close_dev(const char*, char* out) {
    return result_json_code(1, out, "");
}

int BaseDevice::clean_dev(const char*, char* out) {
    return result_json_code(1, out, "");
}

int BaseDevice::findObject(const char*, std::vector<kqDev*>&) {
    return 0;
}

int BaseDevice::checkconnects(const char*, char*) {
    return -1;
}
