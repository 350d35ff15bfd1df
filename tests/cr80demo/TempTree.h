#pragma once
// A scratch directory tree below $TMPDIR, removed with everything in it.
#include <string>

namespace cr80test {

class TempTree {
  public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    // Creates the directories of `relative` below the root; returns the full path.
    std::string dir(const std::string& relative) const;
    // Copies `from` to `relative` below the root; returns the full path.
    std::string copy(const std::string& from, const std::string& relative) const;
    std::string write(const std::string& relative, const std::string& content) const;

  private:
    std::string root_;
};

std::string readFile(const std::string& path);

}  // namespace cr80test
