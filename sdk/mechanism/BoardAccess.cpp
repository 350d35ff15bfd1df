#include "mechanism/BoardAccess.h"

#include <libusb.h>
#include <unistd.h>

#include "devlink.h"

namespace {

bool listRealUsb(std::vector<UsbId>& ids) {
    libusb_context* context = nullptr;
    if (libusb_init(&context) != 0) return false;
    libusb_device** list = nullptr;
    const ssize_t count = libusb_get_device_list(context, &list);
    if (count < 0) {
        libusb_exit(context);
        return false;
    }
    for (ssize_t i = 0; i < count; ++i) {
        libusb_device_descriptor descriptor;
        if (libusb_get_device_descriptor(list[i], &descriptor) != 0) continue;
        ids.push_back({descriptor.idVendor, descriptor.idProduct});
    }
    libusb_free_device_list(list, 1);
    libusb_exit(context);
    return true;
}

// The first USB board with the selected ids, else the first serial line.
constexpr unsigned int kFirstBoard = 100;

}  // namespace

BoardAccess defaultBoardAccess() {
    BoardAccess access;
    access.listUsb = listRealUsb;
    access.selectBoard = [](uint16_t vid, uint16_t pid) { return change_device_pid(vid, pid); };
    access.openBoard = [](Device** port) { return open_device(kFirstBoard, port); };
    access.sleepMs = [](int ms) { usleep(static_cast<useconds_t>(ms) * 1000); };
    return access;
}

BoardAccess& boardAccess() {
    static BoardAccess access = defaultBoardAccess();
    return access;
}
