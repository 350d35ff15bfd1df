// Small HTTP client pieces for tests: raw exchanges over TCP on loopback,
// every wait bounded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct HttpReply {
    std::string raw;   // everything read, head and body
    std::string head;  // status line and headers, without the blank line
    std::string body;
    int status = 0;
};

// A port that was free a moment ago.
uint16_t FreePort();
// Whether something accepts connections on the port.
bool PortAnswers(uint16_t port);

class TestConnection {
  public:
    explicit TestConnection(uint16_t port, int timeoutMs = 5000);
    ~TestConnection();
    TestConnection(const TestConnection&) = delete;
    TestConnection& operator=(const TestConnection&) = delete;

    bool Connected() const { return mFd >= 0; }
    bool Send(const std::string& bytes);
    // One reply: its body is delimited by Content-Length, or by the close of
    // the connection when there is none. False on time-out or early close.
    bool Read(HttpReply& reply);
    // Everything until the server closes; false on time-out.
    bool ReadUntilClose(std::string& data);
    // Reads until text has arrived; false on time-out or close.
    bool WaitFor(const std::string& text);
    // Whether the server has closed the connection, waiting up to timeoutMs.
    bool ClosedByPeer(int timeoutMs);

  private:
    bool Fill();

    int mFd = -1;
    std::string mPending;
};

// Sends the request on a new connection and reads one reply.
HttpReply Exchange(uint16_t port, const std::string& request);

// Runs a program with arguments, standard output captured, killed after
// timeoutMs; returns its exit status, or -1 when it could not run or was killed.
int RunProgram(const std::vector<std::string>& args, std::string& output, int timeoutMs = 10000);

// A fresh folder under $TMPDIR (or /tmp), removed by the destructor.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return mPath; }
    // Writes a file below the folder, creating its parent folders.
    void Write(const std::string& relative, const std::string& content) const;

  private:
    std::string mPath;
};
