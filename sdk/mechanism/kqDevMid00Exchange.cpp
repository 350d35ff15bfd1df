// The command exchange of the standard driver: one retry through a reopened
// board when the board did not answer or could not be written to.
#include <cstdio>
#include <cstring>

#include "core/ServiceLog.h"
#include "devlink.h"
#include "link/LinkCodes.h"
#include "mechanism/BoardAccess.h"
#include "mechanism/kqDevMid00.h"

int kqDevMid00::_send_command_wait_ack(void* port, short& packageNum, short cmdCode,
                                       signed char state, char* data, int len,
                                       short* replyPackageNum, char* replyData, int* replyLen,
                                       int timeoutMs) {
    try {
        const auto vid = static_cast<uint16_t>(mInfo->vid);
        const auto pid = static_cast<uint16_t>(mInfo->pid);
        auto* device = static_cast<Device*>(port);
        if (device == nullptr) {
            const int rc = mLink->reopen(vid, pid);
            if (rc != 0) return rc;
            device = mLink->port();
        }
        int rc = send_command_wait_ack(device, packageNum, cmdCode, state, data, len,
                                       replyPackageNum, replyData, replyLen, timeoutMs);
        if (rc != devlink::kNoReply && rc != devlink::kWriteFailed) return rc;

        writeLog("怀疑断了e8,再来过吧");
        rc = mLink->reopen(vid, pid);
        std::printf("open_device:%d\n", rc);
        std::fflush(stdout);
        if (rc != 0) return rc;
        rc = send_command_wait_ack(mLink->port(), packageNum, cmdCode, state, data, len,
                                   replyPackageNum, replyData, replyLen, timeoutMs);
        std::printf("open_device send_command_wait_ack:%d\n", rc);
        std::fflush(stdout);
        return rc;
    } catch (...) {
        return -1;
    }
}

int kqDevMid00::command(short code, const unsigned char* param, int paramLen, int timeoutMs,
                        CommandReply* reply) {
    CommandReply scratch;
    CommandReply& target = reply != nullptr ? *reply : scratch;
    target.len = 0;
    short package = mPackageNum;
    const int rc = _send_command_wait_ack(
        mLink->port(), package, code, 0,
        paramLen > 0 ? reinterpret_cast<char*>(const_cast<unsigned char*>(param)) : nullptr,
        paramLen > 0 ? paramLen : 0, nullptr, target.data, &target.len, timeoutMs);
    if (target.len < 0) target.len = 0;
    if (target.len > kReplyCapacity) target.len = kReplyCapacity;
    return rc;
}

int kqDevMid00::command(short code, std::initializer_list<unsigned char> param, int timeoutMs,
                        CommandReply* reply) {
    return command(code, param.begin(), static_cast<int>(param.size()), timeoutMs, reply);
}

void kqDevMid00::sleepMs(int ms) {
    boardAccess().sleepMs(ms);
}
