#include "mechanism/kqDev09.h"

#include "core/ResultJson.h"
#include "mechanism/StationTable.h"

namespace {
ClassRegistration<kqDevMid00, kqDev09> registerClass("kqDev09");
StaticRegistration<kqDevMid00> registerCheck("kqDev09", "checkconnects", &kqDev09::checkconnects);
}  // namespace

int kqDev09::checkconnects(const char*, char* out) {
    return result_json_code(1167, out, "");
}

int kqDev09::_AcceptCard(unsigned char mode, int) {
    try {
        int rc = command(kPrepare, {mode}, kCommandTimeoutMs);
        if (rc != 0) return rc;
        const bool withModule = mode == 0 && hasTransferCommands();
        rc = command(withModule ? kFeedInTransfer : kFeedIn, nullptr, 0, kCommandTimeoutMs);
        if (!withModule || rc != 0) return rc;
        return runResetTask();
    } catch (...) {
        return kError;
    }
}

int kqDev09::_toGetSensorsRelative(unsigned char* out) {
    unsigned char r[kSensorBytes] = {};
    const int rc = readRelativeRaw(r);
    if (rc != 0) return rc;
    r[1] = r[4];
    r[2] = r[3];
    for (int i = 0; i < kSensorBytes; ++i) out[i] = r[i];
    return 0;
}

int kqDev09::readStateJson(Json::Value& parts) {
    unsigned char s[kSensorBytes] = {};
    const int rc = _toGetSensors(s);
    if (rc != 0) return rc;
    auto add = [&](int id) { appendPart(parts, id); };
    if (s[7] != 0) {
        if (s[4] != 0 && s[3] == 0) add(station::kBeforeTransfer);
        if (s[3] != 0 && s[4] == 0) add(station::kTransfer);
    } else if (s[4] != 0) {
        if (s[0] != 0) {
            add(station::kDirection);
            add(station::kReader);
        } else {
            add(station::kQRCode);
        }
    } else {
        if (s[0] != 0) add(station::kEntrySlot);
        if (s[3] != 0) add(station::kPrePrint);
    }
    return 0;
}
