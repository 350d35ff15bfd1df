#include "MethodRequestHandler.h"

#include <json/json.h>
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

const char kHeartBeat[] = "heart_beat";
const char kHeartBeatDocument[] = "{\"funccode\":\"heart_beat\"}";

}  // namespace

bool NamesHeartBeat(const std::string& argsJson) {
    // The document clients send, recognised without a parse.
    if (argsJson == kHeartBeatDocument) return true;
    const size_t length = strnlen(argsJson.c_str(), argsJson.size());
    // Only a text that spells the name can name it without escapes; one that
    // escapes it still reaches the SDK, in its turn.
    if (argsJson.substr(0, length).find(kHeartBeat) == std::string::npos) return false;
    thread_local std::unique_ptr<Json::CharReader> reader(
        Json::CharReaderBuilder().newCharReader());
    Json::Value args;
    std::string errors;
    try {
        if (!reader->parse(argsJson.data(), argsJson.data() + length, &args, &errors) ||
            !errors.empty()) {
            return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    if (!args.isObject() || !args.isMember("funccode")) return false;
    const Json::Value& funccode = args["funccode"];
    return !funccode.isNull() && funccode.isConvertibleTo(Json::stringValue) &&
           funccode.asString() == kHeartBeat;
}

ResultBuffer MethodCallBase::AllocateResultBuffer() {
    return ResultBuffer(static_cast<char*>(std::calloc(kResultBufferSize, 1)));
}

int MethodCallBase::Call(const char* argsJson, char* out, bool flag) {
    return lib_call_method(mDevice, flag, argsJson, out);
}

void MethodCallBase::ClearResultBuffer(char* buffer, size_t length) {
    const size_t used = length < kResultBufferSize ? length + 1 : kResultBufferSize;
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

std::string MethodCallBase::CallMethod(ResultSlot& slot, const std::string& body, bool flag) {
    std::lock_guard<std::mutex> guard(slot.lock);
    if (!slot.buffer) slot.buffer = AllocateResultBuffer();
    if (!slot.buffer) {
        Json::Value document;
        document["result"] = kNoResultBuffer;
        document["msg"] = BaseCode().at(kNoResultBuffer);
        return json2string(document);
    }
    char* const buffer = slot.buffer.get();
    Call(body.c_str(), buffer, flag);
    // Bounded by the buffer, in case a document filled it without its NUL.
    const size_t length = strnlen(buffer, kResultBufferSize);
    std::string document(buffer, length);
    ClearResultBuffer(buffer, length);
    return document;
}

void MethodCallBase::HandleHttpRequest(IWebRequest& request, IWebResponse& response) {
    Answer(response, CallMethod(mDeviceCalls, request.Body(), CallFlag()));
}

bool MethodCallBase::AnswerWithoutDevice(IWebRequest& request, IWebResponse& response) {
    const std::string body = request.Body();
    if (!NamesHeartBeat(body)) return false;
    Answer(response, CallMethod(mHeartBeats, body, CallFlag()));
    return true;
}

void MethodRequestHandler::Answer(IWebResponse& response, const std::string& document) {
    response.Printf(kReplyHead, static_cast<unsigned>(document.size()));
    response.Send(reinterpret_cast<const uint8_t*>(document.data()), document.size());
}

void MethodWSRequestHandler::Answer(IWebResponse& response, const std::string& document) {
    // One text frame carrying the document as it is (a WebSocket response formats only
    // through PrintfChunk; the document is data, never a format).
    response.PrintfChunk("%s", document.c_str());
}
