#pragma once
// The --control Unix socket: accepts any number of clients, runs each request line
// through the control actions on the event loop, and sends every journal event to
// every client. A client that does not keep up loses events rather than stalling the
// simulated devices.
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "app/ControlActions.h"
#include "core/EventLoop.h"

namespace ksim::app {

class ControlServer {
  public:
    static std::unique_ptr<ControlServer> listen(const std::string& path, EventLoop& loop,
                                                 const ControlActions& actions, std::string* error);
    ~ControlServer();
    ControlServer(const ControlServer&) = delete;
    ControlServer& operator=(const ControlServer&) = delete;

    // Safe from any thread.
    void broadcast(const std::string& line);
    // The socket's absolute path.
    const std::string& path() const { return path_; }

  private:
    ControlServer(std::string path, int fd, EventLoop& loop, const ControlActions& actions);
    void onAccept();
    void onClientReadable(int fd);
    // Caller holds mutex_, so lines from several threads never interleave.
    void sendTo(int fd, const std::string& line);
    void drop(int fd);

    const std::string path_;
    const int listenFd_;
    EventLoop& loop_;
    const ControlActions& actions_;
    std::mutex mutex_;
    std::map<int, std::string> clients_;  // descriptor -> bytes of an unfinished line
};

}  // namespace ksim::app
