// An embedded HTTP and WebSocket server. Handlers are registered under URIs
// with the access level they need. One network thread serves every
// connection and runs the handlers; handlers that may wait on a device run
// one at a time, in arrival order, on a worker thread of their own.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "IWebRequestHandler.h"
#include "RequestPolicy.h"
#include "WebLimits.h"

class RequestMetrics;
class XWebServerData;

class XWebServer {
  public:
    using TimePoint = std::chrono::steady_clock::time_point;

    explicit XWebServer(const std::string& documentRoot = "", uint16_t port = 8000);
    ~XWebServer();
    XWebServer(const XWebServer&) = delete;
    XWebServer& operator=(const XWebServer&) = delete;

    // Configuration; a change takes effect at the next Start.
    std::string DocumentRoot() const;
    XWebServer& SetDocumentRoot(const std::string& documentRoot);
    std::string AuthDomain() const;
    XWebServer& SetAuthDomain(const std::string& authDomain);
    Authentication AuthenticationMethod() const;
    XWebServer& SetAuthenticationMethod(Authentication authMethod);
    uint16_t Port() const;
    XWebServer& SetPort(uint16_t port);
    WebLimits Limits() const;
    XWebServer& SetLimits(const WebLimits& limits);
    // An IPv4 or IPv6 address; empty listens on every IPv4 interface.
    std::string BindAddress() const;
    XWebServer& SetBindAddress(const std::string& address);
    RequestPolicy Policy() const;
    XWebServer& SetPolicy(const RequestPolicy& policy);
    // Counts requests and connections there (borrowed; it outlives the
    // server), on the network thread; null counts nothing.
    XWebServer& SetRequestMetrics(RequestMetrics* metrics);

    // Time of the last handled network event; accessed tells whether there was one.
    TimePoint LastAccessTime(bool* accessed = nullptr);
    // The same for the handler that serves uri; epoch and false when none does.
    TimePoint LastAccessTime(const std::string& uri, bool* accessed = nullptr);

    // Exact-URI handlers keep the first registration of a URI; sub-content
    // handlers are searched in registration order.
    XWebServer& AddHandler(const std::shared_ptr<IWebRequestHandler>& handler,
                           UserGroup group = UserGroup::Anyone);
    void RemoveHandler(const std::shared_ptr<IWebRequestHandler>& handler);
    void ClearHandlers();

    // hash is MD5(name:realm:password) in lower-case hexadecimal.
    XWebServer& AddUser(const std::string& name, const std::string& digestHa1, UserGroup group);
    void RemoveUser(const std::string& name);
    void ClearUsers();
    // Adds the accounts of a users file for the configured realm; returns how many.
    int LoadUsersFromFile(const std::string& fileName);

    bool Start();
    void Stop();

    // Queues one text frame for every WebSocket client; callable from any
    // thread. A client whose queue is over its bound is disconnected.
    void SendWebSocketText(const std::string& text);

    static std::string CalculateDigestAuthHa1(const std::string& user, const std::string& realm,
                                              const std::string& password);

  private:
    std::unique_ptr<XWebServerData> mData;
};
