#include "kq_ecp_001.h"

#include <algorithm>
#include <cstring>

#include "BcdTime.h"
#include "LinkCodes.h"

namespace {
constexpr int kCopyLen = 10;
constexpr int kTimeoutMs = 5000;
constexpr int kRetries = 3;
constexpr int kReplyBufferSize = 1024;

unsigned le(const unsigned char* at, int bytes) {
    unsigned v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | at[i];
    return v;
}
}  // namespace

kq_ecp_001::kq_ecp_001() {
    for (int& i : mMatchIndex) i = -1;
}

kq_ecp_001::~kq_ecp_001() {
    mPorts.clear();
    if (mListTaken) libusb_free_device_list(mDeviceList, 1);
    if (mContextOk) libusb_exit(mContext);
}

int kq_ecp_001::send(Form form, UsbPort* port, short cmd, char* data, int len, char* out,
                     int* outLen, int copyLen, int timeout, int retries) {
    if (len < 0 || (len > 0 && !data)) return ecp::kBadArgument;
    const std::size_t n = static_cast<std::size_t>(len);
    std::vector<char> request(n < 1793 ? 2048 : n + 255, 0);
    request[0] = static_cast<char>(cmd & 0xFF);
    GetSysTime_BCD(reinterpret_cast<unsigned char*>(&request[1]));
    if (n) std::memcpy(&request[8], data, n);
    const int requestLen = len + (form == Form::Image ? 8 : 18);
    const bool keepsWord = form != Form::Iap;
    const int copy = std::max(copyLen, 0);

    if (retries <= 0) {
        if (keepsWord) mLastReplyWord = 0;
        if (out && copy) std::memset(out, 0, static_cast<std::size_t>(copy));
        return 0;
    }
    if (!port) return ecp::kWriteFailed;

    char reply[kReplyBufferSize] = {0};
    int replyLen = 0;
    int r = 0;
    for (int attempt = 0; attempt < retries; ++attempt) {
        r = port->SendCommandAndWaitRec(0, cmd, 0, request.data(), requestLen, nullptr, nullptr,
                                        reply, &replyLen, timeout);
        if (r == ecp::kWriteFailed) {
            port->Close();
            port->reOpen();
            r = port->SendCommandAndWaitRec(0, cmd, 0, request.data(), requestLen, nullptr, nullptr,
                                            reply, &replyLen, timeout);
        }
        if (r == 0) break;
    }
    if (r != 0) return r;

    // Only the bytes this reply really carried count; anything past its end reads as zero.
    replyLen = std::max(0, std::min(replyLen, kReplyBufferSize));
    auto byteAt = [&](int i) -> unsigned char {
        return i < replyLen ? static_cast<unsigned char>(reply[i]) : 0;
    };
    int result = 0;
    if (keepsWord) {
        unsigned word = 0;
        for (int i = 4; i >= 1; --i) word = (word << 8) | byteAt(i);
        mLastReplyWord = static_cast<int>(word);
        if (byteAt(5) != 0) result = ecp::kPrinterFailed;
    }
    const int from = form == Form::Iap ? 7 : 8;
    if (out) {
        for (int i = 0; i < copy; ++i) out[i] = static_cast<char>(byteAt(from + i));
    }
    if (outLen) *outLen = copy;
    return result;
}

int kq_ecp_001::SendCommond(UsbPort* port, short cmd, char* data, int len, char* out, int* outLen,
                            int copyLen, int timeout, int retries) {
    return send(Form::Standard, port, cmd, data, len, out, outLen, copyLen, timeout, retries);
}

int kq_ecp_001::SendCommond60(UsbPort* port, short cmd, char* data, int len, char* out, int* outLen,
                              int copyLen, int timeout, int retries) {
    return send(Form::Iap, port, cmd, data, len, out, outLen, copyLen, timeout, retries);
}

int kq_ecp_001::SendCommond59(UsbPort* port, short cmd, char* data, int len, char* out, int* outLen,
                              int copyLen, int timeout, int retries) {
    return send(Form::Image, port, cmd, data, len, out, outLen, copyLen, timeout, retries);
}

int kq_ecp_001::GetDllVer() {
    return 0;
}
int kq_ecp_001::SetLogLevel(unsigned char) {
    return 0;
}
int kq_ecp_001::Open(unsigned char, int, int) {
    return 0;
}
int kq_ecp_001::OpenSpecified(int, char*, char*) {
    return 0;
}

