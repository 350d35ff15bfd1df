// Feeding, motor, flash, sensor and power commands of the standard driver, and
// the state document built from the sensors.
#include <algorithm>
#include <cstring>

#include "core/ServiceLog.h"
#include "mechanism/StationTable.h"
#include "mechanism/kqDevMid00.h"

namespace {

constexpr short kPrepare = 0x4003;
constexpr short kFeedIn = 0x4001;
constexpr short kFeedOut = 0x4002;
constexpr short kFeedOutStop = 0x4004;
constexpr short kMotorRun = 0x1003;
constexpr short kSensorRead = 0x1002;
constexpr short kMotorStop = 0x1004;
constexpr short kFlashRead = 0x1008;
constexpr short kFlashWrite = 0x1009;
constexpr short kEncrypt = 0x100F;
constexpr short kPowerOff = 0x0009;
constexpr int kMotorTimeoutMs = 20000;
constexpr int kFlashTimeoutMs = 15000;
constexpr int kEncryptDataMax = 252;

// Copies at most capacity reply bytes to out; count becomes the number copied.
void copyReply(const CommandReply& reply, unsigned char* out, int& count) {
    const int n = out == nullptr ? 0 : std::min(std::max(count, 0), reply.len);
    if (n > 0) std::memcpy(out, reply.data, static_cast<size_t>(n));
    count = n;
}

}  // namespace

int kqDevMid00::_AcceptCard(unsigned char mode, int timeoutMs) {
    int rc = command(kPrepare, {mode}, timeoutMs);
    if (rc != 0) return rc;
    if ((rc = command(kFeedIn, {mode}, timeoutMs)) != 0) return rc;
    for (int poll = 0; poll < kFeedPolls; ++poll) {
        sleepMs(kFeedPollMs);
        unsigned char sensors[kSensorBytes] = {};
        if (_toGetSensorsRelative(sensors) == 0 && sensors[1] == 1) return 0;
    }
    command(kFeedIn, {mode}, timeoutMs);
    return kFeedTimeout;
}

int kqDevMid00::_EjectCard(unsigned char mode, int timeoutMs) {
    int rc = command(kPrepare, {mode}, timeoutMs);
    if (rc != 0) return rc;
    if ((rc = command(kFeedOut, {mode}, timeoutMs)) != 0) return rc;
    for (int poll = 0; poll < kFeedPolls; ++poll) {
        sleepMs(kFeedPollMs);
        unsigned char sensors[kSensorBytes] = {};
        if (_toGetSensorsRelative(sensors) == 0 && sensors[1] == 0) return 0;
    }
    command(kFeedOutStop, {mode}, timeoutMs);
    return kFeedTimeout;
}

int kqDevMid00::_MotoRun(unsigned char mode, int timeoutMs) {
    const int rc = command(kPrepare, {mode}, timeoutMs);
    if (rc != 0) return rc;
    return command(kMotorRun, {0x00}, timeoutMs);
}

int kqDevMid00::_toMotoRunStep(unsigned char a, unsigned char b) {
    return command(kSensorRead, {0x00, a, b}, kMotorTimeoutMs);
}

int kqDevMid00::_MotoStop(int) {
    return command(kMotorStop, {0x00}, kMotorTimeoutMs);
}

int kqDevMid00::_ReadFlash(unsigned char* param, int paramLen, unsigned char* out, int& outLen) {
    CommandReply reply;
    const int rc =
        command(kFlashRead, param, param != nullptr ? paramLen : 0, kFlashTimeoutMs, &reply);
    copyReply(reply, out, outLen);
    return rc;
}

int kqDevMid00::_WriteFlash(unsigned char* param, int paramLen, unsigned char* out, int& outLen) {
    CommandReply reply;
    const int rc =
        command(kFlashWrite, param, param != nullptr ? paramLen : 0, kFlashTimeoutMs, &reply);
    copyReply(reply, out, outLen);
    return rc;
}

int kqDevMid00::_toGetSensors(unsigned char* out) {
    CommandReply reply;
    const int rc = command(kSensorRead, {0x00}, kMotorTimeoutMs, &reply);
    if (rc != 0) return rc;
    std::memset(out, 0, kSensorBytes);
    const int n = std::min(reply.len, kSensorBytes);
    for (int i = 0; i < n; ++i) out[i] = static_cast<unsigned char>(reply.data[i] ^ 0x01);
    return 0;
}

int kqDevMid00::_toGetSensorsRelative(unsigned char* out) {
    return kqDevMid00::_toGetSensors(out);
}

int kqDevMid00::_EncryptByHardware(unsigned char, unsigned char b, unsigned char c,
                                   unsigned char* data, unsigned char len, unsigned char* out,
                                   unsigned char* outLen) {
    unsigned char param[3 + kEncryptDataMax] = {0x00, b, c};
    const int n = data == nullptr ? 0 : std::min<int>(len, kEncryptDataMax);
    if (n > 0) std::memcpy(param + 3, data, static_cast<size_t>(n));
    CommandReply reply;
    const int rc = command(kEncrypt, param, 3 + n, kMotorTimeoutMs, &reply);
    if (outLen != nullptr) {
        int count = *outLen;
        copyReply(reply, out, count);
        *outLen = static_cast<unsigned char>(count);
    }
    return rc;
}

int kqDevMid00::_PowerOff(int waitMs) {
    writeLog("机构断电");
    const auto tenths = static_cast<unsigned char>((std::max(waitMs, 100) / 100) & 0xFF);
    return command(kPowerOff, {0x01, tenths}, kFlashTimeoutMs);
}

int kqDevMid00::_toSetPowerOff(int waitMs) {
    return _PowerOff(waitMs);
}

int kqDevMid00::readStateJson(Json::Value& parts) {
    unsigned char sensors[kSensorBytes] = {};
    const int rc = _toGetSensors(sensors);
    if (rc != 0) return rc;
    auto add = [&](int id) { appendPart(parts, id); };
    if (sensors[0] != 0) add(station::kEntrySlot);
    if (sensors[1] != 0) {
        add(station::kDirection);
        add(station::kReader);
        add(station::kQRCode);
    }
    if (sensors[2] != 0) {
        add(station::kPrePrint);
        add(station::kReadyToPrint);
    }
    return 0;
}
