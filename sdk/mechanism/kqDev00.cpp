#include "mechanism/kqDev00.h"

#include "core/ResultJson.h"

namespace {
ClassRegistration<kqDevMid00, kqDev00> registerClass("kqDev00");
StaticRegistration<kqDevMid00> registerCheck("kqDev00", "checkconnects", &kqDev00::checkconnects);
}  // namespace

int kqDev00::checkconnects(const char*, char*) {
    return 0;
}

int kqDev00::_AcceptCard(unsigned char mode, int) {
    unsigned char sensors[kSensorBytes] = {};
    const int rc = _toGetSensors(sensors);
    if (rc != 0) return rc;
    if (sensors[1] == 1) return 0;
    return kqDevMid00::_AcceptCard(mode, kFeedTimeoutMs);
}
