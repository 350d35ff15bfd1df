#include "link/UsbBlock.h"

#include <algorithm>
#include <cstring>

namespace devlink {

std::vector<unsigned char> buildUsbBlock(const unsigned char* frame, int len) {
    std::vector<unsigned char> block;
    if (len < 0 || len + 3 > 0xFFFF) return block;
    if (len <= kShortBlockMaxFrame) {
        block.reserve(len + 1);
        block.push_back(static_cast<unsigned char>(len + 1));
    } else {
        const int total = len + 3;
        block.reserve(total);
        block.push_back(0x00);
        block.push_back(static_cast<unsigned char>(total & 0xFF));
        block.push_back(static_cast<unsigned char>(total >> 8));
    }
    block.insert(block.end(), frame, frame + len);
    return block;
}

std::vector<std::vector<unsigned char>> cutIntoReports(const std::vector<unsigned char>& block) {
    std::vector<std::vector<unsigned char>> reports;
    const int size = static_cast<int>(block.size());
    for (int pos = 0; pos < size; pos += kReportPayload) {
        const int chunk = std::min(kReportPayload, size - pos);
        const bool last = pos + chunk >= size;
        std::vector<unsigned char> report(kReportSize, 0);
        report[0] = 0x01;
        // The last report's count byte is one above its payload count.
        report[1] = static_cast<unsigned char>(last ? chunk + 1 : kReportPayload);
        std::memcpy(report.data() + 2, block.data() + pos, chunk);
        reports.push_back(std::move(report));
    }
    return reports;
}

UsbBlockAssembler::Status UsbBlockAssembler::add(const unsigned char* report, int received) {
    received = std::min(received, kReportSize);
    // A count byte larger than the payload actually present takes only what is there.
    const int count = received >= 2 ? std::min<int>(report[1], received - 2) : 0;
    if (mTotal + count > kMaxReplyBlock) return Status::TooLong;
    if (count > 0) std::memcpy(mBlock + mTotal, report + 2, count);
    mTotal += count;
    if (mTotal == 0) return Status::NeedMore;
    if (mBlock[0] != 0) return mTotal == mBlock[0] ? Status::Complete : Status::NeedMore;
    if (mTotal < 3) return Status::NeedMore;
    const int announced = mBlock[1] | (mBlock[2] << 8);
    return mTotal == announced ? Status::Complete : Status::NeedMore;
}

int UsbBlockAssembler::frame(unsigned char* out) const {
    const int prefix = mBlock[0] != 0 ? 1 : 3;
    int written = 0;
    for (int i = prefix; i < mTotal; ++i) {
        const unsigned char b = mBlock[i];
        out[written++] = b;
        // Past the header and length, the byte after each 0xAA is stuffing.
        if (b == 0xAA && i - prefix >= 4) ++i;
    }
    return written;
}

}  // namespace devlink
