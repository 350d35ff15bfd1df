// The event loop under XWebServer: one io_context, run by one network thread,
// owns the listening socket, every connection, its parser, timers and
// WebSocket stream. Handler calls that may wait on a device go to one worker
// thread and come back to the network thread with their reply.
#pragma once

#include <pthread.h>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <cstdint>
#include <list>
#include <memory>
#include <string>

#include "AccessStamp.h"
#include "HandlerTables.h"
#include "RequestMetrics.h"
#include "RequestPolicy.h"
#include "SerialWorker.h"
#include "WebAuthentication.h"
#include "WebLimits.h"

struct EngineConfig {
    std::string documentRoot;
    std::string domain;
    Authentication method = Authentication::Digest;
    HandlerTables handlers;
    WebLimits limits;
    WebUserLookup users;
    AccessStamp* access = nullptr;  // the server's, outlives the engine
    std::string bindAddress;        // empty: every IPv4 interface
    RequestPolicy policy;
    RequestMetrics* metrics = nullptr;  // borrowed; null counts nothing
};

// A connection as the engine tracks it; lives on the network thread only.
class Session : public std::enable_shared_from_this<Session> {
  public:
    virtual ~Session() = default;
    // Closes the socket; pending operations end and release the session.
    virtual void Close() = 0;
    // Queues a text frame; only WebSocket clients take it.
    virtual void QueueText(const std::shared_ptr<const std::string>& /*text*/) {}

  private:
    friend class WebEngine;
    bool mTracked = false;
    bool mIdle = false;
    std::list<Session*>::iterator mAll;
    std::list<Session*>::iterator mIdleAt;
};

class WebEngine {
  public:
    explicit WebEngine(EngineConfig config);
    ~WebEngine();
    WebEngine(const WebEngine&) = delete;
    WebEngine& operator=(const WebEngine&) = delete;

    bool Start(uint16_t port);
    // Lets a running device call finish, then closes every connection.
    void Stop();
    // From any thread: one text frame to every WebSocket client.
    void SendWebSocketText(std::string text);

    // For sessions, on the network thread.
    boost::asio::io_context& Io() { return *mIo; }
    const EngineConfig& Config() const { return mConfig; }
    const WebLimits& Limits() const { return mConfig.limits; }
    SerialWorker& DeviceWorker() { return mWorker; }
    void Track(Session* session);
    void Forget(Session* session);
    // An idle session may be closed to make room for a new connection.
    void MarkIdle(Session* session);
    void MarkBusy(Session* session);
    // Accounts for a body about to be read; false when the budget is spent.
    bool ReserveBody(size_t bytes);
    void ReleaseBody(size_t bytes);

  private:
    static void* NetworkMain(void* self);
    void Accept();
    // Closes the session idle the longest; false when none is idle.
    bool EvictOldestIdle();

    EngineConfig mConfig;
    size_t mConnectionLimit = 0;
    SerialWorker mWorker;
    std::unique_ptr<boost::asio::io_context> mIo;
    std::unique_ptr<boost::asio::ip::tcp::acceptor> mAcceptor;
    std::unique_ptr<boost::asio::steady_timer> mAcceptRetry;
    pthread_t mNetworkThread{};
    bool mRunning = false;
    std::list<Session*> mSessions;
    std::list<Session*> mIdleSessions;  // longest idle first
    size_t mBodyBytes = 0;
};
