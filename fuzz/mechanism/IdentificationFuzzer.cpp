// The identification sequence and the information block over replies of any
// content: the record's text fields stay terminated within their capacity, the
// result is the failing exchange's code or one of the block codes, a refused block
// leaves the block fields empty, and the device-information document can be built.
#include <json/json.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "devlink.h"
#include "mechanism/DeviceInfo.h"
#include "mechanism/Identification.h"
#include "mechanism/InfoBlock.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

constexpr short kSequence[] = {0x3001, 0x100B, 0x0104, 0x0106, 0x0105, 0x1008};
constexpr int kSteps = sizeof(kSequence) / sizeof(kSequence[0]);
// The longest reply data an exchange delivers.
constexpr int kLongestReplyData = 3489;
// Link results and board state bytes an exchange can end with instead of a reply.
constexpr int kFailures[] = {DEVLINK_NO_REPLY,
                             DEVLINK_WRITE_FAILED,
                             DEVLINK_REPLY_TOO_LONG,
                             DEVLINK_BAD_REPLY,
                             1,
                             -1,
                             0x4E,
                             0x7F};

// Each exchange takes from the input an outcome byte (0xE0 and above: a failure from
// kFailures) and, for a reply, a 16-bit length and that many data bytes.
struct Board {
    const uint8_t* data = nullptr;
    size_t size = 0;
    size_t pos = 0;
    int step = 0;
    int failure = 0;  // the code the last exchange failed with
    std::vector<unsigned char> lastReply;

    int exchange(short package, short command, char* parameter, int len, char* reply,
                 int* replyLen) {
        check(step < kSteps && command == kSequence[step]);
        check(package == 5);
        const bool withParameter = step >= 2;
        check(withParameter ? (parameter != nullptr && len == 1)
                            : (parameter == nullptr && len == 0));
        ++step;
        check(reply != nullptr && replyLen != nullptr);
        *replyLen = 0;
        if (pos >= size) return failure = DEVLINK_NO_REPLY;
        const uint8_t outcome = data[pos++];
        if (outcome >= 0xE0) return failure = kFailures[outcome & 7];
        size_t n = 0;
        if (pos + 2 <= size) {
            n = data[pos] | data[pos + 1] << 8;
            pos += 2;
        }
        n = std::min<size_t>({n, size - pos, kLongestReplyData});
        std::memcpy(reply, data + pos, n);
        lastReply.assign(data + pos, data + pos + n);
        pos += n;
        *replyLen = static_cast<int>(n);
        return 0;
    }
};

Board* gBoard = nullptr;

bool terminated(const InfoText& field) {
    return strnlen(field, sizeof(field)) < sizeof(field);
}

bool empty(const InfoText& field) {
    return field[0] == '\0';
}

}  // namespace

// The identification code reaches its board only through this exchange.
extern "C" int send_command_wait_ack(Device*, short packageNum, short cmdCode, signed char state,
                                     char* data, int len, short*, char* replyData, int* replyLen,
                                     int) {
    check(state == 0);
    return gBoard->exchange(packageNum, cmdCode, data, len, replyData, replyLen);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Board board;
    board.data = data;
    board.size = size;
    gBoard = &board;
    DeviceInfo info;
    const int rc = analyzeFlashNormal(&board, 5, &info);
    gBoard = nullptr;

    const InfoText* fields[] = {
        &info.path,       &info.firmware,   &info.device, &info.deviceType_hex, &info.deviceType_c,
        &info.deviceName, &info.firmware32, &info.pici,   &info.DevID,          &info.SerialNumber,
        &info.PrinterID,  &info.QRCodeGun,  &info.Board};
    for (const InfoText* field : fields) check(terminated(*field));

    const bool blockRefused = rc == kBadInfoMarker || rc == kBadInfoChecksum;
    if (board.step < kSteps || board.failure != 0) {
        check(rc == board.failure && rc != 0);
    } else {
        check(rc == 0 || blockRefused);
        // Only the first 255 bytes of a reply are kept; the block is judged on those.
        const std::vector<unsigned char>& block = board.lastReply;
        const int kept = static_cast<int>(std::min<size_t>(block.size(), 255));
        DeviceInfo again;
        check(decodeInfoBlock(block.data(), kept, &again) == rc);
        check(std::strcmp(again.DevID, info.DevID) == 0 &&
              std::strcmp(again.PrinterID, info.PrinterID) == 0);
    }
    if (rc == 0) {
        check(std::strlen(info.DevID) == 14 && std::strcmp(info.DevID, info.SerialNumber) == 0);
        check(std::strlen(info.pici) == 6);
    } else if (blockRefused) {
        check(empty(info.DevID) && empty(info.PrinterID) && empty(info.QRCodeGun) &&
              empty(info.pici) && empty(info.Board));
    }
    check(info.newFirmware == !(board.step == 1 && board.failure != 0));

    Json::Value document;
    devInfo2json(document, &info);
    Json::StreamWriterBuilder writer;
    writer["emitUTF8"] = true;
    writer["indentation"] = "";
    const std::string text = Json::writeString(writer, document);
    check(!text.empty());
    return 0;
}