int kq_ecp_001::OpenWithPid(unsigned short vid, unsigned short pid) {
    mOpenClock = std::clock();
    mVid = vid;
    mPid = pid;
    if (!mContextOk) {
        if (libusb_init(&mContext) < 0) return -1;
        mContextOk = true;
    }
    mMatchCount = 0;
    for (int& i : mMatchIndex) i = -1;
    if (mListTaken) libusb_free_device_list(mDeviceList, 1);
    mListTaken = false;
    const ssize_t count = libusb_get_device_list(mContext, &mDeviceList);
    if (count < 0) return -1;
    mListTaken = true;
    for (ssize_t i = 0; i < count && mMatchCount < kMaxMatches; ++i) {
        libusb_device_descriptor desc{};
        if (libusb_get_device_descriptor(mDeviceList[i], &desc) != 0) continue;
        if (desc.idVendor == vid && desc.idProduct == pid) {
            mMatchIndex[mMatchCount++] = static_cast<int>(i);
        }
    }
    if (mMatchCount == 0) return -1;
    for (int m = 0; m < mMatchCount; ++m) {
        auto port = std::make_unique<UsbPort>();
        if (port->Open(mDeviceList[mMatchIndex[m]]) == 0) addPort(std::move(port));
    }
    return 0;
}

UsbPort* kq_ecp_001::addPort(std::unique_ptr<UsbPort> port) {
    mPorts.push_back(std::move(port));
    return mPorts.back().get();
}

void kq_ecp_001::dropPort(UsbPort* port) {
    auto it = std::find_if(mPorts.begin(), mPorts.end(),
                           [port](const std::unique_ptr<UsbPort>& p) { return p.get() == port; });
    if (it == mPorts.end()) return;
    (*it)->Close();
    mPorts.erase(it);
}

int kq_ecp_001::Close() {
    for (auto& port : mPorts) port->Close();
    mPorts.clear();
    return 0;
}

int kq_ecp_001::SetPrintPid(UsbPort* port, unsigned short vid, unsigned short pid, unsigned char*,
                            unsigned char*, unsigned short*) {
    char data[4] = {static_cast<char>(vid & 0xFF), static_cast<char>(vid >> 8),
                    static_cast<char>(pid & 0xFF), static_cast<char>(pid >> 8)};
    char reply[kCopyLen];
    int replyLen = 0;
    return SendCommond(port, 0x5E, data, 4, reply, &replyLen, kCopyLen, kTimeoutMs, kRetries);
}

int kq_ecp_001::GetFwVer(UsbPort* port, unsigned char*, unsigned char*, unsigned short*,
                         char* version) {
    char reply[kCopyLen];
    int replyLen = 0;
    const int r =
        SendCommond(port, 0x80, nullptr, 0, reply, &replyLen, kCopyLen, kTimeoutMs, kRetries);
    if (r == 0 && version) std::memcpy(version, reply, kCopyLen);
    return r;
}

int kq_ecp_001::GetID(UsbPort* port, unsigned char*, unsigned char*, unsigned short*, char* id,
                      char* extra) {
    char reply[28];
    int replyLen = 0;
    const int r = SendCommond(port, 0x5A, nullptr, 0, reply, &replyLen, 28, kTimeoutMs, kRetries);
    if (r != 0) return r;
    if (id) std::memcpy(id, reply, 12);
    if (extra) std::memcpy(extra, reply + 12, 16);
    return 0;
}

int kq_ecp_001::SelfChecking(UsbPort* port, unsigned char mode, unsigned char* o1,
                             unsigned char* o2, unsigned char* o3, unsigned short* o4,
                             unsigned int* o5, unsigned int* o6, unsigned int* o7, unsigned int* o8,
                             unsigned char*, unsigned char*, unsigned short*) {
    if (mode > 1) return ecp::kBadArgument;
    unsigned char reply[15];
    int replyLen = 0;
    const int r = SendCommond(port, 0x57, nullptr, 0, reinterpret_cast<char*>(reply), &replyLen, 15,
                              kTimeoutMs, kRetries);
    if (r != 0) return r;
    if (o1) *o1 = reply[0];
    if (o2) *o2 = reply[1];
    if (o3) *o3 = reply[2];
    if (o4) *o4 = static_cast<unsigned short>(le(reply + 3, 2));
    if (o5) *o5 = le(reply + 5, 3);
    if (o6) *o6 = le(reply + 8, 2);
    if (o7) *o7 = le(reply + 10, 3);
    if (o8) *o8 = le(reply + 13, 2);
    return 0;
}
