#include "CivetAdapters.h"

#include <civetweb.h>
#include <strings.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Headers a request adapter hands out; later ones are dropped.
constexpr int kMaxRequestHeaders = 40;
// A variable's buffer when the source is shorter than this.
constexpr size_t kVariableBuffer = 200;
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

CivetRequest::CivetRequest(const mg_request_info& info, std::string body)
    : mUri(info.local_uri != nullptr ? info.local_uri : ""),
      mMethod(info.request_method != nullptr ? info.request_method : ""),
      mProto(std::string("HTTP/") + (info.http_version != nullptr ? info.http_version : "")),
      mQuery(info.query_string != nullptr ? info.query_string : ""),
      mBody(std::move(body)),
      mInfo(info) {}

std::map<std::string, std::string> CivetRequest::Headers() const {
    std::map<std::string, std::string> headers;
    const int count = std::min(mInfo.num_headers, MG_MAX_HEADERS);
    for (int i = 0; i < count && static_cast<int>(headers.size()) < kMaxRequestHeaders; ++i) {
        const mg_header& header = mInfo.http_headers[i];
        if (header.name == nullptr) continue;
        headers.emplace(header.name, header.value != nullptr ? header.value : "");
    }
    return headers;
}

std::string CivetRequest::GetVariable(const std::string& name) const {
    const std::string& source = mQuery.empty() ? mBody : mQuery;
    // Decoding never lengthens the text, so source length + 1 always fits.
    std::vector<char> value(source.size() < kVariableBuffer ? kVariableBuffer : source.size() + 1);
    const int length =
        mg_get_var(source.data(), source.size(), name.c_str(), value.data(), value.size());
    if (length < 0) return {};
    return std::string(value.data(), std::min(static_cast<size_t>(length), value.size() - 1));
}

bool CivetResponseBase::TakeTimer(uint32_t& msec) {
    if (!mTimerArmed) return false;
    mTimerArmed = false;
    msec = mTimerMsec;
    return true;
}

void CivetResponse::InspectHead(const char* data, size_t length) {
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

void CivetResponse::Append(const char* data, size_t length) {
    if (mFailed || length == 0) return;
    if (!mHeadDone) InspectHead(data, length);
    mOut.append(data, length);
}

void CivetResponse::Flush() {
    if (!mFailed && !mOut.empty() && mg_write(mConn, mOut.data(), mOut.size()) <= 0) {
        mFailed = true;
    }
    mOut.clear();
}

void CivetResponse::Send(const uint8_t* buffer, size_t length) {
    if (buffer != nullptr) Append(reinterpret_cast<const char*>(buffer), length);
}

void CivetResponse::Printf(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = FormatText(fmt, args);
    va_end(args);
    Append(text.data(), text.size());
}

void CivetResponse::SendChunk(const uint8_t* buffer, size_t length) {
    char size[24];
    const int sizeLength = std::snprintf(size, sizeof(size), "%zx\r\n", length);
    Append(size, static_cast<size_t>(sizeLength));
    if (buffer != nullptr) Append(reinterpret_cast<const char*>(buffer), length);
    Append("\r\n", 2);
}

void CivetResponse::PrintfChunk(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = FormatText(fmt, args);
    va_end(args);
    SendChunk(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void CivetResponse::SendError(int errorCode, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = FormatText(fmt, args);
    va_end(args);
    Flush();
    mg_send_http_error(mConn, errorCode, "%s", text.c_str());
    mHeadDone = true;
    mHeadKeepsAlive = false;
    mStatus = errorCode;
}

bool CivetResponse::KeepAlive() const {
    return !Closed() && mHeadDone && mHeadKeepsAlive;
}

void CivetWebSocketResponse::Frame(int opcode, const char* data, size_t length) {
    if (mFailed) return;
    mFrames.emplace_back(opcode,
                         std::string(data != nullptr ? data : "", data != nullptr ? length : 0));
    mQueued += length;
}

void CivetWebSocketResponse::Flush() {
    for (const auto& frame : mFrames) {
        if (mFailed) break;
        if (mg_websocket_write(mConn, frame.first, frame.second.data(), frame.second.size()) <= 0) {
            mFailed = true;
        }
    }
    mFrames.clear();
    mQueued = 0;
}

void CivetWebSocketResponse::Send(const uint8_t* buffer, size_t length) {
    Frame(MG_WEBSOCKET_OPCODE_BINARY, reinterpret_cast<const char*>(buffer), length);
}

void CivetWebSocketResponse::Printf(const char* fmt, ...) {
    if (fmt != nullptr) Frame(MG_WEBSOCKET_OPCODE_TEXT, fmt, std::strlen(fmt));
}

void CivetWebSocketResponse::SendChunk(const uint8_t* buffer, size_t length) {
    Send(buffer, length);
}

void CivetWebSocketResponse::PrintfChunk(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = FormatText(fmt, args);
    va_end(args);
    Frame(MG_WEBSOCKET_OPCODE_TEXT, text.data(), text.size());
}

void CivetWebSocketResponse::SendError(int errorCode, const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    const std::string text = "Error " + std::to_string(errorCode) + ": " + FormatText(fmt, args);
    va_end(args);
    Frame(MG_WEBSOCKET_OPCODE_TEXT, text.data(), text.size());
    mClose = true;
}
