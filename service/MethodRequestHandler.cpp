#include "MethodRequestHandler.h"

#include <cstring>

#include "core/ResultJson.h"
#include "devsdk.h"

namespace {

// Code of the document answered when the result buffer cannot be allocated.
constexpr int kNoResultBuffer = 4336;

const char* const kReplyHead =
    "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: "
    "%u\r\nAccess-Control-Allow-Headers:X-CSRF-Token,X-Requested-With,Accept,Authorization,X-"
    "PINGOTHER,Content-Type\r\nAccess-Control-Allow-Origin:  *\r\nAccess-Control-Allow-Methods: "
    "GET,PUT,POST,DELETE,PATCH,OPTIONS\r\nCache-Control: no-store, must-revalidate\r\nPragma: "
    "no-cache\r\nExpires: 0\r\n\r\n";

}  // namespace

ResultBuffer MethodCallBase::AllocateResultBuffer() {
    return ResultBuffer(static_cast<char*>(std::calloc(kResultBufferSize, 1)));
}

std::string MethodCallBase::CallMethod(const std::string& body, bool flag) {
    std::lock_guard<std::mutex> guard(mCallLock);
    ResultBuffer buffer = AllocateResultBuffer();
    if (!buffer) {
        Json::Value document;
        document["result"] = kNoResultBuffer;
        document["msg"] = BaseCode().at(kNoResultBuffer);
        return json2string(document);
    }
    lib_call_method(mDevice, flag, body.c_str(), buffer.get());
    // The last byte stays NUL whatever the SDK wrote, so the scan ends inside.
    buffer.get()[kResultBufferSize - 1] = '\0';
    return std::string(buffer.get(), std::strlen(buffer.get()));
}

void MethodRequestHandler::HandleHttpRequest(IWebRequest& request, IWebResponse& response) {
    const std::string document = CallMethod(request.Body(), true);
    response.Printf(kReplyHead, static_cast<unsigned>(document.size()));
    response.Send(reinterpret_cast<const uint8_t*>(document.data()), document.size());
}

void MethodWSRequestHandler::HandleHttpRequest(IWebRequest& request, IWebResponse& response) {
    const std::string document = CallMethod(request.Body(), false);
    response.Printf(document.c_str());
}
