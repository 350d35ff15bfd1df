#pragma once
// Cuts the byte stream a board receives on its serial line into request frames:
// hunts for AA BB, reads the length, then the body, in which the byte after each
// 0xAA is a stuffing byte, then the check byte. Bytes outside frames are reported
// as junk; a frame left unfinished for longer than the gap limit is dropped.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "core/Hex.h"

namespace ksim::board {

class SerialFrameReader {
  public:
    using Clock = std::chrono::steady_clock;

    struct Item {
        enum class Kind { Frame, Junk, Dropped } kind;
        Bytes bytes;
    };

    explicit SerialFrameReader(std::chrono::milliseconds gapLimit = std::chrono::milliseconds(200))
        : gapLimit_(gapLimit) {}

    std::vector<Item> feed(const uint8_t* data, size_t len, Clock::time_point now = Clock::now());

  private:
    enum class State { Hunt, Header2, Length1, Length2, Body, Stuffing, Check };

    void flushJunk(std::vector<Item>& out);

    std::chrono::milliseconds gapLimit_;
    Clock::time_point last_{};
    State state_ = State::Hunt;
    Bytes frame_;
    Bytes junk_;
    size_t bodyLeft_ = 0;
};

}  // namespace ksim::board
