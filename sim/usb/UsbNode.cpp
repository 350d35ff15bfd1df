#include "usb/UsbNode.h"

#include <fcntl.h>
#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>

#include "usb/Descriptors.h"
#include "usb/TransferRules.h"

namespace ksim::usb {

struct UsbNode::Urb {
    UMockdevIoctlClient* client = nullptr;
    UMockdevIoctlData* urb = nullptr;
    UMockdevIoctlData* buffer = nullptr;
    uint8_t endpoint = 0;
    uint8_t type = 0;
    bool done = false;

    Urb(UMockdevIoctlClient* c, UMockdevIoctlData* u, UMockdevIoctlData* b)
        : client(static_cast<UMockdevIoctlClient*>(g_object_ref(c))), urb(u), buffer(b) {
        auto* raw = view();
        endpoint = raw->endpoint;
        type = raw->type;
    }
    ~Urb() {
        if (buffer) g_object_unref(buffer);
        g_object_unref(urb);
        g_object_unref(client);
    }
    Urb(const Urb&) = delete;
    Urb& operator=(const Urb&) = delete;

    usbdevfs_urb* view() const { return reinterpret_cast<usbdevfs_urb*>(urb->data); }
    uint8_t* data() const { return buffer ? buffer->data : nullptr; }
    int length() const { return buffer ? buffer->data_len : 0; }
    bool isIn() const { return type != USBDEVFS_URB_TYPE_CONTROL && (endpoint & 0x80); }
    void finish(int status, int actual) {
        view()->status = status;
        view()->actual_length = actual;
        done = true;
    }
};

UsbNode::UsbNode(std::string devnode, UsbIdentity identity, Callbacks callbacks, bool strict)
    : devnode_(std::move(devnode)),
      identity_(std::move(identity)),
      callbacks_(std::move(callbacks)),
      strict_(strict) {}

UsbNode::~UsbNode() {
    if (handler_) {
        if (testbed_) umockdev_testbed_detach_ioctl(testbed_, devnode_.c_str(), nullptr);
        g_signal_handlers_disconnect_by_data(handler_, this);
        g_object_unref(handler_);
    }
    urbs_.clear();
    if (fifoFd_ >= 0) close(fifoFd_);
}

bool UsbNode::attach(UMockdevTestbed* testbed, std::string* error) {
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(&UsbNode::onIoctl), this);
    GError* err = nullptr;
    if (!umockdev_testbed_attach_ioctl(testbed, devnode_.c_str(), handler_, &err)) {
        *error = std::string("cannot attach ioctl handler to ") + devnode_ + ": " +
                 (err ? err->message : "unknown error");
        if (err) g_error_free(err);
        return false;
    }
    testbed_ = testbed;
    return true;
}

bool UsbNode::installFifo(const std::string& rootDir, std::string* error) {
    std::string path = rootDir + devnode_;
    unlink(path.c_str());
    if (mkfifo(path.c_str(), 0666) != 0) {
        *error = path + ": mkfifo: " + strerror(errno);
        return false;
    }
    int fd = open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = path + ": " + strerror(errno);
        return false;
    }
    // One page: a single byte then fills the pipe, so it is not writable.
    if (fcntl(fd, F_SETPIPE_SZ, 4096) < 0) {
        *error = path + ": cannot shrink the FIFO: " + strerror(errno);
        close(fd);
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    fifoFd_ = fd;
    fifoHoldsByte_ = false;
    updateReadinessLocked();
    return true;
}

void UsbNode::updateReadinessLocked() {
    if (fifoFd_ < 0) return;
    bool ready = std::any_of(urbs_.begin(), urbs_.end(), [](const auto& u) { return u->done; });
    if (ready && fifoHoldsByte_) {
        char c;
        if (read(fifoFd_, &c, 1) == 1) fifoHoldsByte_ = false;
    } else if (!ready && !fifoHoldsByte_) {
        char c = 0;
        if (write(fifoFd_, &c, 1) == 1) fifoHoldsByte_ = true;
    }
}

gboolean UsbNode::onIoctl(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer self) {
    return static_cast<UsbNode*>(self)->handle(client) ? TRUE : FALSE;
}

