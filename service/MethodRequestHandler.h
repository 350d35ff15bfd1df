// Hands a request body to the SDK unchanged and answers its result document.
// The method that runs is the one the body's "funccode" names, whatever the route.
#pragma once

#include <cstdlib>
#include <memory>
#include <mutex>

#include "IWebRequestHandler.h"

class lib_dev;

// Size of the result buffer each call gets; it bounds any result document.
constexpr size_t kResultBufferSize = 104857600;

struct FreeDeleter {
    void operator()(char* buffer) const { std::free(buffer); }
};
using ResultBuffer = std::unique_ptr<char, FreeDeleter>;

class MethodCallBase : public IWebRequestHandler {
  public:
    MethodCallBase(const std::string& uri, lib_dev* device)
        : IWebRequestHandler(uri, false), mDevice(device) {}

  protected:
    // Runs the body through the SDK; the result document, or when no result
    // buffer can be had, a document saying so.
    std::string CallMethod(const std::string& body, bool flag);
    // A zero-filled buffer whose pages stay untouched until written; null when
    // the memory is not there.
    virtual ResultBuffer AllocateResultBuffer();
    // The SDK call; out is the result buffer.
    virtual int Call(const char* argsJson, char* out, bool flag);

  private:
    // Makes the buffer zero-filled again after a document of length bytes,
    // handing the pages of a large one back to the system.
    void ClearResultBuffer(size_t length);

    lib_dev* mDevice;  // borrowed from the service, which outlives the server
    std::mutex mCallLock;
    // Kept between calls: mapping and unmapping 100 MiB for each request costs
    // more than the call itself. Only the pages a document touched are resident.
    ResultBuffer mBuffer;
};

class MethodRequestHandler : public MethodCallBase {
  public:
    using MethodCallBase::MethodCallBase;
    void HandleHttpRequest(IWebRequest& request, IWebResponse& response) override;
};

// The WebSocket twin: the result document as one text frame, no headers.
class MethodWSRequestHandler : public MethodCallBase {
  public:
    using MethodCallBase::MethodCallBase;
    void HandleHttpRequest(IWebRequest& request, IWebResponse& response) override;
};
