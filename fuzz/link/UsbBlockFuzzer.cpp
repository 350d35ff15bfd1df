// Incoming USB reports of any content: assembly must stay within the 3,499-byte
// block and the de-stuffed frame within the caller's buffer.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "link/UsbBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    devlink::UsbBlockAssembler assembler;
    // The first byte of each chunk says how many bytes of the report arrived.
    size_t pos = 0;
    while (pos < size) {
        const int received = data[pos++] % (devlink::kReportSize + 1);
        std::vector<unsigned char> report(
            data + pos, data + std::min(size, pos + static_cast<size_t>(received)));
        pos += report.size();
        const auto status = assembler.add(report.data(), static_cast<int>(report.size()));
        if (status == devlink::UsbBlockAssembler::Status::TooLong) return 0;
        if (status == devlink::UsbBlockAssembler::Status::Complete) {
            std::vector<unsigned char> out(devlink::kMaxReplyBlock);
            const int n = assembler.frame(out.data());
            if (n < 0 || n > devlink::kMaxReplyBlock) std::abort();
            return 0;
        }
    }
    // The outgoing side: a frame of these bytes cut into reports carries them all.
    const auto block = devlink::buildUsbBlock(data, static_cast<int>(size));
    size_t carried = 0;
    const auto reports = devlink::cutIntoReports(block);
    for (size_t i = 0; i < reports.size(); ++i) {
        if (reports[i].size() != static_cast<size_t>(devlink::kReportSize)) std::abort();
        // Every report but the last is full; the last one's count is one above its payload.
        carried += i + 1 < reports.size() ? devlink::kReportPayload : reports[i][1] - 1;
    }
    if (carried != block.size()) std::abort();
    return 0;
}
