#include "UsbHandles.h"

namespace kqbase {

UsbContext makeUsbContext() {
    libusb_context* context = nullptr;
    if (libusb_init(&context) != 0) return nullptr;
    return UsbContext(context);
}

UsbDeviceList::UsbDeviceList(libusb_context* context) {
    if (context == nullptr) return;
    const ssize_t count = libusb_get_device_list(context, &mList);
    if (count < 0) {
        mList = nullptr;
        return;
    }
    mCount = static_cast<int>(count);
}

UsbDeviceList::~UsbDeviceList() {
    if (mList != nullptr) libusb_free_device_list(mList, 1);
}

std::vector<int> UsbDeviceList::matching(unsigned short vid, unsigned short pid, int max) const {
    std::vector<int> found;
    for (int i = 0; i < mCount && static_cast<int>(found.size()) < max; ++i) {
        libusb_device_descriptor desc{};
        if (libusb_get_device_descriptor(mList[i], &desc) != 0) continue;
        if (desc.idVendor == vid && desc.idProduct == pid) found.push_back(i);
    }
    return found;
}

UsbConfig firstConfig(libusb_device* device) {
    libusb_config_descriptor* config = nullptr;
    if (libusb_get_config_descriptor(device, 0, &config) != 0) return nullptr;
    return UsbConfig(config);
}

int UsbClaim::open(libusb_device* device, bool fallback) {
    close();
    if (device == nullptr || libusb_open(device, &mHandle) != 0) {
        mHandle = nullptr;
        return -1;
    }
    libusb_set_auto_detach_kernel_driver(mHandle, 1);
    int number = 0;
    int rc = libusb_claim_interface(mHandle, number);
    if (rc == LIBUSB_ERROR_NOT_SUPPORTED && fallback) {
        number = 1;
        rc = libusb_claim_interface(mHandle, number);
    }
    if (rc != 0) {
        close();
        return -1;
    }
    mInterface = number;
    return 0;
}

void UsbClaim::close() {
    if (mHandle == nullptr) return;
    if (mInterface >= 0) libusb_release_interface(mHandle, mInterface);
    libusb_close(mHandle);
    mHandle = nullptr;
    mInterface = -1;
}

}  // namespace kqbase
