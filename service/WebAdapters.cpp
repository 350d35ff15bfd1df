#include "WebAdapters.h"

#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ErrorReply.h"
#include "FormVariable.h"

namespace {

// Longest reply head inspected for keep-alive; a longer one closes the connection.
constexpr size_t kMaxInspectedHead = 8192;

bool HeaderLineIs(const std::string& line, const char* name) {
    const size_t length = std::strlen(name);
    return line.size() > length && strncasecmp(line.c_str(), name, length) == 0 &&
           line[length] == ':';
}

std::string HeaderValue(const std::string& line) {
    size_t start = line.find(':') + 1;
    while (start < line.size() && (line[start] == ' ' || line[start] == '\t')) ++start;
    return line.substr(start);
}

}  // namespace

std::string FormatText(const char* fmt, va_list args) {
    if (fmt == nullptr) return {};
    va_list copy;
    va_copy(copy, args);
    char small[1024];
    const int length = std::vsnprintf(small, sizeof(small), fmt, copy);
    va_end(copy);
    if (length < 0) return {};
    if (static_cast<size_t>(length) < sizeof(small)) return std::string(small, length);
    std::vector<char> large(static_cast<size_t>(length) + 1);
    std::vsnprintf(large.data(), large.size(), fmt, args);
    return std::string(large.data(), static_cast<size_t>(length));
}

std::string HttpRequestAdapter::GetVariable(const std::string& name) const {
    const std::string& source = mParts.query.empty() ? mParts.body : mParts.query;
    std::string value;
    return FindFormVariable(source, name, value) ? value : std::string();
}

void HttpResponseAdapter::InspectHead(const char* data, size_t length) {
    const size_t room = kMaxInspectedHead - mHead.size();
    mHead.append(data, std::min(length, room));
    const size_t end = mHead.find("\r\n\r\n");
    if (end == std::string::npos) {
        if (mHead.size() >= kMaxInspectedHead) mHeadDone = true;
        return;
    }
    mHeadDone = true;
    bool delimited = false;
    bool close = false;
    size_t start = 0;
    while (start < end) {
        size_t stop = mHead.find("\r\n", start);
        const std::string line = mHead.substr(start, stop - start);
        if (start == 0) {
            if (line.compare(0, 5, "HTTP/") == 0 && line.size() >= 12) {
                mStatus = std::atoi(line.c_str() + 9);
            }
        } else if (HeaderLineIs(line, "Content-Length")) {
            delimited = true;
        } else if (HeaderLineIs(line, "Transfer-Encoding")) {
            delimited = delimited || strcasecmp(HeaderValue(line).c_str(), "chunked") == 0;
        } else if (HeaderLineIs(line, "Connection")) {
            close = strcasecmp(HeaderValue(line).c_str(), "close") == 0;
        }
        start = stop + 2;
    }
    mHeadKeepsAlive = mStatus != 0 && delimited && !close;
}

void HttpResponseAdapter::Append(const char* data, size_t length) {
    if (length == 0) return;
    if (!mHeadDone) InspectHead(data, length);
    mOut.append(data, length);
}

void HttpResponseAdapter::Send(const uint8_t* buffer, size_t length) {
    if (buffer != nullptr) Append(reinterpret_cast<const char*>(buffer), length);
}

void HttpResponseAdapter::Printf(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = FormatText(fmt, args);
    va_end(args);
    Append(text.data(), text.size());
}

void HttpResponseAdapter::SendChunk(const uint8_t* buffer, size_t length) {
    char size[24];
    const int sizeLength = std::snprintf(size, sizeof(size), "%zx\r\n", length);
    Append(size, static_cast<size_t>(sizeLength));
    if (buffer != nullptr) Append(reinterpret_cast<const char*>(buffer), length);
    Append("\r\n", 2);
}

void HttpResponseAdapter::PrintfChunk(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = FormatText(fmt, args);
    va_end(args);
    SendChunk(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void HttpResponseAdapter::SendError(int errorCode, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = FormatText(fmt, args);
    va_end(args);
    mOut += ErrorReply(errorCode, text, true);
    mHeadDone = true;
    mHeadKeepsAlive = false;
    mStatus = errorCode;
}

void WebSocketResponseAdapter::Frame(bool text, const char* data, size_t length) {
    mFrames.push_back(
        {text, std::string(data != nullptr ? data : "", data != nullptr ? length : 0)});
    mQueued += length;
}

void WebSocketResponseAdapter::Send(const uint8_t* buffer, size_t length) {
    Frame(false, reinterpret_cast<const char*>(buffer), length);
}

void WebSocketResponseAdapter::Printf(const char* fmt, ...) {
    if (fmt != nullptr) Frame(true, fmt, std::strlen(fmt));
}

void WebSocketResponseAdapter::SendChunk(const uint8_t* buffer, size_t length) {
    Send(buffer, length);
}

void WebSocketResponseAdapter::PrintfChunk(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = FormatText(fmt, args);
    va_end(args);
    Frame(true, text.data(), text.size());
}

void WebSocketResponseAdapter::SendError(int errorCode, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = "Error " + std::to_string(errorCode) + ": " + FormatText(fmt, args);
    va_end(args);
    Frame(true, text.data(), text.size());
    mClose = true;
}