bool UsbNode::handle(UMockdevIoctlClient* client) {
    gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
    std::unique_lock<std::mutex> lock(mutex_);
    switch (request) {
        case USBDEVFS_GET_CAPABILITIES: {
            UMockdevIoctlData* caps = umockdev_ioctl_data_resolve(arg, 0, sizeof(guint32), nullptr);
            if (!caps) return false;
            *reinterpret_cast<guint32*>(caps->data) =
                USBDEVFS_CAP_BULK_CONTINUATION | USBDEVFS_CAP_NO_PACKET_SIZE_LIM |
                USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;
            umockdev_ioctl_client_complete(client, 0, 0);
            g_object_unref(caps);
            return true;
        }
        case USBDEVFS_SUBMITURB:
            submit(client, arg);
            return true;
        case USBDEVFS_REAPURB:
        case USBDEVFS_REAPURBNDELAY:
            reap(client, arg);
            return true;
        case USBDEVFS_DISCARDURB:
            discard(client, arg);
            return true;
        case USBDEVFS_CLAIMINTERFACE:
        case USBDEVFS_DISCONNECT_CLAIM: {
            if (!connected_) {
                umockdev_ioctl_client_complete(client, -1, ENODEV);
                return true;
            }
            int number = 0;
            UMockdevIoctlData* d = umockdev_ioctl_data_resolve(arg, 0, sizeof(int), nullptr);
            if (d) {
                memcpy(&number, d->data, sizeof number);
                g_object_unref(d);
            }
            if (number < 0 || static_cast<size_t>(number) >= identity_.interfaces.size()) {
                umockdev_ioctl_client_complete(client, -1, EINVAL);
                return true;
            }
            // A new session: replies meant for an earlier driver are not handed to this one.
            toHost_.clear();
            umockdev_ioctl_client_complete(client, 0, 0);
            lock.unlock();
            if (callbacks_.claim) callbacks_.claim(number);
            return true;
        }
        case USBDEVFS_IOCTL:
            // Re-attaching a kernel driver on release: there is none.
            umockdev_ioctl_client_complete(client, -1, ENODATA);
            return true;
        case USBDEVFS_RELEASEINTERFACE:
        case USBDEVFS_CLEAR_HALT:
        case USBDEVFS_RESETEP:
        case USBDEVFS_RESET:
        case USBDEVFS_SETINTERFACE:
        case USBDEVFS_SETCONFIGURATION:
            if (connected_) {
                umockdev_ioctl_client_complete(client, 0, 0);
            } else {
                umockdev_ioctl_client_complete(client, -1, ENODEV);
            }
            return true;
        default:
            umockdev_ioctl_client_complete(client, -1, connected_ ? ENOTTY : ENODEV);
            return true;
    }
}

void UsbNode::submit(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    if (!connected_) {
        umockdev_ioctl_client_complete(client, -1, ENODEV);
        return;
    }
    UMockdevIoctlData* urbData =
        umockdev_ioctl_data_resolve(arg, 0, sizeof(struct usbdevfs_urb), nullptr);
    if (!urbData) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    auto* raw = reinterpret_cast<usbdevfs_urb*>(urbData->data);
    if (strict_) {
        const TransferCheck check = checkTransfer(identity_, raw->endpoint, raw->type);
        if (check.error != 0) {
            g_object_unref(urbData);
            if (callbacks_.note) callbacks_.note("protocol_error", "usbfs: " + check.why);
            umockdev_ioctl_client_complete(client, -1, check.error);
            return;
        }
        if (check.converted && convertedNoted_.insert(raw->endpoint).second && callbacks_.note) {
            callbacks_.note("notice", "usbfs: " + check.why);
        }
    }
    UMockdevIoctlData* buffer = nullptr;
    if (raw->buffer_length > 0) {
        buffer = umockdev_ioctl_data_resolve(urbData, offsetof(struct usbdevfs_urb, buffer),
                                             raw->buffer_length, nullptr);
        if (!buffer) {
            g_object_unref(urbData);
            umockdev_ioctl_client_complete(client, -1, EFAULT);
            return;
        }
    }
    auto urb = std::make_unique<Urb>(client, urbData, buffer);
    Urb& u = *urb;
    urbs_.push_back(std::move(urb));
    umockdev_ioctl_client_complete(client, 0, 0);

    if (u.type == USBDEVFS_URB_TYPE_CONTROL) {
        answerControl(u);
    } else if (!u.isIn()) {
        std::vector<uint8_t> data(u.data(), u.data() + u.length());
        u.finish(0, u.length());
        if (callbacks_.hostData) callbacks_.hostData(u.endpoint, std::move(data));
    } else {
        deliverLocked();
    }
    updateReadinessLocked();
}

