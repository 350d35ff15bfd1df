// Owning wrappers of libusb's context, device list, configuration descriptor and opened
// device with its claimed interface, so that every exit path gives them back in order.
#pragma once

#include <libusb-1.0/libusb.h>

#include <memory>
#include <vector>

namespace kqbase {

struct UsbContextExit {
    void operator()(libusb_context* c) const { libusb_exit(c); }
};
using UsbContext = std::unique_ptr<libusb_context, UsbContextExit>;
// A new libusb context, or null when USB cannot start.
UsbContext makeUsbContext();

// The devices attached when it was made; each keeps its reference while the list lives.
class UsbDeviceList {
  public:
    explicit UsbDeviceList(libusb_context* context);
    ~UsbDeviceList();
    UsbDeviceList(const UsbDeviceList&) = delete;
    UsbDeviceList& operator=(const UsbDeviceList&) = delete;

    bool valid() const { return mList != nullptr; }
    int size() const { return mCount; }
    libusb_device* operator[](int i) const { return mList[i]; }
    // Indexes of the devices with these ids, in list order, at most max of them.
    std::vector<int> matching(unsigned short vid, unsigned short pid, int max) const;

  private:
    libusb_device** mList = nullptr;
    int mCount = 0;
};

// One counted reference to a device, so that it can be reopened after its handle closed.
class UsbDeviceRef {
  public:
    UsbDeviceRef() = default;
    UsbDeviceRef(const UsbDeviceRef&) = delete;
    UsbDeviceRef& operator=(const UsbDeviceRef&) = delete;
    ~UsbDeviceRef() { reset(nullptr); }

    void reset(libusb_device* device) {
        if (device) libusb_ref_device(device);
        if (mDevice) libusb_unref_device(mDevice);
        mDevice = device;
    }
    libusb_device* get() const { return mDevice; }

  private:
    libusb_device* mDevice = nullptr;
};

struct UsbConfigFree {
    void operator()(libusb_config_descriptor* c) const { libusb_free_config_descriptor(c); }
};
using UsbConfig = std::unique_ptr<libusb_config_descriptor, UsbConfigFree>;
// The device's first configuration descriptor, or null.
UsbConfig firstConfig(libusb_device* device);

// An opened device with one claimed interface (the kernel driver detached for it).
class UsbClaim {
  public:
    UsbClaim() = default;
    ~UsbClaim() { close(); }
    UsbClaim(const UsbClaim&) = delete;
    UsbClaim& operator=(const UsbClaim&) = delete;

    // Opens the device and claims interface 0; with fallback, interface 1 when 0 is not
    // supported. 0, or -1 with nothing left open.
    int open(libusb_device* device, bool fallback);
    // Releases the interface and closes the device; nothing when not open.
    void close();
    libusb_device_handle* handle() const { return mHandle; }
    int interfaceNumber() const { return mInterface; }

  private:
    libusb_device_handle* mHandle = nullptr;
    int mInterface = -1;
};

}  // namespace kqbase
