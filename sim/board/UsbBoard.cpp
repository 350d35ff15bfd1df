#include "board/UsbBoard.h"

#include <algorithm>
#include <cstdio>

namespace ksim::board {

namespace {

// Reports of one block arrive back to back; a longer gap means the host gave up on it.
constexpr auto kReportGap = std::chrono::milliseconds(1000);

}  // namespace

UsbBoard::UsbBoard(std::unique_ptr<Board> board, EventLoop& loop, Journal& journal)
    : board_(std::move(board)), loop_(loop), journal_(journal) {}

usb::UsbIdentity UsbBoard::identity() const {
    const BoardConfig& c = board_->config();
    usb::UsbIdentity id;
    id.vendorId = c.vendorId;
    id.productId = c.productId;
    id.manufacturer = "Simulated kiosk";
    id.product = "Mechanism board " + c.name;
    id.serial = toHex(c.deviceId);
    id.serial.erase(std::remove(id.serial.begin(), id.serial.end(), ' '), id.serial.end());
    usb::InterfaceDesc itf;
    itf.interfaceClass = 0x03;
    itf.endpoints = {{kInEndpoint, usb::TransferType::Interrupt, 64, 1},
                     {kOutEndpoint, usb::TransferType::Interrupt, 64, 1},
                     {0x82, usb::TransferType::Interrupt, 64, 1}};
    id.interfaces.push_back(itf);
    return id;
}

void UsbBoard::onClaim(int) {
    assembler_.reset();
    journal_.note(name(), "session", "interface claimed");
}

void UsbBoard::onPlugChange(bool) {
    ++generation_;
    assembler_.reset();
}

void UsbBoard::onHostData(uint8_t endpoint, std::vector<uint8_t> data) {
    if (endpoint != kOutEndpoint) {
        journal_.frame(name(), Direction::HostToDevice, "report", data,
                       "ignored: sent to endpoint " + toHex(&endpoint, 1));
        return;
    }
    auto now = EventLoop::Clock::now();
    if (now - lastReport_ > kReportGap) assembler_.reset();
    lastReport_ = now;
    auto r = assembler_.feed(data);
    if (!r.warning.empty()) journal_.note(name(), "protocol_warning", r.warning);
    if (r.kind == UsbRequestAssembler::Result::Kind::Incomplete) return;
    if (r.kind == UsbRequestAssembler::Result::Kind::Error) {
        journal_.frame(name(), Direction::HostToDevice, "report", data, "rejected: " + r.text);
        journal_.note(name(), "protocol_error", r.text);
        return;
    }
    auto decoded = decodeRequest(r.frame);
    if (!decoded.request) {
        journal_.frame(name(), Direction::HostToDevice, "frame", r.frame,
                       "rejected: " + decoded.error);
        journal_.note(name(), "protocol_error", decoded.error);
        return;
    }
    journal_.frame(name(), Direction::HostToDevice, "frame", r.frame,
                   describeRequest(*decoded.request) + "; " + r.text);
    Response response = board_->onRequest(*decoded.request);
    if (response.unplug) {
        unplug(response.replugMs);
        return;
    }
    const uint64_t generation = generation_;
    scheduleEmissions(loop_, response,
                      [this, generation](const Emission& e) { send(e, generation); });
}

void UsbBoard::send(const Emission& e, uint64_t generation) {
    if (generation != generation_ || !link_) return;
    if (e.note == "junk") {
        journal_.note(name(), "notice", "junk bytes apply to serial lines only; not sent");
        return;
    }
    auto reports = replyReports(e.bytes);
    journal_.frame(name(), Direction::DeviceToHost, "frame", e.bytes,
                   e.note + "; " + std::to_string(reports.size()) + " report(s)");
    for (auto& report : reports) link_->sendToHost(kInEndpoint, std::move(report));
}

void UsbBoard::unplug(double replugMs) {
    if (!link_ || !link_->plugged()) return;
    if (replugMs == 0) {
        link_->bounce();
        return;
    }
    link_->unplug();
    if (replugMs > 0) {
        uint64_t generation = generation_;
        loop_.postAfter(replugMs, [this, generation] {
            if (generation == generation_) plug();
        });
    }
}

void UsbBoard::plug() {
    if (link_) link_->replug();
}

}  // namespace ksim::board
