// Hands a request body to the SDK unchanged and answers its result document.
// The method that runs is the one the body's "funccode" names, whatever the route.
#pragma once

#include <cstdlib>
#include <memory>
#include <mutex>

#include "IDeviceRequestHandler.h"
#include "IWebRequestHandler.h"

class lib_dev;

// Size of the result buffer each call gets; it bounds any result document.
constexpr size_t kResultBufferSize = 104857600;

struct FreeDeleter {
    void operator()(char* buffer) const { std::free(buffer); }
};
using ResultBuffer = std::unique_ptr<char, FreeDeleter>;

// Whether the SDK reads funccode "heart_beat" from this argument text: the
// same reader, the same settings and the same text (up to its first NUL) as
// the SDK's dispatcher, so the answer cannot differ from the SDK's own.
bool NamesHeartBeat(const std::string& argsJson);

class MethodCallBase : public IWebRequestHandler, public IDeviceRequestHandler {
  public:
    MethodCallBase(const std::string& path, lib_dev* device)
        : IWebRequestHandler(path, false), mDevice(device) {}

    void HandleHttpRequest(IWebRequest& request, IWebResponse& response) override;
    // heart_beat touches no device and no state of the SDK object: the
    // dispatcher logs (under the log's lock), parses with a reader of its own
    // thread, looks the name up in a table that is read-only once main runs,
    // and writes a fixed document into the buffer it is given. So it may run
    // on the network thread while a device call runs on the worker, with a
    // result buffer of its own.
    bool AnswerWithoutDevice(IWebRequest& request, IWebResponse& response) override;

  protected:
    // A zero-filled buffer whose pages stay untouched until written; null when
    // the memory is not there.
    virtual ResultBuffer AllocateResultBuffer();
    // The SDK call; out is the result buffer.
    virtual int Call(const char* argsJson, char* out, bool flag);
    // The flag the SDK call gets, and how the document goes to the client.
    virtual bool CallFlag() const = 0;
    virtual void Answer(IWebResponse& response, const std::string& document) = 0;

  private:
    // A result buffer and the lock of the calls that use it. Kept between
    // calls: mapping and unmapping 100 MiB for each request costs more than
    // the call itself. Only the pages a document touched are resident.
    struct ResultSlot {
        std::mutex lock;
        ResultBuffer buffer;
    };

    // Runs the body through the SDK; the result document, or when no result
    // buffer can be had, a document saying so.
    std::string CallMethod(ResultSlot& slot, const std::string& body, bool flag);
    // Makes the buffer zero-filled again after a document of length bytes,
    // handing the pages of a large one back to the system.
    static void ClearResultBuffer(char* buffer, size_t length);

    lib_dev* mDevice;  // borrowed from the service, which outlives the server
    ResultSlot mDeviceCalls;
    ResultSlot mHeartBeats;
};

class MethodRequestHandler : public MethodCallBase {
  public:
    using MethodCallBase::MethodCallBase;

  protected:
    bool CallFlag() const override { return true; }
    void Answer(IWebResponse& response, const std::string& document) override;
};

// The WebSocket twin: the result document as one text frame, no headers.
class MethodWSRequestHandler : public MethodCallBase {
  public:
    using MethodCallBase::MethodCallBase;

  protected:
    bool CallFlag() const override { return false; }
    void Answer(IWebResponse& response, const std::string& document) override;
};
