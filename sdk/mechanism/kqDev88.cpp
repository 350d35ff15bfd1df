#include "mechanism/kqDev88.h"

#include "core/ResultJson.h"
#include "link/LinkCodes.h"

namespace {
ClassRegistration<kqDevMid00, kqDev88> registerClass("kqDev88");
StaticRegistration<kqDevMid00> registerCheck("kqDev88", "checkconnects", &kqDev88::checkconnects);
constexpr short kPrepare = 0x4003;
constexpr short kFeedOut = 0x4002;
constexpr short kFeedOutStop = 0x4004;
constexpr int kPauseMs = 20;
}  // namespace

int kqDev88::checkconnects(const char*, char* out) {
    return listMechanismBoards(out);
}

int kqDev88::_EjectCard(unsigned char mode, int timeoutMs) {
    unsigned char sensors[kSensorBytes] = {};
    int rc = _toGetSensors(sensors);
    if (rc != 0) return rc;
    // A card on the printer side is brought back to the track before it goes out.
    if (sensors[2] == 1) {
        if (_toRollBackPrinter(1) != 0 && (rc = _toRollBackPrinter(1)) != 0) return rc;
    } else if (sensors[0] == 0 && sensors[1] == 0) {
        _toRollBackPrinter(1);
    }
    if ((rc = command(kPrepare, {mode}, kFeedTimeoutMs)) != 0) return rc;
    sleepMs(kPauseMs);
    rc = command(kFeedOut, nullptr, 0, kFeedTimeoutMs);
    if (rc == devlink::kBadReply) rc = command(kFeedOut, nullptr, 0, kFeedTimeoutMs);
    if (rc != 0) return rc;
    for (int poll = 0; poll < kFeedPolls; ++poll) {
        sleepMs(kFeedPollMs);
        unsigned char now[kSensorBytes] = {};
        if (_toGetSensors(now) == 0 && now[1] == 0 && now[2] == 0) return 0;
    }
    command(kFeedOutStop, nullptr, 0, timeoutMs);
    return kFeedTimeout;
}
