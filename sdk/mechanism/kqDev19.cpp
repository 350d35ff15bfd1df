#include "mechanism/kqDev19.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/ResultJson.h"
#include "core/ServiceLog.h"
#include "mechanism/StationTable.h"

namespace {
ClassRegistration<kqDevMid00, kqDev19> registerClass("kqDev19");
StaticRegistration<kqDevMid00> registerCheck("kqDev19", "checkconnects", &kqDev19::checkconnects);
constexpr int kLastYearWithModuleFeed = 2018;
constexpr int kPauseMs = 100;
}  // namespace

int kqDev19::checkconnects(const char*, char* out) {
    writeLog("kqDev19::checkconnects");
    return result_json_code(1167, out, "");
}

int kqDev19::buildYear() const {
    const char* name = mInfo->deviceName;
    const size_t length = strnlen(name, kInfoTextCapacity);
    int year = 0;
    for (size_t i = 2; i < length && i < 6 && std::isdigit(static_cast<unsigned char>(name[i]));
         ++i) {
        year = year * 10 + (name[i] - '0');
    }
    return year;
}

int kqDev19::_AcceptCard(unsigned char mode, int) {
    try {
        int rc = command(kPrepare, {mode}, kCommandTimeoutMs);
        if (rc != 0) return rc;
        sleepMs(kPauseMs);
        if (strnlen(mInfo->deviceName, kInfoTextCapacity) < 2) return kError;
        const bool withModule =
            mode == 0 && buildYear() <= kLastYearWithModuleFeed && hasTransferCommands();
        if (withModule) std::printf("_FEED_CARD_SIMPLE\n");
        std::printf("_FEED_CARD _send_command_wait_ack\n");
        std::fflush(stdout);
        rc = command(withModule ? kFeedInTransfer : kFeedIn, nullptr, 0, kCommandTimeoutMs);
        std::printf("_FEED_CARD _send_command_wait_ack r%d\n", rc);
        std::fflush(stdout);
        if (rc != 0) return rc;
        sleepMs(kPauseMs);
        return withModule ? runResetTask() : 0;
    } catch (...) {
        return kError;
    }
}

int kqDev19::_toGetSensorsRelative(unsigned char* out) {
    unsigned char r[kSensorBytes] = {};
    const int rc = readRelativeRaw(r);
    if (rc != 0) return rc;
    const unsigned char front = r[1];
    const unsigned char track = r[2] | r[3];
    const unsigned char printer = r[4] | r[5];
    r[0] = front;
    r[1] = track;
    r[2] = printer;
    for (int i = 0; i < kSensorBytes; ++i) out[i] = r[i];
    return 0;
}

int kqDev19::readStateJson(Json::Value& parts) {
    unsigned char s[kSensorBytes] = {};
    const int rc = _toGetSensors(s);
    if (rc != 0) return rc;
    auto add = [&](int id) { appendPart(parts, id); };
    if (s[0] != 0 || s[1] != 0) {
        if (s[2] != 0) {
            add(station::kDirection);
            add(station::kReader);
            add(station::kQRCode);
        } else {
            add(station::kEntrySlot);
        }
    }
    if (s[3] != 0) {
        if (s[2] != 0) {
            add(station::kReader);
            add(station::kQRCode);
        } else {
            add(station::kBeforeTransfer);
        }
    }
    if (s[5] != 0) {
        add(station::kPrePrint);
    } else if (s[4] != 0 && s[3] == 0) {
        add(station::kTransfer);
    }
    return 0;
}
