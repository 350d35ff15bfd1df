#include "MethodRequestHandler.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstring>

#include "core/ResultJson.h"
#include "devsdk.h"

namespace {

// Code of the document answered when the result buffer cannot be allocated.
constexpr int kNoResultBuffer = 4336;
// Documents up to this size are wiped with memset; larger ones give their pages back.
constexpr size_t kClearedInPlace = 64 * 1024;
constexpr uintptr_t kPageSize = 4096;

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

int MethodCallBase::Call(const char* argsJson, char* out, bool flag) {
    return lib_call_method(mDevice, flag, argsJson, out);
}

void MethodCallBase::ClearResultBuffer(size_t length) {
    const size_t used = length < kResultBufferSize ? length + 1 : kResultBufferSize;
    char* const buffer = mBuffer.get();
    if (used <= kClearedInPlace) {
        std::memset(buffer, 0, used);
        return;
    }
    // Dropped pages read as zero afterwards and no longer hold memory.
    const uintptr_t start = reinterpret_cast<uintptr_t>(buffer);
    const uintptr_t firstPage = (start + kPageSize - 1) & ~(kPageSize - 1);
    const uintptr_t lastPage = (start + used) & ~(kPageSize - 1);
    if (lastPage <= firstPage ||
        madvise(reinterpret_cast<void*>(firstPage), lastPage - firstPage, MADV_DONTNEED) != 0) {
        std::memset(buffer, 0, used);
        return;
    }
    std::memset(buffer, 0, firstPage - start);
    std::memset(buffer + (lastPage - start), 0, start + used - lastPage);
}

std::string MethodCallBase::CallMethod(const std::string& body, bool flag) {
    std::lock_guard<std::mutex> guard(mCallLock);
    if (!mBuffer) mBuffer = AllocateResultBuffer();
    if (!mBuffer) {
        Json::Value document;
        document["result"] = kNoResultBuffer;
        document["msg"] = BaseCode().at(kNoResultBuffer);
        return json2string(document);
    }
    Call(body.c_str(), mBuffer.get(), flag);
    // Bounded by the buffer, in case a document filled it without its NUL.
    const size_t length = strnlen(mBuffer.get(), kResultBufferSize);
    std::string document(mBuffer.get(), length);
    ClearResultBuffer(length);
    return document;
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
