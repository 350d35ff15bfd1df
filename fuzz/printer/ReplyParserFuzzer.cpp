// Feeds arbitrary printer packets to the reply parser, alone and behind a command
// send, and checks that a reply never claims more than a packet can hold.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "UsbPort.h"
#include "kq_ecp_001.h"

namespace {
// Each packet of the input is a length byte (taken modulo 65) and that many bytes.
class FuzzPort : public UsbPort {
  public:
    FuzzPort(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  protected:
    int bulkOut(unsigned char*, int, unsigned) override { return 0; }
    int interruptOut(unsigned char, unsigned char*, int, unsigned) override { return 0; }
    int bulkIn(unsigned char* packet, int len, int* received, unsigned) override {
        *received = 0;
        if (pos_ >= size_) return LIBUSB_ERROR_TIMEOUT;
        size_t n = data_[pos_++] % 65;
        n = std::min(n, std::min(size_ - pos_, static_cast<size_t>(len)));
        std::memcpy(packet, data_ + pos_, n);
        pos_ += n;
        *received = static_cast<int>(n);
        return 0;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    FuzzPort port(data + 2, size - 2);
    port.setSequence(data[0] & 0x80 ? 0xFFFFFF00u | data[0] : data[0]);
    if (data[1] & 1) {
        unsigned char out[64];
        int len = -1;
        if (port.ReadBuffer(out, &len, 0) == 0 && (len < 0 || len > 50)) std::abort();
    } else {
        kq_ecp_001 link;
        char out[128];
        int outLen = 0;
        const int copyLen = data[1] >> 1;
        link.SendCommond(&port, 0x57, nullptr, 0, out, &outLen, copyLen, 0, 2);
    }
    return 0;
}
