#include "printer/UsbPrinter.h"

#include <cstdio>

#include "printer/CardPicture.h"
#include "printer/RequestCheck.h"

namespace ksim::printer {

namespace {

constexpr size_t kJournalBytes = 64;  // longer frames (images) are journaled cut
constexpr size_t kKeptEnquiries = 16;

std::string hex2(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
    return buf;
}

Bytes cut(const Bytes& b) {
    return b.size() <= kJournalBytes ? b : Bytes(b.begin(), b.begin() + kJournalBytes);
}

}  // namespace

UsbPrinter::UsbPrinter(int index, PrinterConfig config, std::string cardsDir, EventLoop& loop,
                       Journal& journal)
    : name_("printer" + std::to_string(index)),
      cardsDir_(std::move(cardsDir)),
      loop_(loop),
      journal_(journal),
      model_(std::move(config)),
      busy_(model_.config().busy) {}

usb::UsbIdentity UsbPrinter::identity() const {
    usb::UsbIdentity id;
    id.vendorId = 0x0483;
    id.productId = 0x5760;
    id.manufacturer = "Simulated kiosk";
    id.product = "Rewritable card printer";
    id.serial = model_.config().identity;
    usb::InterfaceDesc data;
    data.endpoints = {{kOutEndpoint, usb::TransferType::Interrupt, 64, 1},
                      {kInEndpoint, usb::TransferType::Bulk, 64, 0}};
    usb::InterfaceDesc spare;
    spare.endpoints = {{0x03, usb::TransferType::Interrupt, 64, 1},
                       {0x83, usb::TransferType::Interrupt, 64, 1}};
    id.interfaces = {data, spare};
    return id;
}

void UsbPrinter::onClaim(int) {
    assembler_.reset();
    pending_.reset();
    journal_.note(name_, "session", "interface claimed");
}

void UsbPrinter::onPlugChange(bool) {
    ++generation_;
    assembler_.reset();
    pending_.reset();
}

std::optional<Fault> UsbPrinter::takeFault(uint8_t code, bool unplugOnly) {
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if ((it->kind == FaultKind::Unplug) != unplugOnly) continue;
        if (it->command && *it->command != code) continue;
        Fault f = *it;
        if (it->count > 0 && --it->count == 0) faults_.erase(it);
        journal_.event(name_, "fault", printer::describe(f));
        return f;
    }
    return std::nullopt;
}

void UsbPrinter::onHostData(uint8_t endpoint, std::vector<uint8_t> data) {
    if (endpoint != kOutEndpoint) {
        journal_.frame(name_, Direction::HostToDevice, "packet", data,
                       "ignored: sent to endpoint " + hex2(endpoint));
        return;
    }
    if (data.empty() || data[0] != kHostMarker) {
        journal_.frame(name_, Direction::HostToDevice, "packet", data, "rejected");
        journal_.note(name_, "protocol_error", "host packet without the 0xD1 marker");
        return;
    }
    if (assembler_.idle() && data.size() >= 6 && data[1] == kDle && data[2] == kEnq) {
        onEnquiry(data);
        return;
    }
    // A pulled cable as a request starts: the rest of its packets cannot be written.
    if (assembler_.idle() && data.size() > 7) {
        if (auto f = takeFault(data[7], true)) {
            journal_.frame(name_, Direction::HostToDevice, "packet", data, "cable pulled");
            unplug(f->ms);
            return;
        }
    }
    auto r = assembler_.feed(data.data() + 1, data.size() - 1);
    if (r.kind == HostFrameAssembler::Result::Kind::Incomplete) return;
    if (r.kind == HostFrameAssembler::Result::Kind::Error) {
        journal_.frame(name_, Direction::HostToDevice, "frame",
                       cut(r.frame.raw.empty() ? data : r.frame.raw), "rejected: " + r.error);
        journal_.note(name_, "protocol_error", r.error);
        send(controlPacket(kNak), "NAK", generation_);
        return;
    }
    onFrame(r.frame);
}

