#pragma once
// A mechanism board on USB: the board's frames in 64-byte reports over one
// interface with an interrupt IN (0x81), an interrupt OUT (0x01) and a spare
// interrupt IN (0x82) endpoint.
#include <memory>

#include "board/Board.h"
#include "board/UsbReports.h"
#include "core/EventLoop.h"
#include "usb/UsbPersonality.h"

namespace ksim::board {

class UsbBoard : public usb::UsbPersonality {
  public:
    UsbBoard(std::unique_ptr<Board> board, EventLoop& loop, Journal& journal);

    std::string name() const override { return board_->name(); }
    usb::UsbIdentity identity() const override;
    void attach(usb::UsbDeviceLink* link) override { link_ = link; }
    void onHostData(uint8_t endpoint, std::vector<uint8_t> data) override;
    void onClaim(int interfaceNumber) override;
    void onPlugChange(bool plugged) override;

    Board& board() { return *board_; }
    // Cable pull for `replugMs` real milliseconds (negative: until plug()).
    void unplug(double replugMs);
    void plug();

    static constexpr uint8_t kInEndpoint = 0x81;
    static constexpr uint8_t kOutEndpoint = 0x01;

  private:
    void send(const Emission& emission, uint64_t generation);

    std::unique_ptr<Board> board_;
    EventLoop& loop_;
    Journal& journal_;
    usb::UsbDeviceLink* link_ = nullptr;
    UsbRequestAssembler assembler_;
    EventLoop::Clock::time_point lastReport_{};
    // Advances at every cable change, so replies and re-plugs scheduled earlier lapse.
    uint64_t generation_ = 0;
};

}  // namespace ksim::board
