// Reply frames of any shape: the parser must stay within the bytes received.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "link/FrameCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > devlink::kReplyCapacity) return 0;
    // An exactly sized copy, so any read past the end is caught.
    std::vector<unsigned char> frame(data, data + size);
    devlink::ReplyView view;
    const auto status = devlink::parseReply(frame.data(), static_cast<int>(size), view);
    if (status == devlink::ReplyStatus::Ok || status == devlink::ReplyStatus::BadCheck) {
        const unsigned char* end = frame.data() + size;
        if (view.dataLen < 0 || view.data + view.dataLen + 1 > end) std::abort();
        unsigned char copy[devlink::kReplyCapacity];
        for (int i = 0; i < view.dataLen; ++i) copy[i] = view.data[i];
    }
    // Building a request from the same bytes must respect the 540-byte buffer.
    std::vector<unsigned char> request(devlink::kRequestCapacity);
    const int n = devlink::buildRequestFrame(0x0100, 0x0104, frame.data(), static_cast<int>(size),
                                             request.data(), static_cast<int>(request.size()));
    if (n > devlink::kRequestCapacity) std::abort();
    return 0;
}
