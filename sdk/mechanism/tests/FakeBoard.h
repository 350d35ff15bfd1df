// A test board behind a Device: records every command it is sent and answers
// from a small, settable board state, with per-command answers queued on top.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/Device.h"
#include "mechanism/BoardAccess.h"

using Bytes = std::vector<uint8_t>;

struct Sent {
    short package = 0;
    short command = 0;
    Bytes data;
};

struct Answer {
    int rc = 0;  // a link code instead of a reply when non-zero
    signed char state = 0;
    Bytes data;
};

// The state every port to the board shares; it outlives reconnects.
struct BoardState {
    uint8_t deviceType = 0x00;
    std::string name = "KQ2018AB";
    std::string firmware = "20200101";
    Bytes firmware32 = {0x01, 0x02, 0x0A};
    Bytes block;    // the 0x1008 reply; a valid plain block by default
    Bytes sensors;  // relative and plain sensor reads: card bits already set to 1
    std::vector<Sent> sent;
    int livePorts = 0;                           // FakeBoards open on this state
    std::map<short, std::deque<Answer>> queued;  // answered before the defaults
    // Called after each reply has been chosen, to let a test change sensors.
    std::function<void(const Sent&)> afterCommand;

    BoardState();
    // Commands sent, in order.
    std::vector<short> commands() const;
    int count(short command) const;
    void queue(short command, Answer answer) { queued[command].push_back(std::move(answer)); }
};

class FakeBoard : public Device {
  public:
    explicit FakeBoard(BoardState& state) : mState(state) { ++mState.livePorts; }
    ~FakeBoard() override { --mState.livePorts; }
    int SendCommandAndWaitRec(short packageNum, short cmdCode, short state, char* data, int len,
                              short* replyPackageNum, signed char* replyState, char* replyData,
                              int* replyLen, int timeout) override;

  private:
    BoardState& mState;
};

// A 64-byte information block with a correct checksum.
Bytes plainBlock(const Bytes& deviceId, const std::string& printerId, const std::string& qrId,
                 uint8_t mark = 0x07, uint8_t boardHigh = 0x01, uint8_t boardLow = 0x02);
// The same block with bytes 1 to 56 enciphered and marker 0xFD.
Bytes encipheredBlock(Bytes plain);

// Replaces the process's board access for one test: no sleeping, and the
// board opened by a reconnect is a new FakeBoard on the same state.
class AccessGuard {
  public:
    explicit AccessGuard(BoardState* board = nullptr);
    ~AccessGuard();
    int opens = 0;
    Device* lastOpened = nullptr;  // the port the last open made
    int attached = 1;              // boards a selection finds
    std::vector<int> sleeps;
    std::vector<UsbId> bus;
    std::map<uint16_t, BoardState*> boardsByPid;  // else the guard's board
    uint16_t selectedPid = 0;

  private:
    BoardAccess mSaved;
};

// Collects event documents raised through a listener.
struct EventLog {
    static std::vector<std::string>& documents();
    static int listener(char* document);
};
