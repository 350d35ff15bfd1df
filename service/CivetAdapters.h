// Request and response adapters over one engine connection, for plain HTTP
// exchanges and for WebSocket frames.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "IWebRequestHandler.h"

struct mg_connection;
struct mg_request_info;

// printf-style formatting into a string of whatever size the text needs.
std::string FormatText(const char* fmt, va_list args);

class CivetRequest : public IWebRequest {
  public:
    // Borrows info for the duration of the handler call.
    CivetRequest(const mg_request_info& info, std::string body);

    std::string Uri() const override { return mUri; }
    std::string Method() const override { return mMethod; }
    std::string Proto() const override { return mProto; }
    std::string Query() const override { return mQuery; }
    std::string Body() const override { return mBody; }
    std::string GetVariable(const std::string& name) const override;
    std::map<std::string, std::string> Headers() const override;

  private:
    std::string mUri, mMethod, mProto, mQuery, mBody;
    const mg_request_info& mInfo;  // the engine's, valid for the handler call
};

// What every response keeps: whether the handler wants the connection closed
// or its timer called.
class CivetResponseBase : public IWebResponse {
  public:
    explicit CivetResponseBase(mg_connection* conn) : mConn(conn) {}

    size_t ToSendDataLength() const override { return 0; }
    void CloseConnection() override { mClose = true; }
    void SetTimer(uint32_t msec) override {
        mTimerArmed = true;
        mTimerMsec = msec;
    }

    // Writes what the handler has sent, for responses that collect it.
    virtual void Flush() {}
    // Takes the armed timer, if any; the handler must arm it again.
    bool TakeTimer(uint32_t& msec);
    // The handler closed the connection, or a write to it failed.
    bool Closed() const { return mClose || mFailed; }

  protected:
    mg_connection* mConn;
    bool mClose = false;
    bool mFailed = false;

  private:
    bool mTimerArmed = false;
    uint32_t mTimerMsec = 0;
};

// Collects what a handler sends and writes it once the handler has returned,
// so no handler waits on a client's socket while it holds the handler lock.
class CivetResponse : public CivetResponseBase {
  public:
    explicit CivetResponse(mg_connection* conn) : CivetResponseBase(conn) {}

    size_t ToSendDataLength() const override { return mOut.size(); }
    void Send(const uint8_t* buffer, size_t length) override;
    void Printf(const char* fmt, ...) override;
    void SendChunk(const uint8_t* buffer, size_t length) override;
    void PrintfChunk(const char* fmt, ...) override;
    void SendError(int errorCode, const char* fmt = nullptr, ...) override;

    // Writes what has been collected; a failed write marks the connection closed.
    void Flush() override;
    // Whether the connection may carry another request: the reply's head
    // delimits its body and does not ask for the connection to close.
    bool KeepAlive() const;
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

class CivetWebSocketRequest : public IWebRequest {
  public:
    explicit CivetWebSocketRequest(std::string payload) : mPayload(std::move(payload)) {}

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

// Collects frames like the HTTP response, written once the handler returns.
class CivetWebSocketResponse : public CivetResponseBase {
  public:
    explicit CivetWebSocketResponse(mg_connection* conn) : CivetResponseBase(conn) {}

    size_t ToSendDataLength() const override { return mQueued; }
    void Flush() override;

    // One binary frame.
    void Send(const uint8_t* buffer, size_t length) override;
    // The text as it is, unformatted, in one text frame.
    void Printf(const char* fmt, ...) override;
    void SendChunk(const uint8_t* buffer, size_t length) override;
    void PrintfChunk(const char* fmt, ...) override;
    // A text frame "Error <code>: <message>", then the connection closes.
    void SendError(int errorCode, const char* fmt = nullptr, ...) override;

  private:
    void Frame(int opcode, const char* data, size_t length);

    std::vector<std::pair<int, std::string>> mFrames;
    size_t mQueued = 0;
};