void UsbNode::answerControl(Urb& urb) {
    // Setup packet: bmRequestType, bRequest, wValue, wIndex, wLength; data follows it.
    if (urb.length() < 8) {
        urb.finish(-EPIPE, 0);
        return;
    }
    const uint8_t* setup = urb.data();
    uint16_t wValue = static_cast<uint16_t>(setup[2] | setup[3] << 8);
    uint16_t wLength = static_cast<uint16_t>(setup[6] | setup[7] << 8);
    bool getString = setup[0] == 0x80 && setup[1] == 6 && (wValue >> 8) == 3;
    auto answer = getString ? stringDescriptor(identity_, wValue & 0xFF) : std::nullopt;
    if (!answer) {
        urb.finish(-EPIPE, 0);
        return;
    }
    size_t room = std::min<size_t>(wLength, static_cast<size_t>(urb.length() - 8));
    size_t n = std::min(room, answer->size());
    memcpy(urb.data() + 8, answer->data(), n);
    urb.finish(0, static_cast<int>(n));
}

void UsbNode::deliverLocked() {
    // A driver that exited leaves its URBs behind; they must not swallow later packets.
    urbs_.remove_if([](const auto& u) { return !umockdev_ioctl_client_get_connected(u->client); });
    for (auto& u : urbs_) {
        if (u->done || !u->isIn()) continue;
        auto q = toHost_.find(u->endpoint);
        if (q == toHost_.end() || q->second.empty()) continue;
        auto& packet = q->second.front();
        size_t n = std::min(packet.size(), static_cast<size_t>(u->length()));
        if (n) memcpy(u->data(), packet.data(), n);
        u->finish(0, static_cast<int>(n));
        if (n < packet.size()) {
            packet.erase(packet.begin(), packet.begin() + static_cast<std::ptrdiff_t>(n));
        } else {
            q->second.pop_front();
        }
    }
}

void UsbNode::reap(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    auto it = std::find_if(urbs_.begin(), urbs_.end(),
                           [&](const auto& u) { return u->done && u->client == client; });
    if (it == urbs_.end()) {
        umockdev_ioctl_client_complete(client, -1, connected_ ? EAGAIN : ENODEV);
        return;
    }
    UMockdevIoctlData* slot = umockdev_ioctl_data_resolve(arg, 0, sizeof(gpointer), nullptr);
    if (!slot) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    umockdev_ioctl_data_set_ptr(slot, 0, (*it)->urb);
    umockdev_ioctl_client_complete(client, 0, 0);
    g_object_unref(slot);
    urbs_.erase(it);
    updateReadinessLocked();
}

void UsbNode::discard(UMockdevIoctlClient* client, UMockdevIoctlData* arg) {
    gulong address = 0;
    if (arg->data_len >= static_cast<gint>(sizeof(gulong)))
        memcpy(&address, arg->data, sizeof address);
    auto it = std::find_if(urbs_.begin(), urbs_.end(), [&](const auto& u) {
        return u->client == client && u->urb->client_addr == address;
    });
    if (it == urbs_.end() || (*it)->done) {
        umockdev_ioctl_client_complete(client, -1, EINVAL);
        return;
    }
    (*it)->finish(-ENOENT, 0);
    umockdev_ioctl_client_complete(client, 0, 0);
    updateReadinessLocked();
}

void UsbNode::sendToHost(uint8_t endpoint, std::vector<uint8_t> packet) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!connected_) return;
    toHost_[endpoint].push_back(std::move(packet));
    deliverLocked();
    updateReadinessLocked();
}

void UsbNode::clearToHost(uint8_t endpoint) {
    std::lock_guard<std::mutex> lock(mutex_);
    toHost_.erase(endpoint);
}

void UsbNode::disconnect() {
    std::lock_guard<std::mutex> lock(mutex_);
    connected_ = false;
    toHost_.clear();
    for (auto& u : urbs_) {
        if (!u->done) u->finish(-ENODEV, 0);
    }
    updateReadinessLocked();
}

}  // namespace ksim::usb
