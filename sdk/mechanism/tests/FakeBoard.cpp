#include "FakeBoard.h"

#include <algorithm>
#include <cstring>

#include "devlink.h"
#include "mechanism/InfoBlock.h"

BoardState::BoardState()
    : block(plainBlock({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE}, "PRN00000001", "QRC000000001")),
      sensors(8, 0) {}

std::vector<short> BoardState::commands() const {
    std::vector<short> codes;
    for (const Sent& s : sent) codes.push_back(s.command);
    return codes;
}

int BoardState::count(short command) const {
    return static_cast<int>(std::count_if(sent.begin(), sent.end(),
                                          [&](const Sent& s) { return s.command == command; }));
}

namespace {

Answer defaultAnswer(const BoardState& board, const Sent& request) {
    Answer answer;
    switch (static_cast<uint16_t>(request.command)) {
        case 0x100B:
            answer.data = Bytes(8, 0);
            answer.data[7] = board.deviceType;
            break;
        case 0x0104:
            answer.data.assign(board.name.begin(), board.name.end());
            break;
        case 0x0106:
            answer.data = board.firmware32;
            break;
        case 0x0105:
            answer.data.assign(board.firmware.begin(), board.firmware.end());
            break;
        case 0x1008:
            answer.data = board.block;
            break;
        case 0x1002:
            if (request.data.size() <= 1) {
                // The wire carries each sensor with its lowest bit inverted.
                for (uint8_t s : board.sensors) answer.data.push_back(s ^ 0x01);
            }
            break;
        default:
            break;
    }
    return answer;
}

}  // namespace

int FakeBoard::SendCommandAndWaitRec(short packageNum, short cmdCode, short, char* data, int len,
                                     short* replyPackageNum, signed char* replyState,
                                     char* replyData, int* replyLen, int) {
    Sent request{packageNum, cmdCode, Bytes(data, data + (data != nullptr && len > 0 ? len : 0))};
    mState.sent.push_back(request);
    Answer answer;
    auto queued = mState.queued.find(cmdCode);
    if (queued != mState.queued.end() && !queued->second.empty()) {
        answer = queued->second.front();
        queued->second.pop_front();
    } else {
        answer = defaultAnswer(mState, request);
    }
    if (mState.afterCommand) mState.afterCommand(request);
    if (answer.rc != 0) return answer.rc;
    if (replyPackageNum != nullptr) *replyPackageNum = packageNum;
    *replyState = answer.state;
    *replyLen = static_cast<int>(answer.data.size());
    if (!answer.data.empty()) std::memcpy(replyData, answer.data.data(), answer.data.size());
    return 0;
}

Bytes plainBlock(const Bytes& deviceId, const std::string& printerId, const std::string& qrId,
                 uint8_t mark, uint8_t boardHigh, uint8_t boardLow) {
    Bytes block(kInfoBlockSize, 0);
    block[1] = mark;
    block[2] = boardHigh;
    block[3] = boardLow;
    std::copy_n(deviceId.begin(), std::min<size_t>(7, deviceId.size()), block.begin() + 4);
    std::copy_n(printerId.begin(), std::min<size_t>(11, printerId.size()), block.begin() + 11);
    std::copy_n(qrId.begin(), std::min<size_t>(12, qrId.size()), block.begin() + 22);
    block[40] = 0xA1;
    block[41] = 0xB2;
    block[42] = 0xC3;
    for (int i = 43; i < 63; ++i) block[i] = static_cast<uint8_t>(0x60 + i);
    uint8_t sum = 0;
    for (int i = 1; i <= 42; ++i) sum ^= block[i];
    block[0] = sum;
    block[63] = 0xFE;
    return block;
}

Bytes encipheredBlock(Bytes plain) {
    unsigned char cipher[56];
    des3_ecb_encrypt(cipher, plain.data() + 1, 56, kInfoBlockKey, sizeof(kInfoBlockKey));
    std::copy_n(cipher, 56, plain.begin() + 1);
    plain[63] = 0xFD;
    return plain;
}

AccessGuard::AccessGuard(BoardState* board) : mSaved(boardAccess()) {
    BoardAccess& access = boardAccess();
    access.sleepMs = [this](int ms) { sleeps.push_back(ms); };
    access.selectBoard = [this](uint16_t, uint16_t pid) {
        selectedPid = pid;
        return attached;
    };
    access.openBoard = [this, board](Device** port) {
        ++opens;
        auto it = boardsByPid.find(selectedPid);
        BoardState* target = it != boardsByPid.end() ? it->second : board;
        if (target == nullptr) return -1;
        *port = new FakeBoard(*target);
        lastOpened = *port;
        return 0;
    };
    access.listUsb = [this](std::vector<UsbId>& ids) {
        ids = bus;
        return true;
    };
}

AccessGuard::~AccessGuard() {
    boardAccess() = mSaved;
}

std::vector<std::string>& EventLog::documents() {
    static std::vector<std::string> docs;
    return docs;
}

int EventLog::listener(char* document) {
    documents().push_back(document);
    return 0;
}
