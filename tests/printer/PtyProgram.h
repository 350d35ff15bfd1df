#pragma once
// A console program on a pseudo-terminal: type lines, wait for text, collect the exit.
// Every wait is bounded; the destructor kills a program still running.
#include <sys/types.h>

#include <string>
#include <vector>

namespace ecpsim {

class PtyProgram {
  public:
    PtyProgram(const std::string& path, const std::string& workDir);
    ~PtyProgram();
    PtyProgram(const PtyProgram&) = delete;
    PtyProgram& operator=(const PtyProgram&) = delete;

    bool started() const { return pid_ > 0; }
    // Waits until `text` has appeared after the previous match.
    bool expect(const std::string& text, int timeoutMs = 15000);
    void type(const std::string& line);
    // Exit status, or -1 when the program is still running after `timeoutMs`.
    int wait(int timeoutMs = 10000);
    const std::string& output() const { return output_; }

  private:
    bool readSome(int timeoutMs);

    pid_t pid_ = -1;
    int master_ = -1;
    std::string output_;
    size_t seen_ = 0;
    bool closed_ = false;
};

}  // namespace ecpsim
