// Single key presses for the menus.
#pragma once

namespace devconsole {

class KeySource {
  public:
    static constexpr int kEnd = -1;
    virtual ~KeySource() = default;
    // The next character, or kEnd at the end of input.
    virtual int next() = 0;
};

// Reads one byte at a time from a descriptor (a terminal, a pipe or a file).
class FdKeySource : public KeySource {
  public:
    explicit FdKeySource(int fd) : mFd(fd) {}
    int next() override;

  private:
    int mFd;
};

}  // namespace devconsole