void UsbPrinter::onFrame(const HostFrame& frame) {
    ++requests_;
    if (frame.payload.size() < 8) {
        journal_.frame(name_, Direction::HostToDevice, "frame", frame.raw,
                       "rejected: short request");
        journal_.note(name_, "protocol_error", "request packet under 8 bytes");
        send(controlPacket(kNak), "NAK", generation_);
        return;
    }
    const uint8_t code = frame.payload[0];
    lastSequence_ = frame.sequence;
    journal_.frame(name_, Direction::HostToDevice, "frame", cut(frame.raw),
                   "command " + hex2(code) + ", sequence " + std::to_string(frame.sequence) + ", " +
                       std::to_string(frame.payload.size()) + " payload bytes");
    const auto fault = takeFault(code, false);
    if (fault && fault->kind == FaultKind::NoReply) return;
    if (fault && fault->kind == FaultKind::Nak) {
        send(controlPacket(kNak), "NAK (fault)", generation_);
        return;
    }
    std::optional<RequestProblem> problem;
    if (strict_) problem = checkRequest(frame.payload);
    Answer a;
    if (problem) {
        journal_.note(name_, "protocol_error", "request refused: " + problem->why);
        a.status = problem->status;
        a.note = "refused: " + problem->why;
    } else {
        a = model_.handle(code, Bytes(frame.payload.begin() + 8, frame.payload.end()));
    }
    if (fault && fault->kind == FaultKind::Status) a.status = fault->status;
    if (a.changed) journal_.change(name_, a.note);
    if (a.printed && !cardsDir_.empty()) {
        std::string error;
        const std::string path =
            saveCardPicture(cardsDir_, model_.config().identity, model_.card(), &error);
        if (path.empty()) {
            journal_.note(name_, "error", error);
        } else {
            pictures_.push_back(path);
            journal_.change(name_, "card picture " + path);
        }
    }

    const bool wrongCommand = fault && fault->kind == FaultKind::WrongCommand;
    Bytes payload = {
        static_cast<uint8_t>(wrongCommand ? code ^ 0xFF : code), 0, 0, 0, 0, a.status, 0};
    if (!a.iap) payload.push_back(0);
    payload.insert(payload.end(), a.data.begin(), a.data.end());
    uint32_t sequence = frame.sequence;
    if (fault && fault->kind == FaultKind::BadSequence) sequence = (sequence - 1) & 0xFFFFFF;
    Bytes replyFrame = buildFrame(payload, sequence);
    if (fault && fault->kind == FaultKind::BadCrc) replyFrame.back() ^= 0xFF;
    Bytes packet = replyPacket(replyFrame);
    const std::string note = a.note + (fault ? " [" + faultKindName(fault->kind) + "]" : "");
    const double delay = fault && fault->kind == FaultKind::Late ? fault->ms : 0;

    if (busy_ > 0) {
        send(controlPacket(kAck), "ACK (busy)", generation_);
        pending_ = Pending{packet, note, delay, frame.sequence};
        acksOwed_ = busy_ - 1;
        return;
    }
    deliver(std::move(packet), note, delay);
}

void UsbPrinter::deliver(Bytes packet, const std::string& note, double delayMs) {
    const uint64_t generation = generation_;
    if (delayMs <= 0) {
        send(std::move(packet), note, generation);
        return;
    }
    loop_.postAfter(delayMs, [this, packet, note, generation] {
        ++lateSent_;
        send(packet, note, generation);
    });
}

void UsbPrinter::onEnquiry(const Bytes& packet) {
    const uint32_t sequence = packet[3] | packet[4] << 8 | packet[5] << 16;
    ++enquiries_;
    journal_.frame(name_, Direction::HostToDevice, "enquiry",
                   Bytes(packet.begin() + 1, packet.begin() + 6),
                   "enquiry, sequence " + std::to_string(sequence));
    if (!pending_) {
        send(controlPacket(kNak), "NAK: nothing pending", generation_);
        return;
    }
    enquirySequences_.push_back(sequence);
    if (enquirySequences_.size() > kKeptEnquiries)
        enquirySequences_.erase(enquirySequences_.begin());
    if (sequence != pending_->sequence) {
        journal_.note(name_, "protocol_warning",
                      "enquiry with sequence " + std::to_string(sequence) + ", the request had " +
                          std::to_string(pending_->sequence));
    }
    if (acksOwed_ > 0) {
        --acksOwed_;
        send(controlPacket(kAck), "ACK (busy)", generation_);
        return;
    }
    Pending held = std::move(*pending_);
    pending_.reset();
    deliver(std::move(held.packet), held.note + " (after enquiries)", held.delayMs);
}

void UsbPrinter::send(Bytes packet, const std::string& note, uint64_t generation) {
    if (generation != generation_ || !link_ || !link_->plugged()) return;
    journal_.frame(name_, Direction::DeviceToHost, "packet", packet, note);
    link_->sendToHost(kInEndpoint, std::move(packet));
}

void UsbPrinter::unplug(double replugMs) {
    if (!link_ || !link_->plugged()) return;
    link_->unplug();
    if (replugMs >= 0) {
        const uint64_t generation = generation_;
        loop_.postAfter(replugMs, [this, generation] {
            if (generation == generation_) plug();
        });
    }
}

void UsbPrinter::setCardInside(bool inside) {
    model_.setCardInside(inside);
    journal_.change(name_, inside ? "blank card put in by hand" : "card taken out by hand");
}

void UsbPrinter::plug() {
    if (link_) link_->replug();
}

Json::Value UsbPrinter::describe() const {
    Json::Value v = model_.describe();
    v["name"] = name_;
    v["kind"] = "printer";
    v["transport"] = "usb";
    v["strict"] = strict_;
    v["plugged"] = link_ && link_->plugged();
    v["requests"] = requests_;
    v["enquiries"] = enquiries_;
    v["last_sequence"] = lastSequence_;
    v["late_replies"] = lateSent_;
    Json::Value sequences(Json::arrayValue);
    for (uint32_t q : enquirySequences_) sequences.append(q);
    v["enquiry_sequences"] = sequences;
    Json::Value faults(Json::arrayValue);
    for (const auto& f : faults_) faults.append(printer::describe(f));
    v["faults"] = faults;
    Json::Value pictures(Json::arrayValue);
    for (const auto& p : pictures_) pictures.append(p);
    v["pictures"] = pictures;
    return v;
}

}  // namespace ksim::printer
