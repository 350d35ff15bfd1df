#include "usb/UsbBus.h"

#include <cstdio>

#include "usb/Descriptors.h"
#include "usb/UsbNode.h"

namespace ksim::usb {

namespace {

std::string hex4(unsigned v) {
    char buf[8];
    snprintf(buf, sizeof buf, "%04x", v & 0xFFFF);
    return buf;
}

std::string dec3(int v) {
    char buf[8];
    snprintf(buf, sizeof buf, "%03d", v);
    return buf;
}

// umockdev-record text of a device; attribute values end with an escaped newline.
std::string deviceRecord(const std::string& syspath, int busnum, int devnum,
                         const UsbIdentity& id) {
    std::string node = "bus/usb/" + dec3(busnum) + "/" + dec3(devnum);
    std::string r;
    r += "P: " + syspath + "\n";
    r += "N: " + node + "\n";
    r += "E: DEVNAME=/dev/" + node + "\n";
    r += "E: DEVTYPE=usb_device\n";
    r += "E: DRIVER=usb\n";
    r += "E: SUBSYSTEM=usb\n";
    r += "E: BUSNUM=" + dec3(busnum) + "\n";
    r += "E: DEVNUM=" + dec3(devnum) + "\n";
    r += "E: PRODUCT=" + hex4(id.vendorId) + "/" + hex4(id.productId) + "/" + hex4(id.bcdDevice) +
         "\n";
    auto attr = [&r](const std::string& name, const std::string& value) {
        r += "A: " + name + "=" + value + "\\n\n";
    };
    attr("dev", "189:" + std::to_string((busnum - 1) * 128 + devnum - 1));
    attr("busnum", std::to_string(busnum));
    attr("devnum", std::to_string(devnum));
    attr("speed", "12");
    attr("bConfigurationValue", "1");
    attr("bNumConfigurations", "1");
    attr("bNumInterfaces", std::to_string(id.interfaces.size()));
    attr("idVendor", hex4(id.vendorId));
    attr("idProduct", hex4(id.productId));
    attr("bcdDevice", hex4(id.bcdDevice));
    if (!id.manufacturer.empty()) attr("manufacturer", id.manufacturer);
    if (!id.product.empty()) attr("product", id.product);
    if (!id.serial.empty()) attr("serial", id.serial);
    return r;
}

constexpr int kBusnum = 1;
constexpr size_t kPorts = 89;  // ports 98 down to 10: two digits each, so paths sort as numbers

}  // namespace

UsbDevice::UsbDevice(UsbBus& bus, std::unique_ptr<UsbPersonality> personality, int port)
    : bus_(bus), personality_(std::move(personality)), port_(port) {
    syspath_ = "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(port_);
}

UsbDevice::~UsbDevice() = default;

std::string UsbDevice::address() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!node_) return {};
    return node_->devnode().substr(std::string("/dev/bus/usb/").size());
}

bool UsbDevice::plugged() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return node_ != nullptr;
}

void UsbDevice::sendToHost(uint8_t endpoint, std::vector<uint8_t> packet) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (node_) node_->sendToHost(endpoint, std::move(packet));
}

void UsbDevice::clearToHost(uint8_t endpoint) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (node_) node_->clearToHost(endpoint);
}

bool UsbDevice::plugIn(std::string* error) {
    std::lock_guard<std::recursive_mutex> tb(bus_.testbedMutex_);
    UsbIdentity id = personality_->identity();
    int devnum = bus_.allocateDevnum();
    std::string devnode = "/dev/bus/usb/" + dec3(kBusnum) + "/" + dec3(devnum);
    UsbPersonality* p = personality_.get();
    EventLoop& loop = bus_.loop_;
    UsbNode::Callbacks callbacks;
    callbacks.hostData = [p, &loop](uint8_t ep, std::vector<uint8_t> data) {
        loop.post([p, ep, d = std::move(data)]() mutable { p->onHostData(ep, std::move(d)); });
    };
    callbacks.claim = [p, &loop](int number) { loop.post([p, number] { p->onClaim(number); }); };
    Journal& journal = bus_.journal_;
    callbacks.note = [p, &loop, &journal](const std::string& kind, const std::string& text) {
        loop.post([p, &journal, kind, text] { journal.note(p->name(), kind, text); });
    };
    auto node = std::make_unique<UsbNode>(devnode, id, std::move(callbacks), bus_.strict_);
    if (!node->attach(bus_.testbed_, error)) return false;

    GError* err = nullptr;
    std::string record = deviceRecord(syspath_, kBusnum, devnum, id);
    if (!umockdev_testbed_add_from_string(bus_.testbed_, record.c_str(), &err)) {
        *error = std::string("cannot add ") + personality_->name() + ": " +
                 (err ? err->message : "unknown error");
        if (err) g_error_free(err);
        return false;
    }
    std::string sysdir = "/sys" + syspath_;
    auto descriptors = sysfsDescriptors(id);
    umockdev_testbed_set_attribute_binary(bus_.testbed_, sysdir.c_str(), "descriptors",
                                          descriptors.data(),
                                          static_cast<gssize>(descriptors.size()));
    if (!node->installFifo(bus_.rootDir_, error)) return false;
    umockdev_testbed_uevent(bus_.testbed_, sysdir.c_str(), "add");
    {
        std::lock_guard<std::mutex> lock(mutex_);
        node_ = std::move(node);
    }
    Json::Value ev;
    ev["address"] = address();
    ev["vid"] = id.vendorId;
    ev["pid"] = id.productId;
    bus_.journal_.event(personality_->name(), "plugged", ev);
    return true;
}

