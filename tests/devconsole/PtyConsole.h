// A program on a pseudo-terminal, as a technician runs the console: keys
// typed one by one, the screen read back, the terminal's settings visible.
// Every wait is bounded; the destructor kills a program still running.
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <string>
#include <vector>

class PtyConsole {
  public:
    explicit PtyConsole(const std::vector<std::string>& argv);
    ~PtyConsole();
    PtyConsole(const PtyConsole&) = delete;
    PtyConsole& operator=(const PtyConsole&) = delete;

    bool started() const { return mPid > 0; }
    pid_t pid() const { return mPid; }
    // Waits until text has appeared after the previous match.
    bool expect(const std::string& text, int timeoutMs = 30000);
    void type(const std::string& keys);
    // Exit status (128 + signal when killed by one), or -1 after timeoutMs.
    int wait(int timeoutMs = 30000);
    // The terminal's settings as the program sees them, and before it started.
    termios settings() const;
    const termios& initialSettings() const { return mInitial; }
    const std::string& output() const { return mOutput; }

  private:
    bool readSome(int timeoutMs);

    pid_t mPid = -1;
    int mMaster = -1;
    int mSlave = -1;  // kept open so the settings stay readable after the exit
    termios mInitial{};
    std::string mOutput;
    size_t mSeen = 0;
    bool mClosed = false;
};
