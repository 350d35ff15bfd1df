#pragma once
// A rewritable card printer on USB 0483:5760: two interfaces, frames in 64-byte
// packets on interrupt OUT 0x02 (data frames, which the host sends as bulk transfers
// and usbfs carries as interrupt transfers, and enquiries, sent as interrupt
// transfers) and bulk IN 0x82 (replies and acknowledges), with optional busy
// acknowledges and operator-armed faults. Strict (the default), a malformed request
// is answered with an error status (printer/RequestCheck.h).
#include <memory>
#include <string>
#include <vector>

#include "core/EventLoop.h"
#include "core/Journal.h"
#include "printer/PrinterFault.h"
#include "printer/PrinterFrames.h"
#include "printer/PrinterModel.h"
#include "usb/UsbPersonality.h"

namespace ksim::printer {

class UsbPrinter : public usb::UsbPersonality {
  public:
    static constexpr uint8_t kOutEndpoint = 0x02;
    static constexpr uint8_t kInEndpoint = 0x82;

    UsbPrinter(int index, PrinterConfig config, std::string cardsDir, EventLoop& loop,
               Journal& journal);

    std::string name() const override { return name_; }
    usb::UsbIdentity identity() const override;
    void attach(usb::UsbDeviceLink* link) override { link_ = link; }
    void onHostData(uint8_t endpoint, std::vector<uint8_t> data) override;
    void onClaim(int interfaceNumber) override;
    void onPlugChange(bool plugged) override;

    // Operator actions (event loop thread).
    void setStrict(bool strict) { strict_ = strict; }
    void addFault(const Fault& fault) { faults_.push_back(fault); }
    void clearFaults() { faults_.clear(); }
    void setBusy(int acknowledges) { busy_ = acknowledges; }
    void unplug(double replugMs);
    void plug();
    void setCardInside(bool inside);
    Json::Value describe() const;
    const PrinterModel& model() const { return model_; }

  private:
    void onFrame(const HostFrame& frame);
    void onEnquiry(const Bytes& packet);
    // Takes the first armed fault matching `code`, if any.
    std::optional<Fault> takeFault(uint8_t code, bool unplugOnly);
    void send(Bytes packet, const std::string& note, uint64_t generation);
    void deliver(Bytes packet, const std::string& note, double delayMs);

    struct Pending {
        Bytes packet;
        std::string note;
        double delayMs = 0;
        uint32_t sequence = 0;
    };

    const std::string name_;
    const std::string cardsDir_;
    EventLoop& loop_;
    Journal& journal_;
    PrinterModel model_;
    usb::UsbDeviceLink* link_ = nullptr;
    HostFrameAssembler assembler_;
    std::vector<Fault> faults_;
    int busy_ = 0;
    bool strict_ = true;
    // The reply held back while acknowledges are still owed.
    std::optional<Pending> pending_;
    int acksOwed_ = 0;
    int enquiries_ = 0;
    std::vector<uint32_t> enquirySequences_;
    int requests_ = 0;
    uint32_t lastSequence_ = 0;
    int lateSent_ = 0;  // delayed replies that went out
    std::vector<std::string> pictures_;
    // Advances at every cable change, so replies scheduled earlier lapse.
    uint64_t generation_ = 0;
};

}  // namespace ksim::printer
