#include "mechanism/Identification.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "core/BaseRefer.h"
#include "devlink.h"
#include "mechanism/InfoBlock.h"

namespace {

// Each reply keeps at most this much data; the record's fields are sized for it.
constexpr int kWorkBytes = 255;
// At most this many bytes fit a field as "XX " hex text.
constexpr int kHexTextBytes = (kInfoTextCapacity - 1 + 1) / 3;

struct Step {
    short command;
    bool withParameter;
    int timeoutMs;
};

constexpr Step kNewFirmware{0x3001, false, 15000};
constexpr Step kDeviceType{0x100B, false, 15000};
constexpr Step kDeviceName{0x0104, true, 20000};
constexpr Step kFirmware32{0x0106, true, 20000};
constexpr Step kFirmware{0x0105, true, 20000};
constexpr Step kInfoBlockRead{0x1008, true, 15000};

// One command. The kept data start zeroed, so bytes a short reply lacks read
// as zero and never as a byte of an earlier reply.
struct Exchange {
    Device* port;
    short package;
    unsigned char work[kWorkBytes];
    int kept = 0;

    int run(const Step& step) {
        std::memset(work, 0, sizeof(work));
        kept = 0;
        char parameter = 0;
        char reply[kReplyCapacity] = {};
        int replyLen = 0;
        const int rc = send_command_wait_ack(
            port, package, step.command, 0, step.withParameter ? &parameter : nullptr,
            step.withParameter ? 1 : 0, nullptr, reply, &replyLen, step.timeoutMs);
        if (rc != 0) return rc;
        if (replyLen < 0) replyLen = 0;
        if (replyLen > kReplyCapacity) replyLen = kReplyCapacity;
        kept = replyLen < kWorkBytes ? replyLen : kWorkBytes;
        std::memcpy(work, reply, static_cast<size_t>(kept));
        return 0;
    }
};

std::string spacedHex(const unsigned char* bytes, int count) {
    if (count > kHexTextBytes) count = kHexTextBytes;
    std::string text;
    char pair[4];
    for (int i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof(pair), i == 0 ? "%02X" : " %02X", bytes[i]);
        text += pair;
    }
    return text;
}

std::string lowerHexCode(unsigned int code) {
    char text[16];
    std::snprintf(text, sizeof(text), "%x", code);
    std::string hex = text;
    if (hex.size() < 2) hex.insert(0, 2 - hex.size(), '0');
    return hex;
}

}  // namespace

int analyzeFlashNormal(void* port, int index, DeviceInfo* info) {
    Exchange exchange{static_cast<Device*>(port), static_cast<short>(index & 0xFFFF), {}, 0};

    info->newFirmware = true;
    int rc = exchange.run(kNewFirmware);
    if (rc != 0) {
        info->newFirmware = false;
        return rc;
    }

    if ((rc = exchange.run(kDeviceType)) != 0) return rc;
    const unsigned int code = exchange.work[7];
    setInfoText(info->device, "VXKM300");
    info->deviceType = code;
    setInfoText(info->deviceType_hex, lowerHexCode(code));
    int count = 0;
    setInfoText(info->deviceType_c, DevDM2MC(code, &count));
    info->SER_CNT = count;

    if ((rc = exchange.run(kDeviceName)) != 0) return rc;
    const std::string name(reinterpret_cast<const char*>(exchange.work),
                           strnlen(reinterpret_cast<const char*>(exchange.work), kWorkBytes));
    setInfoText(info->deviceName, _baseRefer::trim(name));

    if ((rc = exchange.run(kFirmware32)) != 0) return rc;
    setInfoText(info->firmware32, spacedHex(exchange.work, exchange.kept));

    if ((rc = exchange.run(kFirmware)) != 0) return rc;
    setInfoText(info->firmware, reinterpret_cast<const char*>(exchange.work),
                static_cast<size_t>(exchange.kept));

    if ((rc = exchange.run(kInfoBlockRead)) != 0) return rc;
    return decodeInfoBlock(exchange.work, exchange.kept, info);
}
