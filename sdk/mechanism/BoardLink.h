// The open port of one board group, shared by the models created on it. The
// link owns the port it opened; reopening replaces it for every model at once,
// so no model is left holding a closed port.
#pragma once

#include <cstdint>
#include <memory>

#include "core/ResultCodes.h"
#include "link/Device.h"

// 1348: the board to reopen is not attached.
constexpr int kBoardNotFound = kqcode::kInvalidClass;

class BoardLink {
  public:
    BoardLink() = default;
    explicit BoardLink(std::unique_ptr<Device> port) : mOwned(std::move(port)) {}
    BoardLink(const BoardLink&) = delete;
    BoardLink& operator=(const BoardLink&) = delete;

    Device* port() const { return mOwned ? mOwned.get() : mBorrowed; }
    // Uses a port that stays its caller's: close() only forgets it.
    void borrow(Device* port);
    void adopt(std::unique_ptr<Device> port);
    // Closes an owned port, forgets a borrowed one.
    void close();
    // Closes the current port and opens the first board with these ids:
    // 0, kBoardNotFound, or the open function's own result.
    int reopen(uint16_t vid, uint16_t pid);

  private:
    std::unique_ptr<Device> mOwned;
    Device* mBorrowed = nullptr;
};
