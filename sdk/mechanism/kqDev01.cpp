#include "mechanism/kqDev01.h"

#include "core/ResultJson.h"

namespace {
ClassRegistration<kqDevMid00, kqDev01> registerClass("kqDev01");
StaticRegistration<kqDevMid00> registerCheck("kqDev01", "checkconnects", &kqDev01::checkconnects);
}  // namespace

int kqDev01::checkconnects(const char*, char* out) {
    return result_json_code(1167, out, "");
}

int kqDev01::_AcceptCard(unsigned char mode, int) {
    unsigned char sensors[kSensorBytes] = {};
    const int rc = _toGetSensors(sensors);
    if (rc != 0) return rc;
    if (mode == 0 && sensors[1] == 1) return 0;
    return kqDevMid00::_AcceptCard(mode, kFeedTimeoutMs);
}
