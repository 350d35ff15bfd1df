// Request and response adapters handed to handlers, for plain HTTP exchanges
// and for WebSocket frames. Responses collect what a handler sends; the
// network thread writes it once the handler has returned, so a handler never
// waits on a client's socket.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "IWebRequestHandler.h"

// printf-style formatting into a string of whatever size the text needs.
std::string FormatText(const char* fmt, va_list args);

// The headers of a request, turned into a map only when a handler asks.
class HeaderSource {
  public:
    virtual ~HeaderSource() = default;
    // First occurrence of each name, at most 40 names.
    virtual std::map<std::string, std::string> Headers() const = 0;
};

struct HttpRequestParts {
    std::string uri, method, proto, query, body;
    std::unique_ptr<HeaderSource> headers;
};

class HttpRequestAdapter : public IWebRequest {
  public:
    explicit HttpRequestAdapter(HttpRequestParts parts) : mParts(std::move(parts)) {}

    std::string Uri() const override { return mParts.uri; }
    std::string Method() const override { return mParts.method; }
    std::string Proto() const override { return mParts.proto; }
    std::string Query() const override { return mParts.query; }
    std::string Body() const override { return mParts.body; }
    std::string GetVariable(const std::string& name) const override;
    std::map<std::string, std::string> Headers() const override {
        return mParts.headers ? mParts.headers->Headers() : std::map<std::string, std::string>();
    }

  private:
    HttpRequestParts mParts;
};

// What every response keeps: bytes the connection has not written yet,
// whether the handler wants the connection closed or its timer called.
class ResponseBase : public IWebResponse {
  public:
    explicit ResponseBase(size_t backlog) : mBacklog(backlog) {}

    void CloseConnection() override { mClose = true; }
    void SetTimer(uint32_t msec) override {
        mTimerArmed = true;
        mTimerMsec = msec;
    }

    bool TimerArmed() const { return mTimerArmed; }
    uint32_t TimerMsec() const { return mTimerMsec; }
    bool CloseRequested() const { return mClose; }

  protected:
    size_t mBacklog;
    bool mClose = false;

  private:
    bool mTimerArmed = false;
    uint32_t mTimerMsec = 0;
};

class HttpResponseAdapter : public ResponseBase {
  public:
    using ResponseBase::ResponseBase;

    size_t ToSendDataLength() const override { return mBacklog + mOut.size(); }
    void Send(const uint8_t* buffer, size_t length) override;
    __attribute__((format(printf, 2, 3))) void Printf(const char* fmt, ...) override;
    void SendChunk(const uint8_t* buffer, size_t length) override;
    __attribute__((format(printf, 2, 3))) void PrintfChunk(const char* fmt, ...) override;
    void SendError(int errorCode, const char* fmt = nullptr, ...) override;

    // What the handler sent; the response is empty afterwards.
    std::string TakeOutput() { return std::move(mOut); }
    // Whether the connection may carry another request: the reply's head
    // delimits its body and does not ask for the connection to close.
    bool KeepAlive() const { return !mClose && mHeadDone && mHeadKeepsAlive; }
    // Status code of the reply's head, 0 when none was sent.
    int Status() const { return mStatus; }

  private:
    void Append(const char* data, size_t length);
    void InspectHead(const char* data, size_t length);

    std::string mOut;
    std::string mHead;
    bool mHeadDone = false;
    bool mHeadKeepsAlive = false;
    int mStatus = 0;
};

class WebSocketRequestAdapter : public IWebRequest {
  public:
    explicit WebSocketRequestAdapter(std::string payload) : mPayload(std::move(payload)) {}

    std::string Uri() const override { return {}; }
    std::string Method() const override { return {}; }
    std::string Proto() const override { return {}; }
    std::string Query() const override { return {}; }
    std::string Body() const override { return mPayload; }
    std::string GetVariable(const std::string&) const override { return {}; }
    std::map<std::string, std::string> Headers() const override { return {}; }

  private:
    std::string mPayload;
};

struct WebSocketFrame {
    bool text = true;
    std::string data;
};

class WebSocketResponseAdapter : public ResponseBase {
  public:
    using ResponseBase::ResponseBase;

    size_t ToSendDataLength() const override { return mBacklog + mQueued; }
    // One binary frame.
    void Send(const uint8_t* buffer, size_t length) override;
    // The text as it is, unformatted, in one text frame.
    __attribute__((format(printf, 2, 3))) void Printf(const char* fmt, ...) override;
    void SendChunk(const uint8_t* buffer, size_t length) override;
    __attribute__((format(printf, 2, 3))) void PrintfChunk(const char* fmt, ...) override;
    // A text frame "Error <code>: <message>", then the connection closes.
    void SendError(int errorCode, const char* fmt = nullptr, ...) override;

    std::vector<WebSocketFrame> TakeFrames() {
        mQueued = 0;
        return std::move(mFrames);
    }

  private:
    void Frame(bool text, const char* data, size_t length);

    std::vector<WebSocketFrame> mFrames;
    size_t mQueued = 0;
};
