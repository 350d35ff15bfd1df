#include "WebEngine.h"

#include <sys/resource.h>

#include <algorithm>
#include <boost/asio/ip/address.hpp>
#include <boost/asio/post.hpp>

#include "HttpSession.h"

namespace net = boost::asio;
using tcp = net::ip::tcp;

namespace {

// File descriptors kept free for files being served, logs and the devices.
constexpr rlim_t kReservedDescriptors = 64;
// Wait before accepting again when the process is out of descriptors.
constexpr auto kAcceptRetry = std::chrono::milliseconds(50);

// The descriptors the process may open, raised to the hard limit.
size_t DescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) != 0) return 1024;
    if (limit.rlim_cur < limit.rlim_max) {
        rlimit raised = limit;
        raised.rlim_cur = limit.rlim_max;
        if (setrlimit(RLIMIT_NOFILE, &raised) == 0) limit = raised;
    }
    return limit.rlim_cur == RLIM_INFINITY ? SIZE_MAX : static_cast<size_t>(limit.rlim_cur);
}

}  // namespace

WebEngine::WebEngine(EngineConfig config) : mConfig(std::move(config)) {}

WebEngine::~WebEngine() {
    Stop();
}

bool WebEngine::Start(uint16_t port) {
    if (mRunning) return true;
    const size_t descriptors = DescriptorLimit();
    mConnectionLimit = std::max<size_t>(
        1, std::min(mConfig.limits.connections, descriptors > kReservedDescriptors * 2
                                                    ? descriptors - kReservedDescriptors
                                                    : descriptors / 2));
    mIo = std::make_unique<net::io_context>(1);
    boost::system::error_code ec;
    mAcceptor = std::make_unique<tcp::acceptor>(*mIo);
    tcp::endpoint endpoint(tcp::v4(), port);
    if (!mConfig.bindAddress.empty()) {
        endpoint = tcp::endpoint(net::ip::make_address(mConfig.bindAddress, ec), port);
    }
    if (!ec) mAcceptor->open(endpoint.protocol(), ec);
    if (!ec) mAcceptor->set_option(net::socket_base::reuse_address(true), ec);
    if (!ec) mAcceptor->bind(endpoint, ec);
    if (!ec) mAcceptor->listen(net::socket_base::max_listen_connections, ec);
    if (ec || !mWorker.Start()) {
        mAcceptor.reset();
        mIo.reset();
        return false;
    }
    mAcceptRetry = std::make_unique<net::steady_timer>(*mIo);
    Accept();
    if (!StartThreadWithStack(mNetworkThread, SerialWorker::kStackBytes, &WebEngine::NetworkMain,
                              this)) {
        mWorker.Stop();
        mAcceptRetry.reset();
        mAcceptor.reset();
        mIo.reset();
        return false;
    }
    mRunning = true;
    return true;
}

void WebEngine::Stop() {
    if (!mRunning) return;
    std::deque<SerialWorker::Job> unstarted = mWorker.Stop();
    mIo->stop();
    pthread_join(mNetworkThread, nullptr);
    mRunning = false;
    // Jobs the network thread queued while the worker stopped.
    for (auto& job : mWorker.Stop()) unstarted.push_back(std::move(job));
    // Only this thread runs now: sessions held by the jobs and by pending
    // handlers are destroyed here, their sockets closed.
    unstarted.clear();
    mAcceptRetry.reset();
    mAcceptor.reset();
    mIo.reset();
    mSessions.clear();
    mIdleSessions.clear();
    mBodyBytes = 0;
}

void* WebEngine::NetworkMain(void* self) {
    auto& engine = *static_cast<WebEngine*>(self);
    auto work = net::make_work_guard(*engine.mIo);
    engine.mIo->run();
    return nullptr;
}

void WebEngine::Accept() {
    mAcceptor->async_accept([this](boost::system::error_code ec, tcp::socket socket) {
        if (ec == net::error::operation_aborted || !mAcceptor->is_open()) return;
        if (ec) {
            // Out of descriptors or memory: try again shortly rather than spin.
            mAcceptRetry->expires_after(kAcceptRetry);
            mAcceptRetry->async_wait([this](boost::system::error_code waited) {
                if (!waited) Accept();
            });
            return;
        }
        if (mSessions.size() >= mConnectionLimit && !EvictOldestIdle()) {
            socket.close(ec);
        } else {
            std::make_shared<HttpSession>(*this, std::move(socket))->Start();
        }
        Accept();
    });
}

void WebEngine::SendWebSocketText(std::string text) {
    if (!mRunning) return;
    auto shared = std::make_shared<const std::string>(std::move(text));
    net::post(*mIo, [this, shared] {
        // Copied: a client over its bound closes and leaves the list.
        const std::list<Session*> sessions = mSessions;
        for (Session* session : sessions) session->QueueText(shared);
    });
}

void WebEngine::Track(Session* session) {
    if (session->mTracked) return;
    session->mAll = mSessions.insert(mSessions.end(), session);
    session->mTracked = true;
    if (mConfig.metrics != nullptr) mConfig.metrics->ConnectionOpened();
}

void WebEngine::Forget(Session* session) {
    MarkBusy(session);
    if (!session->mTracked) return;
    mSessions.erase(session->mAll);
    session->mTracked = false;
    if (mConfig.metrics != nullptr) mConfig.metrics->ConnectionClosed();
}

void WebEngine::MarkIdle(Session* session) {
    if (!session->mTracked) return;
    if (session->mIdle) mIdleSessions.erase(session->mIdleAt);
    session->mIdleAt = mIdleSessions.insert(mIdleSessions.end(), session);
    session->mIdle = true;
}

void WebEngine::MarkBusy(Session* session) {
    if (!session->mIdle) return;
    mIdleSessions.erase(session->mIdleAt);
    session->mIdle = false;
}

bool WebEngine::EvictOldestIdle() {
    if (mIdleSessions.empty()) return false;
    mIdleSessions.front()->Close();
    return true;
}

bool WebEngine::ReserveBody(size_t bytes) {
    if (bytes >
        mConfig.limits.bodyBudgetBytes - std::min(mBodyBytes, mConfig.limits.bodyBudgetBytes)) {
        return false;
    }
    mBodyBytes += bytes;
    return true;
}

void WebEngine::ReleaseBody(size_t bytes) {
    mBodyBytes -= std::min(bytes, mBodyBytes);
}
