#include "board/UsbReports.h"

#include <algorithm>

namespace ksim::board {

namespace {
constexpr size_t kShortFormMax = 253;
constexpr size_t kLongestBlock = 4096;
}  // namespace

void UsbRequestAssembler::reset() {
    block_.clear();
    blockLength_ = 0;
    counts_.clear();
}

UsbRequestAssembler::Result UsbRequestAssembler::feed(const Bytes& report) {
    Result r;
    auto fail = [&](std::string text) {
        reset();
        r.kind = Result::Kind::Error;
        r.text = std::move(text);
        return r;
    };
    if (report.size() != kReportSize) {
        return fail("report of " + std::to_string(report.size()) + " bytes, expected 64");
    }
    if (report[0] != 0x01)
        return fail("report byte 0 is " + toHex(&report[0], 1) + ", expected 01");
    const uint8_t* payload = report.data() + 2;
    if (block_.empty()) {
        if (payload[0] != 0) {
            blockLength_ = payload[0];
            if (blockLength_ < 2)
                return fail("short block of length " + std::to_string(blockLength_));
            if (blockLength_ > kShortFormMax + 1) {
                return fail("short block form for a frame of " + std::to_string(blockLength_ - 1) +
                            " bytes (the long form serves it)");
            }
        } else {
            blockLength_ = static_cast<size_t>(payload[1] | payload[2] << 8);
            if (blockLength_ <= kShortFormMax + 3) {
                return fail("long block form for a frame of " + std::to_string(blockLength_ - 3) +
                            " bytes (the short form serves up to 253)");
            }
            if (blockLength_ > kLongestBlock) {
                return fail("block of " + std::to_string(blockLength_) + " bytes is too long");
            }
        }
    }
    size_t remaining = blockLength_ - block_.size();
    size_t take = std::min(remaining, kReportPayload);
    size_t expectedCount = remaining > kReportPayload ? kReportPayload : remaining + 1;
    if (report[1] != expectedCount) {
        return fail("count byte " + std::to_string(report[1]) + ", expected " +
                    std::to_string(expectedCount) + " (" + std::to_string(remaining) +
                    " block bytes to go)");
    }
    if (!counts_.empty()) counts_ += ",";
    counts_ += std::to_string(report[1]);
    block_.insert(block_.end(), payload, payload + take);
    if (std::any_of(payload + take, payload + kReportPayload, [](uint8_t b) { return b != 0; })) {
        r.warning = "report padding is not zero";
    }
    if (block_.size() < blockLength_) return r;

    bool longForm = block_[0] == 0;
    r.kind = Result::Kind::Frame;
    r.frame.assign(block_.begin() + (longForm ? 3 : 1), block_.end());
    r.text = std::string(longForm ? "long" : "short") + " block, report counts " + counts_;
    reset();
    return r;
}

std::vector<Bytes> replyReports(const Bytes& frame) {
    Bytes block;
    if (frame.size() <= kShortFormMax) {
        block.push_back(static_cast<uint8_t>(frame.size() + 1));
    } else {
        size_t length = frame.size() + 3;
        block = {0x00, static_cast<uint8_t>(length & 0xFF), static_cast<uint8_t>(length >> 8)};
    }
    block.insert(block.end(), frame.begin(), frame.end());
    std::vector<Bytes> reports;
    for (size_t pos = 0; pos < block.size(); pos += kReportPayload) {
        size_t n = std::min(kReportPayload, block.size() - pos);
        Bytes report(kReportSize, 0);
        report[0] = 0x01;
        report[1] = static_cast<uint8_t>(n);
        std::copy_n(block.begin() + static_cast<std::ptrdiff_t>(pos), n, report.begin() + 2);
        reports.push_back(std::move(report));
    }
    return reports;
}

}  // namespace ksim::board
