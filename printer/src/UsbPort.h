// USB transport of one printer: DLE/STX frames cut into 64-byte packets, the
// acknowledge/enquiry handshake and the 24-bit frame sequence number.
#pragma once

#include <libusb.h>

#include <memory>
#include <vector>

#include "Device.h"
#include "base/UsbHandles.h"

class UsbPort : public Device {
  public:
    static constexpr int kMaxMatches = 50;

    UsbPort();
    // Standalone form: own context and device list; Open(int) opens the index-th match.
    UsbPort(unsigned short vid, unsigned short pid);
    ~UsbPort() override;

    virtual int Open(libusb_device* device);
    int Open(int index);
    virtual int reOpen();
    int Close() override;

    int WriteBuffer(unsigned char* payload, int len) override;
    int ReadBuffer(unsigned char* out, int* len, int timeout) override;
    int WriteBufferENQ();
    int WriteBuffer64Bytes(char* data, int len);

    unsigned int sequence() const { return mSequence; }
    void setSequence(unsigned int sequence) { mSequence = sequence; }
    libusb_device* device() const { return mDevice.get(); }
    int matchCount() const { return static_cast<int>(mMatches.size()); }

  protected:
    // Raw 64-byte transfers; libusb here, scripted in test transports.
    virtual int bulkOut(unsigned char* packet, int len, unsigned timeoutMs);
    virtual int interruptOut(unsigned char endpoint, unsigned char* packet, int len,
                             unsigned timeoutMs);
    virtual int bulkIn(unsigned char* packet, int len, int* received, unsigned timeoutMs);

    unsigned int mSequence = 0;

  private:
    kqbase::UsbContext mOwnContext;
    std::unique_ptr<kqbase::UsbDeviceList> mOwnList;
    std::vector<int> mMatches;
    kqbase::UsbDeviceRef mDevice;
    kqbase::UsbConfig mConfig;
    kqbase::UsbClaim mClaim;
    // Endpoints 0 and 1 of alternate setting 0 of interfaces 0 and 1.
    const libusb_endpoint_descriptor* mEndpoints[4] = {nullptr, nullptr, nullptr, nullptr};
};
