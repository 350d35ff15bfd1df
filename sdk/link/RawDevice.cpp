#include "link/RawDevice.h"

#include <libusb-1.0/libusb.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "core/DebugLog.h"
#include "link/SerialPort.h"
#include "link/UsbPort.h"
#include "link/include/devlink.h"

uint16_t current_vid = 0x0483;
uint16_t current_pid = 0x5750;
uint8_t open_package_idx = 1;
uint8_t run_script_packageNum = 1;

namespace {

constexpr int kSelectorNameLimit = 29;
constexpr int kDefaultBaud = 115200;
constexpr int kSerialScanCount = 30;
constexpr short kAddressProbeCommand = 0x0601;
constexpr int kAddressProbeTimeoutMs = 200;

std::unique_ptr<Device> openSerial(const std::string& name, int baud) {
    auto port = std::make_unique<SerialPort>();
    std::string copy = name;
    if (port->Open(&copy[0], baud) != 0) return nullptr;
    return port;
}

std::unique_ptr<Device> openUsbAt(int index) {
    auto port = std::make_unique<UsbPort>(current_vid, current_pid);
    if (port->Open(index) != 0) return nullptr;
    return port;
}

// The board whose answer to the address probe is address.
std::unique_ptr<Device> openUsbByAddress(uint8_t address) {
    auto port = std::make_unique<UsbPort>(current_vid, current_pid);
    for (int i = 0; i < port->DeviceCount(); ++i) {
        if (port->Open(i) != 0) break;
        port->mDevAddress = address;
        const short package = open_package_idx++;
        char request[2] = {static_cast<char>(0xFF), 0x01};
        char reply[3499];
        int replyLen = 0;
        signed char state = 0;
        const int rc =
            port->SendCommandAndWaitRec(package, kAddressProbeCommand, 0, request, 2, nullptr,
                                        &state, reply, &replyLen, kAddressProbeTimeoutMs);
        if (rc == 0 && replyLen == 1 && static_cast<uint8_t>(reply[0]) == address) return port;
    }
    return nullptr;
}

std::unique_ptr<Device> openBySelector(const char* selector, int baud) {
    if (selector == nullptr) return nullptr;
    if (!std::isdigit(static_cast<unsigned char>(selector[0]))) {
        return openSerial(std::string(selector).substr(0, kSelectorNameLimit), baud);
    }
    errno = 0;
    const long value = std::strtol(selector, nullptr, 10);
    if (errno == ERANGE) return nullptr;
    if (value < 100) return openSerial("COM" + std::to_string(value), baud);
    if (value >= 200 && value <= 299) return openUsbAt(static_cast<int>(value - 200));
    if (value == 100) {
        if (auto usb = openUsbAt(0)) return usb;
        for (int n = 0; n < kSerialScanCount; ++n) {
            if (auto serial = openSerial("COM" + std::to_string(n), baud)) return serial;
        }
        return nullptr;
    }
    if ((value >= 101 && value <= 199) || (value >= 301 && value <= 399)) {
        return openUsbByAddress(static_cast<uint8_t>(value % 100));
    }
    return nullptr;
}

// Counts the attached devices with the given ids; writes debug lines when asked.
int countDevices(libusb_context* context, uint16_t vid, uint16_t pid, bool log) {
    libusb_device** list = nullptr;
    const ssize_t n = libusb_get_device_list(context, &list);
    if (n < 0) return static_cast<int>(n);
    int count = 0;
    for (ssize_t i = 0; i < n; ++i) {
        libusb_device_descriptor desc;
        if (libusb_get_device_descriptor(list[i], &desc) != 0) continue;
        const bool match = desc.idVendor == vid && desc.idProduct == pid;
        if (match) ++count;
        if (log) {
            char line[128];
            std::snprintf(line, sizeof(line), "%s vid:0x%04x, pid:0x%04x (bus:%d, addr:%d)",
                          match ? "      * " : "        ", desc.idVendor, desc.idProduct,
                          libusb_get_bus_number(list[i]), libusb_get_device_address(list[i]));
            global_debug("DLL", line, nullptr, 0);
        }
    }
    libusb_free_device_list(list, 1);
    return count;
}

}  // namespace

extern "C" {

int change_device_pid(unsigned short vid, unsigned short pid) {
    char line[128];
    std::snprintf(line, sizeof(line), "进入了change_device_pid 函数 vid:0x%04x, pid:0x%04x", vid,
                  pid);
    global_debug("DLL", line, nullptr, 0);
    libusb_context* context = nullptr;
    if (libusb_init(&context) != 0) return -1;
    current_vid = vid;
    current_pid = pid;
    const int count = countDevices(context, vid, pid, true);
    libusb_exit(context);
    return count;
}

int get_usb_device_count(void) {
    libusb_context* context = nullptr;
    if (libusb_init(&context) != 0) return -1;
    const int count = countDevices(context, current_vid, current_pid, false);
    libusb_exit(context);
    return count;
}

int open_device_by_path_by_baud_rate(const char* selector, Device** handle, int baud) {
    if (handle == nullptr) return -1;
    try {
        std::unique_ptr<Device> port = openBySelector(selector, baud);
        if (!port) return -1;
        *handle = port.release();
        return 0;
    } catch (...) {
        return -1;
    }
}

int open_device_by_path(const char* selector, Device** handle) {
    return open_device_by_path_by_baud_rate(selector, handle, kDefaultBaud);
}

int open_device(unsigned int number, Device** handle) {
    const std::string selector = std::to_string(number % 256);
    return open_device_by_path(selector.c_str(), handle);
}

void close_device(Device* handle) {
    delete handle;
}

int send_command_wait_ack(Device* handle, short packageNum, short cmdCode, signed char state,
                          char* data, int len, short* replyPackageNum, char* replyData,
                          int* replyLen, int timeout) {
    if (handle == nullptr) return DEVLINK_WRITE_FAILED;
    try {
        // A caller that wants no reply data still gets a whole exchange.
        std::vector<char> scratch;
        if (replyData == nullptr) {
            scratch.resize(3499);
            replyData = scratch.data();
        }
        int scratchLen = 0;
        if (replyLen == nullptr) replyLen = &scratchLen;
        signed char replyState = 0;
        const int rc =
            handle->SendCommandAndWaitRec(packageNum, cmdCode, state, data, len, replyPackageNum,
                                          &replyState, replyData, replyLen, timeout);
        if (rc != 0) return rc;
        std::cout << "rstate r:" << static_cast<char>(replyState) << std::endl;
        return replyState;
    } catch (...) {
        return DEVLINK_WRITE_FAILED;
    }
}

int raw_write(Device* handle, unsigned char* data, unsigned short len) {
    if (handle == nullptr) return -1;
    try {
        return handle->WriteBuffer(data, len);
    } catch (...) {
        return -1;
    }
}

int raw_read(Device* handle, unsigned char* buffer, int* len, int timeout) {
    if (handle == nullptr || buffer == nullptr || len == nullptr) return 1;
    try {
        return handle->ReadBuffer(buffer, len, timeout);
    } catch (...) {
        return DEVLINK_NO_REPLY;
    }
}

int run_script(Device* handle, char* script, char* out, int outSize, int reserved) {
    if (handle == nullptr) return DEVLINK_SCRIPT_ERROR;
    try {
        const short package = run_script_packageNum++;
        return handle->RunScript(package, script, out, outSize, reserved);
    } catch (...) {
        return DEVLINK_SCRIPT_ERROR;
    }
}

}  // extern "C"
