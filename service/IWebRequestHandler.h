// What a request handler sees of the server: a request, a response, and the
// handler base that owns the URI it serves.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

// Access level of a request or required by a handler; 0 needs no credentials.
enum class UserGroup : int { Anyone = 0, User = 1, Power = 2, Admin = 3 };

// Which challenge the server sends when credentials are missing or wrong.
enum class Authentication : int { Basic = 0, Digest = 1 };

class IWebRequest {
  public:
    virtual ~IWebRequest() = default;
    virtual std::string Uri() const = 0;
    virtual std::string Method() const = 0;
    virtual std::string Proto() const = 0;
    virtual std::string Query() const = 0;
    virtual std::string Body() const = 0;
    // A URL-decoded form variable, from the query string when there is one,
    // else from the body; empty when absent.
    virtual std::string GetVariable(const std::string& name) const = 0;
    virtual std::map<std::string, std::string> Headers() const = 0;
};

class IWebResponse {
  public:
    virtual ~IWebResponse() = default;
    // Bytes still queued for the client.
    virtual size_t ToSendDataLength() const = 0;
    virtual void Send(const uint8_t* buffer, size_t length) = 0;
    // Formatting is the adapter's own: a WebSocket response sends the text as it is.
    __attribute__((format(printf, 2, 3))) virtual void Printf(const char* fmt, ...) = 0;
    virtual void SendChunk(const uint8_t* buffer, size_t length) = 0;
    __attribute__((format(printf, 2, 3))) virtual void PrintfChunk(const char* fmt, ...) = 0;
    virtual void SendError(int errorCode, const char* fmt = nullptr, ...) = 0;
    virtual void CloseConnection() = 0;
    // Calls the handler's HandleTimer on this connection after msec.
    virtual void SetTimer(uint32_t msec) = 0;
};

class IWebRequestHandler {
  public:
    // The URI gets a leading "/" and loses its trailing ones.
    IWebRequestHandler(const std::string& uri, bool canHandleSubContent);
    virtual ~IWebRequestHandler() = default;

    virtual void HandleHttpRequest(IWebRequest& request, IWebResponse& response) = 0;
    virtual void HandleTimer(IWebResponse& /*response*/) {}

    const std::string& Uri() const { return uri; }
    bool CanHandleSubContent() const { return canHandleSubContent; }

  protected:
    std::string uri;
    bool canHandleSubContent;
};

// Removes trailing "/" while the URI is longer than one character.
std::string StripTrailingSlashes(std::string uri);
