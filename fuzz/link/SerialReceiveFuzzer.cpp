// A serial line delivering arbitrary bytes: the receive state machine must keep
// its log and the frame within their buffers and consume the stream in order.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "link/SerialReceiver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    size_t pos = 0;
    devlink::SerialReceiver receiver(
        [&](unsigned char* buf, int n, int) {
            if (n <= 0 || size - pos < static_cast<size_t>(n)) return -1;
            std::memcpy(buf, data + pos, n);
            pos += n;
            return 0;
        },
        [](const char*, const char*, const unsigned char* bytes, int len) {
            // Touch every traced byte so a trace of bytes outside the log is caught.
            unsigned char sum = 0;
            for (int i = 0; i < len; ++i) sum ^= bytes[i];
            asm volatile("" : : "r"(sum));
        });
    while (pos < size) {
        std::vector<unsigned char> out(devlink::kSerialFrameCapacity);
        int len = -1;
        const size_t before = pos;
        const int rc = receiver.receive(out.data(), &len, 0);
        if (rc == 0) {
            if (len < 4 || len > devlink::kSerialFrameCapacity || out[0] != 0xAA || out[1] != 0xBB)
                std::abort();
        } else if (len != 0) {
            std::abort();
        }
        if (pos == before) break;
    }
    return 0;
}
