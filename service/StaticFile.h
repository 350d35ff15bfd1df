// Files served from the document root. A request path never leads out of the
// root: neither by ".." nor by a symbolic link that points outside it.
#pragma once

#include <cstdint>
#include <string>

class StaticFile {
  public:
    StaticFile() = default;
    ~StaticFile();
    StaticFile(const StaticFile&) = delete;
    StaticFile& operator=(const StaticFile&) = delete;

    // Opens the file for a decoded path without dot segments; a directory
    // gives its index.html. The HTTP status: 200, 403 or 404.
    int Open(const std::string& documentRoot, const std::string& path);
    uint64_t Size() const { return mSize; }
    const char* ContentType() const { return mContentType; }
    // Up to capacity bytes of what is left; empty at the end or on a read error.
    std::string ReadChunk(size_t capacity);
    void Close();
    // A read failed before the whole file was sent.
    bool Failed() const { return mFailed; }

  private:
    int OpenResolved(const std::string& root, const std::string& candidate);

    int mFd = -1;
    bool mFailed = false;
    uint64_t mSize = 0;
    uint64_t mLeft = 0;
    const char* mContentType = "application/octet-stream";
};
