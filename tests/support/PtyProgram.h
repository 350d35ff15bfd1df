// A console program on a pseudo-terminal, as a technician runs it: keys typed,
// the screen read back, the terminal's settings visible, the exit collected.
// Every wait is bounded. The destructor kills a program still running, and
// fails the test when the program ended on its own with a status nobody read
// (a sanitizer report at exit shows only there).
#pragma once

#include <sys/types.h>
#include <termios.h>

#include <string>
#include <vector>

namespace kqtest {

struct PtyOptions {
    std::string workDir;  // empty: the test's own working folder
    bool raw = false;     // raw terminal (no echo, output bytes unchanged) instead of line mode
};

class PtyProgram {
  public:
    explicit PtyProgram(const std::vector<std::string>& argv, PtyOptions options = {});
    ~PtyProgram();
    PtyProgram(const PtyProgram&) = delete;
    PtyProgram& operator=(const PtyProgram&) = delete;

    bool started() const { return mPid > 0; }
    pid_t pid() const { return mPid; }
    // Waits until text has appeared after the previous match.
    bool expect(const std::string& text, int timeoutMs = 30000);
    // Keys typed one by one.
    void type(const std::string& keys);
    // A whole line and its newline in one write.
    void typeLine(const std::string& line);
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

}  // namespace kqtest
