#include "link/SerialPort.h"

#include <cstdio>

#include "link/SerialLine.h"
#include "link/SerialReceiver.h"

SerialPort::~SerialPort() {
    Close();
}

int SerialPort::Open(char* name, int baud) {
    Close();
    mFd = OpenSerial(name, baud);
    return mFd != 0 ? 0 : -1;
}

int SerialPort::Close() {
    if (mFd != 0) CloseSerial(mFd);
    mFd = 0;
    return 0;
}

int SerialPort::WriteBuffer(unsigned char* frame, int len) {
    Debug("[S    ]", nullptr, frame, len);
    if (mFd == 0) return -1;
    return WriteBuffer2Serial(mFd, frame, len);
}

int SerialPort::ReadBuffer(unsigned char* out, int* len, int timeout) {
    *len = 0;
    if (mFd == 0) return 1;
    devlink::SerialReceiver receiver(
        [this](unsigned char* buf, int n, int wait) {
            return ReadBufferFromSerial(mFd, buf, n, wait);
        },
        [this](const char* msg, const char* text, const unsigned char* data, int count) {
            Debug(msg, text, data, count);
        });
    return receiver.receive(out, len, timeout);
}

std::unique_ptr<SerialPort> Device::CreateUsartPortInstance(int number, int baud) {
    char name[32];
    std::snprintf(name, sizeof(name), "COM%d", number);
    auto port = std::make_unique<SerialPort>();
    if (port->Open(name, baud) != 0) return nullptr;
    return port;
}
