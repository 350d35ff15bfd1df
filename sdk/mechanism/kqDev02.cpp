#include "mechanism/kqDev02.h"

#include <cstring>
#include <utility>

#include "core/ResultJson.h"

namespace {
ClassRegistration<kqDevMid00, kqDev02> registerClass("kqDev02");
StaticRegistration<kqDevMid00> registerCheck("kqDev02", "checkconnects", &kqDev02::checkconnects);
constexpr int kRelativeBytes = 20;
}  // namespace

int kqDev02::checkconnects(const char*, char* out) {
    return result_json_code(1167, out, "");
}

int kqDev02::_toGetSensorsRelative(unsigned char* out) {
    unsigned char sensors[255] = {};
    const int rc = _toGetSensors(sensors);
    std::swap(sensors[1], sensors[2]);
    std::memcpy(out, sensors, kRelativeBytes);
    return rc;
}