std::unique_ptr<UsbNode> UsbDevice::removeFromBus() {
    std::lock_guard<std::recursive_mutex> tb(bus_.testbedMutex_);
    std::unique_ptr<UsbNode> node;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        node = std::move(node_);
    }
    if (!node) return nullptr;
    std::string sysdir = "/sys" + syspath_;
    umockdev_testbed_uevent(bus_.testbed_, sysdir.c_str(), "remove");
    umockdev_testbed_remove_device(bus_.testbed_, sysdir.c_str());
    bus_.journal_.event(personality_->name(), "unplugged", Json::Value(Json::objectValue));
    return node;
}

void UsbDevice::pullOut() {
    std::lock_guard<std::recursive_mutex> tb(bus_.testbedMutex_);
    std::unique_ptr<UsbNode> node = removeFromBus();
    if (!node) return;
    node->disconnect();
    retired_.push_back(std::move(node));
}

void UsbDevice::bounce() {
    std::lock_guard<std::recursive_mutex> tb(bus_.testbedMutex_);
    std::unique_ptr<UsbNode> old = removeFromBus();
    if (!old) return;
    personality_->onPlugChange(false);
    std::string error;
    if (!plugIn(&error)) bus_.journal_.note(personality_->name(), "error", error);
    // Only now do the old node's transfers fail: the driver, woken by that,
    // already finds the device back on the bus.
    old->disconnect();
    retired_.push_back(std::move(old));
    bus_.journal_.change(personality_->name(), "cable pulled and plugged back at once");
    if (plugged()) personality_->onPlugChange(true);
}

void UsbDevice::unplug() {
    if (!plugged()) return;
    pullOut();
    bus_.journal_.change(personality_->name(), "cable pulled");
    personality_->onPlugChange(false);
}

void UsbDevice::replug() {
    if (plugged()) return;
    std::string error;
    if (!plugIn(&error)) {
        bus_.journal_.note(personality_->name(), "error", error);
        return;
    }
    bus_.journal_.change(personality_->name(), "cable plugged in");
    personality_->onPlugChange(true);
}

UsbBus::UsbBus(EventLoop& loop, Journal& journal) : loop_(loop), journal_(journal) {}

UsbBus::~UsbBus() {
    devices_.clear();
    if (testbed_) g_object_unref(testbed_);
}

bool UsbBus::init(std::string* error) {
    testbed_ = umockdev_testbed_new();
    if (!testbed_) {
        *error = "cannot create the umockdev testbed";
        return false;
    }
    gchar* root = umockdev_testbed_get_root_dir(testbed_);
    rootDir_ = root;
    g_free(root);
    return true;
}

int UsbBus::allocateDevnum() {
    // Device numbers wrap within 2..127 as on one real bus; number 1 is the root hub's.
    int n = nextDevnum_;
    nextDevnum_ = nextDevnum_ >= 127 ? 2 : nextDevnum_ + 1;
    return n;
}

UsbDevice* UsbBus::add(std::unique_ptr<UsbPersonality> personality, std::string* error) {
    // libusb lists the devices it finds at start-up in the reverse of udev's order,
    // which follows the sysfs path: later devices get lower port numbers so that
    // the driver sees them in the order they were added.
    if (devices_.size() >= kPorts) {
        *error = "no more than " + std::to_string(kPorts) + " simulated USB devices";
        return nullptr;
    }
    int port = static_cast<int>(98 - devices_.size());
    auto dev = std::make_unique<UsbDevice>(*this, std::move(personality), port);
    dev->personality().attach(dev.get());
    if (!dev->plugIn(error)) return nullptr;
    devices_.push_back(std::move(dev));
    return devices_.back().get();
}

}  // namespace ksim::usb
